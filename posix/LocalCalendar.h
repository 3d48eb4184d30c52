// Calendar questions in the process's time zone (TZ, /etc/localtime), via localtime_r.
#pragma once

#include "posix/ILocalCalendar.h"

class LocalCalendar : public ILocalCalendar {
public:
    // 0 Sunday .. 6 Saturday; -1 for an instant that is not a representable time (NaN,
    // infinite or out of range), which matches no weekday.
    int dayOfWeek(double instant) override;
    // NaN for an instant that is not a representable time.
    double addDays(double instant, int days) override;
};

// The instant (seconds since 1970 UTC) at which the process's time zone shows this
// wall-clock time. month 1..12; a field past its range rolls over into the next (day 32 of
// December is 1 January of the next year). A time that does not exist (skipped by a
// daylight-saving change) moves forward by the gap; a time that occurs twice is its first
// occurrence. NaN when the time cannot be represented.
double localWallClock(int year, int month, int day, int hour, int minute, int second);
