// Real time run faster: virtual seconds pass `factor` times as fast as real ones, and sleeps
// take real time accordingly. For tests that want real threads racing each other.
#pragma once

#include "posix/IClock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

class ScaledClock : public IClock {
public:
    ScaledClock(double start, double factor);

    double now() override;
    void sleepUntil(double instant) override;
    void sleepFor(double seconds) override;
    bool waitUntil(double instant, std::atomic<bool> const& cancel) override;
    void wakeWaiters() override;

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    double const m_start;
    double const m_factor;
    std::chrono::steady_clock::time_point const m_origin;
};
