#include "session/SystemClock.h"

namespace velto {

Clock::TimePoint SystemClock::now() const {
    return std::chrono::system_clock::now();
}

bool SystemClock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                            TimePoint deadline, const std::function<bool()>& done) {
    if (deadline == TimePoint::max()) {
        condition.wait(lock, done);
        return true;
    }
    return condition.wait_until(lock, deadline, done);
}

} // namespace velto
