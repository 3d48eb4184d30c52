#include "session/VirtualClock.h"

namespace velto {

VirtualClock::VirtualClock(TimePoint start) : m_now(start.time_since_epoch().count()) {}

Clock::TimePoint VirtualClock::now() const {
    return TimePoint(TimePoint::duration(m_now.load()));
}

bool VirtualClock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                             TimePoint deadline, const std::function<bool()>& done) {
    if (done())
        return true;
    if (deadline == TimePoint::max()) {
        // Nothing in virtual time will ever come: wait for the other side.
        condition.wait(lock, done);
        return true;
    }
    if (deadline > now())
        set(deadline);
    return done();
}

void VirtualClock::advance(std::chrono::nanoseconds by) {
    m_now.fetch_add(std::chrono::duration_cast<TimePoint::duration>(by).count());
}

void VirtualClock::set(TimePoint when) {
    m_now.store(when.time_since_epoch().count());
}

} // namespace velto
