#include "tests/support/FakeCalendar.h"

#include <cmath>

int FakeCalendar::dayOfWeek(double instant) {
    if (!std::isfinite(instant)) {
        return -1;
    }
    // 1970-01-01 was a Thursday (weekday 4).
    double const days = std::floor((instant + m_offset) / 86400.0);
    double const weekday = std::fmod(days + 4.0, 7.0);
    return static_cast<int>(weekday < 0.0 ? weekday + 7.0 : weekday);
}
