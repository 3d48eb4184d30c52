// Calendar questions answered in the process's local time zone.
#pragma once

class ILocalCalendar {
public:
    virtual ~ILocalCalendar() = default;
    // Day of the week of an instant (seconds since 1970 UTC): 0 Sunday .. 6 Saturday.
    virtual int dayOfWeek(double instant) = 0;
};
