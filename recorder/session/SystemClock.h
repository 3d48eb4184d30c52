#pragma once
#include "session/Clock.h"

namespace velto {

// The wall clock. Its waits follow the wall clock too (a machine that slept past a start
// wakes a waiting session at once).
class SystemClock final : public Clock {
public:
    TimePoint now() const override;
    bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                   TimePoint deadline, const std::function<bool()>& done) override;
};

} // namespace velto
