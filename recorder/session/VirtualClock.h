#pragma once
#include "session/Clock.h"

#include <atomic>

namespace velto {

// Time that moves only with the recording: by the sound taken from the source, and by
// jumping to the end of every wait. `velto record --fast` replays a capture on it (an hour
// of programme in the time the capture takes to read), and the tests run on it.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(TimePoint start);
    TimePoint now() const override;
    bool waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                   TimePoint deadline, const std::function<bool()>& done) override;
    void advance(std::chrono::nanoseconds by) override;
    void set(TimePoint when);

private:
    std::atomic<TimePoint::rep> m_now;
};

} // namespace velto
