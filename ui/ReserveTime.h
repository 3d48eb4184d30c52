// Time arithmetic of the reservation dialog. Calendar fields are read in the process's
// local time zone; reservation times are composed in Japan Standard Time (UTC+9, no
// daylight saving), the zone the companion's broadcasts are scheduled in. Instants are
// seconds since 1970-01-01 00:00 UTC.
#pragma once

#include <cstdint>
#include <ctime>

// The local calendar fields of an instant (tm_year + 1900, tm_mon 0..11, tm_wday 0 Sunday).
// False for an instant that is not a representable time.
bool LocalFields(double instant, std::tm& out);

// Local seconds of the day (hour, minute, second) of an instant.
int LocalSecondOfDay(double instant);

// Days of the common era of the instant's local calendar day.
long long LocalDayNumber(double instant);

// The instant of a wall-clock time in UTC+9. month 1..12; a day, hour or minute past its
// range rolls over into the next (day 32 of December is 1 January of the next year).
double ComposeJst(int year, int month, int day, int hour, int minute, int second);

// The start and end of a reservation on the local calendar day of baseDay, from the hour
// and minute of the two pickers: an end at or before the start's time of day falls on the
// next day. Whole seconds, second 0.
double ComposeStart(double baseDay, double startPicker);
double ComposeEnd(double baseDay, double startPicker, double endPicker);

// First day, from the picker's day, that is today or later and whose local weekday is in
// uWeek; steps are whole days of 86,400 s, the time of day of the picker kept.
double WeeklyBaseDay(double datePicker, double now, uint32_t uWeek);

// Length of a recording in minutes between two pickers' times of day, a day when the end
// is not later than the start.
double PickerLengthMinutes(double startPicker, double endPicker);
