// Relay wake-ups for an RTC whose alarm reaches only so far ahead (many refuse anything past
// 24 h): between now and each wake-up, wake-ups no further apart than that reach, so that the
// earliest one is always within it. The computer wakes at a relay, the program plans again,
// and the next relay takes over. Relays are counted back from the wake-up they lead to, so
// every run plans the same instants, and a run just after one can tell that the computer
// came up for it.
#pragma once

#include <optional>
#include <vector>

class WakeRelays {
public:
    // Relays lie this much within the reach: the wake-up lead, and a clock that drifts.
    static constexpr double kMargin = 600.0;
    // A run this long after a relay, or two minutes before it, counts as woken by it.
    static constexpr double kWokeWindow = 1200.0;

    // The relays for wakeUps (ascending), all after from; reach in seconds (> kMargin).
    static std::vector<double> between(std::vector<double> const& wakeUps, double from,
                                       double reach);
    // The relay that now lies just after, within the window; none when now is no such time.
    static std::optional<double> justPassed(std::vector<double> const& wakeUps, double now,
                                            double reach);
};
