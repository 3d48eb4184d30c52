// Weekdays in a fixed offset from UTC, with no daylight saving and no dependence on TZ.
#pragma once

#include "posix/ILocalCalendar.h"

class FakeCalendar : public ILocalCalendar {
public:
    explicit FakeCalendar(double utcOffsetSeconds = 9 * 3600.0) : m_offset(utcOffsetSeconds) {}
    int dayOfWeek(double instant) override;
    // A fixed offset has no daylight saving: a day is always 86,400 s.
    double addDays(double instant, int days) override { return instant + days * 86400.0; }

private:
    double m_offset;
};
