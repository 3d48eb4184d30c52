// Calendar questions answered in the process's local time zone.
#pragma once

class ILocalCalendar {
public:
    virtual ~ILocalCalendar() = default;
    // Day of the week of an instant (seconds since 1970 UTC): 0 Sunday .. 6 Saturday.
    virtual int dayOfWeek(double instant) = 0;
    // The instant that shows the same local clock time as instant, days calendar days later.
    // A clock time that does not exist that day (skipped by a daylight-saving change) moves
    // forward by the gap; one that occurs twice is its first occurrence.
    virtual double addDays(double instant, int days) = 0;
};
