#include "posix/LocalCalendar.h"

#include <cmath>
#include <ctime>
#include <initializer_list>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Stays well inside time_t and the year range localtime_r can express.
bool localFields(double instant, std::tm& out) {
    if (!std::isfinite(instant)) {
        return false;
    }
    double const whole = std::floor(instant);
    if (whole < -6.7e10 || whole > 6.7e10) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(whole);
    return localtime_r(&t, &out) != nullptr;
}

// The local wall-clock reading of t, counted as if it were UTC; false when unknown.
bool wallOf(std::time_t t, std::time_t& wall, long& offset) {
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) {
        return false;
    }
    offset = local.tm_gmtoff;
    wall = t + local.tm_gmtoff;
    return true;
}

} // namespace

int LocalCalendar::dayOfWeek(double instant) {
    std::tm local{};
    return localFields(instant, local) ? local.tm_wday : -1;
}

double LocalCalendar::addDays(double instant, int days) {
    std::tm local{};
    if (!localFields(instant, local)) {
        return kNaN;
    }
    double const fraction = instant - std::floor(instant);
    return localWallClock(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday + days,
                          local.tm_hour, local.tm_min, local.tm_sec) +
           fraction;
}

double localWallClock(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    // The wall-clock time counted as if it were UTC; timegm also rolls the fields over.
    std::time_t const wanted = timegm(&fields);
    if (wanted == static_cast<std::time_t>(-1) && fields.tm_year != 69) {
        return kNaN;
    }
    // The offsets in force a day either side bracket any change of offset near this time
    // (zones change them months apart). Each gives a candidate; those that really show the
    // wanted wall-clock time are the occurrences of it, and the earlier one is taken.
    long before = 0;
    long after = 0;
    std::time_t unused = 0;
    if (!wallOf(wanted - 86400, unused, before) || !wallOf(wanted + 86400, unused, after)) {
        return kNaN;
    }
    bool found = false;
    std::time_t best = 0;
    for (long const offset : {before, after}) {
        std::time_t const candidate = wanted - offset;
        std::time_t wall = 0;
        long shown = 0;
        if (wallOf(candidate, wall, shown) && wall == wanted && (!found || candidate < best)) {
            best = candidate;
            found = true;
        }
    }
    if (!found) {
        // Skipped by a change of offset: read with the offset from before the change, it
        // falls after the gap, later by the gap's length.
        best = wanted - before;
    }
    return static_cast<double>(best);
}
