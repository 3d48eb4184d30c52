// Weekdays in a fixed offset from UTC, with no daylight saving and no dependence on TZ.
#pragma once

#include "platform/ICalendar.h"

class FakeCalendar : public ILocalCalendar {
public:
    explicit FakeCalendar(double utcOffsetSeconds = 9 * 3600.0) : m_offset(utcOffsetSeconds) {}
    int dayOfWeek(double instant) override;

private:
    double m_offset;
};
