#include "tests/support/FakeClock.h"

double FakeClock::now() {
    std::lock_guard lock(m_mutex);
    return m_now;
}

void FakeClock::sleepUntil(double instant) {
    std::unique_lock lock(m_mutex);
    sleepLocked(lock, instant, nullptr);
}

bool FakeClock::waitUntil(double instant, std::atomic<bool> const& cancel) {
    std::unique_lock lock(m_mutex);
    return sleepLocked(lock, instant, &cancel);
}

void FakeClock::wakeWaiters() {
    std::lock_guard lock(m_mutex);
    m_changed.notify_all();
}

bool FakeClock::sleepLocked(std::unique_lock<std::mutex>& lock, double instant,
                            std::atomic<bool> const* cancel) {
    ++m_sleepCalls;
    auto const cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
    if (cancelled()) {
        return false;
    }
    if (m_autoAdvance) {
        if (instant > m_now) {
            m_now = instant;
        }
        m_changed.notify_all();
        return true;
    }
    if (!(instant > m_now)) {
        return true;
    }
    auto const entry = m_deadlines.insert(instant);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_autoAdvance || m_now >= instant || cancelled(); });
    bool const reached = !cancelled() || m_now >= instant;
    if (reached && m_autoAdvance && instant > m_now) {
        m_now = instant;
    }
    m_deadlines.erase(entry);
    m_changed.notify_all();
    return reached;
}

void FakeClock::sleepFor(double seconds) {
    double instant = 0.0;
    {
        std::lock_guard lock(m_mutex);
        instant = m_now + seconds;
    }
    sleepUntil(instant);
}

void FakeClock::advance(double seconds) {
    std::lock_guard lock(m_mutex);
    if (seconds > 0.0) {
        m_now += seconds;
    }
    m_changed.notify_all();
}

void FakeClock::advanceTo(double instant) {
    std::lock_guard lock(m_mutex);
    if (instant > m_now) {
        m_now = instant;
    }
    m_changed.notify_all();
}

void FakeClock::setAutoAdvance(bool on) {
    std::lock_guard lock(m_mutex);
    m_autoAdvance = on;
    m_changed.notify_all();
}

bool FakeClock::waitForSleepers(int count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return blockedLocked() >= count; });
}

int FakeClock::blockedSleepers() {
    std::lock_guard lock(m_mutex);
    return blockedLocked();
}

int FakeClock::sleepCalls() {
    std::lock_guard lock(m_mutex);
    return m_sleepCalls;
}

int FakeClock::blockedLocked() const {
    int blocked = 0;
    for (double deadline : m_deadlines) {
        if (deadline > m_now) {
            ++blocked;
        }
    }
    return blocked;
}
