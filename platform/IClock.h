// The engine's clock: real time in the program, virtual time in the tests.
#pragma once

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since 1970-01-01 00:00 UTC, with fractions.
    virtual double now() = 0;
    // Blocks until the instant; returns at once for an instant already past.
    virtual void sleepUntil(double instant) = 0;
    virtual void sleepFor(double seconds) = 0;
};
