#include "posix/SystemClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

double SystemClock::now() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

void SystemClock::sleepUntil(double instant) {
    // The negated comparison also returns at once for NaN.
    for (;;) {
        double const remaining = instant - now();
        if (!(remaining > 0.0)) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(remaining, 1.0)));
    }
}

void SystemClock::sleepFor(double seconds) {
    if (!(seconds > 0.0)) {
        return;
    }
    // Relative sleeps are short (one or five seconds); a monotonic sleep is right for them.
    std::this_thread::sleep_for(std::chrono::duration<double>(std::min(seconds, 1.0e9)));
}

bool SystemClock::waitUntil(double instant, std::atomic<bool> const& cancel) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (cancel.load()) {
            return false;
        }
        double const remaining = instant - now();
        if (!(remaining > 0.0)) {
            return true;
        }
        // The flag is looked at under the mutex that wakeWaiters takes, so a wake-up that
        // follows the flag is never missed.
        m_wake.wait_for(lock, std::chrono::duration<double>(std::min(remaining, 1.0)),
                        [&] { return cancel.load(); });
    }
}

void SystemClock::wakeWaiters() {
    std::lock_guard lock(m_mutex);
    m_wake.notify_all();
}
