// Records every posted notification, with the clock's time of the post when a clock is set.
#pragma once

#include "platform/ICompanionBus.h"
#include "posix/IClock.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

class FakeCompanionBus : public ICompanionBus {
public:
    struct Post {
        std::string name;
        std::optional<std::string> object;
        CompanionValues values;
        double at = 0.0;

        // The value under key, if the post carries it.
        std::optional<CompanionValue> value(std::string const& key) const;
    };

    explicit FakeCompanionBus(IClock* clock = nullptr) : m_clock(clock) {}

    bool post(std::string const& name, std::optional<std::string> const& object,
              CompanionValues const& values) override;

    std::vector<Post> posts();

private:
    IClock* m_clock;
    std::mutex m_mutex;
    std::vector<Post> m_posts;
};
