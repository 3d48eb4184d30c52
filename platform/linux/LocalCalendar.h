// Calendar questions in the process's time zone (TZ, /etc/localtime), via localtime_r.
#pragma once

#include "platform/ICalendar.h"

class LocalCalendar : public ILocalCalendar {
public:
    // 0 Sunday .. 6 Saturday; -1 for an instant that is not a representable time (NaN,
    // infinite or out of range), which matches no weekday.
    int dayOfWeek(double instant) override;
};
