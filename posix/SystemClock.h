// The program's clock: wall-clock time, and sleeps that follow the wall clock.
#pragma once

#include "posix/IClock.h"

#include <condition_variable>
#include <mutex>

class SystemClock : public IClock {
public:
    double now() override;
    // Sleeps in slices of at most a second and re-reads the wall clock after each, so a
    // wall-clock step (time sync, resume from suspend) moves the wake-up with it.
    void sleepUntil(double instant) override;
    void sleepFor(double seconds) override;
    bool waitUntil(double instant, std::atomic<bool> const& cancel) override;
    void wakeWaiters() override;

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
};
