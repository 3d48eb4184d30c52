// Real time run faster: virtual seconds pass `factor` times as fast as real ones, and sleeps
// take real time accordingly. For tests that want real threads racing each other.
#pragma once

#include "platform/IClock.h"

#include <chrono>

class ScaledClock : public IClock {
public:
    ScaledClock(double start, double factor);

    double now() override;
    void sleepUntil(double instant) override;
    void sleepFor(double seconds) override;

private:
    double const m_start;
    double const m_factor;
    std::chrono::steady_clock::time_point const m_origin;
};
