#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace velto {

// The time a session goes by. Waiting happens on a condition variable (no polling), so that
// a wait ends at once when there is something to do.
class Clock {
public:
    using TimePoint = std::chrono::system_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Waits with `lock` (on `condition`'s mutex) held around it until `deadline` by this
    // clock, or until `done` holds; whether `done` holds at the end. TimePoint::max() waits
    // for `done` alone.
    virtual bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                           TimePoint deadline, const std::function<bool()>& done) = 0;
    // Time that passed on the recording's side: sound taken from a source, a read that
    // timed out. The system clock moves by itself and ignores it; a virtual clock moves by it.
    virtual void advance(std::chrono::nanoseconds) {}
};

} // namespace velto
