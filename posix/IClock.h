// The engine's clock: real time in the program, virtual time in the tests.
#pragma once

#include <atomic>

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since 1970-01-01 00:00 UTC, with fractions.
    virtual double now() = 0;
    // Blocks until the instant; returns at once for an instant already past.
    virtual void sleepUntil(double instant) = 0;
    virtual void sleepFor(double seconds) = 0;
    // Blocks until the instant, or until cancel is set and wakeWaiters() is called after
    // that, whichever comes first. Answers false when cancelled (also when cancel was set
    // before the call).
    virtual bool waitUntil(double instant, std::atomic<bool> const& cancel) = 0;
    // Makes every waitUntil look at its cancel flag.
    virtual void wakeWaiters() = 0;
};
