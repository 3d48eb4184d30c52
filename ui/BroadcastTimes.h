// Times as the programme guides write them, for showing: a programme that starts in the
// small hours (before 05:00) belongs to the day before, from 24:00 to 28:59, and an end
// after midnight goes on past 24:00 ("Monday 23:00-25:00"). Whether they are shown so is
// the LATENIGHTHOURS setting; what is stored is always the real time.
#pragma once

#include <QDate>
#include <QString>

#include <cstdint>

class ISettings;

// Whether the late-night hours are shown: the setting, or when it is absent the language's
// way (setLateNightHoursDefault).
bool lateNightHours(ISettings& settings);
// What an absent setting means; set once at start-up: on for Japanese, off for English.
void setLateNightHoursDefault(bool on);
bool lateNightHoursDefault();

struct BroadcastTimes {
    QDate day;          // the day written: the start's date, or the day before for the small hours
    int start = 0;      // minutes after that day's midnight, 0 to 28:59
    int end = 0;        // as written (29:59 at most); a day later when not after the start
                        // (so 04:00-06:00 is 28:00-06:00)
    uint32_t week = 0;  // the repeat days as written: a day earlier for a start from 24:00 on
    bool valid = false; // false when the calendar cannot hold the times (a damaged record)
};

// A reservation's times and days as written, in the process's time zone. lateNight off:
// the start's date and the clock times, as stored.
BroadcastTimes broadcastTimes(double start, double end, uint32_t weekdays, bool lateNight);
// Another instant near them (an end, a margin) as written on the same day: its minutes after
// day's midnight below 30:00, else a day less; its clock time when lateNight is off.
int writtenMinute(double instant, QDate day, bool lateNight);
// "25:30": minutes after a day's midnight, hours past 23 included.
QString minuteText(int minutes);
