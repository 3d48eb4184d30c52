// Records every posted notification, with the clock's time of the post when a clock is set.
#pragma once

#include "platform/IClock.h"
#include "platform/INotificationCenter.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

class FakeNotificationCenter : public INotificationCenter {
public:
    struct Post {
        std::string name;
        std::optional<std::string> object;
        NotificationInfo userInfo;
        double at = 0.0;

        // The value under key, if the post carries it.
        std::optional<NotificationValue> value(std::string const& key) const;
    };

    explicit FakeNotificationCenter(IClock* clock = nullptr) : m_clock(clock) {}

    bool postNotification(std::string const& name, std::optional<std::string> const& object,
                          NotificationInfo const& userInfo) override;

    std::vector<Post> posts();

private:
    IClock* m_clock;
    std::mutex m_mutex;
    std::vector<Post> m_posts;
};
