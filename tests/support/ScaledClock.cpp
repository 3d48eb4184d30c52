#include "tests/support/ScaledClock.h"

#include <algorithm>
#include <thread>

ScaledClock::ScaledClock(double start, double factor)
    : m_start(start), m_factor(factor), m_origin(std::chrono::steady_clock::now()) {}

double ScaledClock::now() {
    std::chrono::duration<double> const real = std::chrono::steady_clock::now() - m_origin;
    return m_start + real.count() * m_factor;
}

void ScaledClock::sleepUntil(double instant) {
    for (;;) {
        double const remaining = instant - now();
        if (!(remaining > 0.0)) {
            return;
        }
        std::this_thread::sleep_for(
            std::chrono::duration<double>(std::min(remaining / m_factor, 1.0)));
    }
}

void ScaledClock::sleepFor(double seconds) {
    sleepUntil(now() + seconds);
}

bool ScaledClock::waitUntil(double instant, std::atomic<bool> const& cancel) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (cancel.load()) {
            return false;
        }
        double const remaining = instant - now();
        if (!(remaining > 0.0)) {
            return true;
        }
        m_wake.wait_for(lock, std::chrono::duration<double>(std::min(remaining / m_factor, 1.0)),
                        [&] { return cancel.load(); });
    }
}

void ScaledClock::wakeWaiters() {
    std::lock_guard lock(m_mutex);
    m_wake.notify_all();
}
