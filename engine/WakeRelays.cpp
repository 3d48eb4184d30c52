#include "engine/WakeRelays.h"

#include <algorithm>

std::vector<double> WakeRelays::between(std::vector<double> const& wakeUps, double from,
                                        double reach) {
    std::vector<double> relays;
    double const step = reach - kMargin;
    if (!(step > 0.0)) {
        return relays;
    }
    double previous = from;
    for (double const wake : wakeUps) {
        std::size_t const first = relays.size();
        for (double relay = wake - step; relay > previous; relay -= step) {
            relays.push_back(relay);
        }
        std::reverse(relays.begin() + static_cast<std::ptrdiff_t>(first), relays.end());
        previous = std::max(previous, wake);
    }
    return relays;
}

std::optional<double> WakeRelays::justPassed(std::vector<double> const& wakeUps, double now,
                                             double reach) {
    for (double const relay : between(wakeUps, now - kWokeWindow, reach)) {
        if (relay > now + 120.0) {
            break;
        }
        return relay;
    }
    return std::nullopt;
}
