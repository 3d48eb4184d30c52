// What the reservation dialog's controls hold, and its rules, without any widget: the
// checks run when a reservation is registered and the composition of the record's fields.
// The dialog uses them, and so can anything else that makes reservations from the same
// inputs.
//
// Times are in the process's time zone (TZ, /etc/localtime) throughout: the fields are read
// in it and the times are composed in it, so the clock times picked are the clock times
// recorded. Instants are seconds since 1970-01-01 00:00 UTC.
//
// Times of day are written as the programme guides write them: 24:00 to 29:59 is the small
// hours after the day ("Monday 25:00" is Tuesday 01:00), and a weekly one's days are the
// days as written.
#pragma once

#include "store/ReservationList.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <cstdint>

// The last minute a time of day may be written as: 29:59.
inline constexpr int kLastDayMinute = 29 * 60 + 59;

struct ReservationInput {
    QDate date;        // the day (once only), or the first day a weekly one may start on
    int start = 0;     // minutes after the day's midnight, 0 (00:00) to kLastDayMinute
    int end = 0;       // the same; at or before the start: a day later
    bool fm = false;   // the band
    QString channel;   // the channel as typed or chosen: "954", "1134kHz", "80.7"
    QString title;     // at most 255 bytes as UTF-8
    uint32_t week = 0; // kWeekdayBits bits of the repeat days as written; 0 once only
};

// What keeps a reservation from being registered; the dialog checks in this order and
// reports the first.
enum class ReservationProblem {
    None,
    TitleTooLong,     // above 255 bytes as UTF-8
    InvalidFrequency, // AM 522 to 1602 kHz on the 9 kHz step, FM 76.0 to 94.9 MHz
    LongerThanADay,   // the end lies more than 24 hours after the start (01:00 to 26:00)
    EndPassed,        // once only, and its end is earlier than now (whole seconds)
};

ReservationProblem checkTitle(QString const& title);
ReservationProblem checkFrequency(bool fm, QString const& channel);
ReservationProblem checkLength(ReservationInput const& input);
ReservationProblem checkTime(ReservationInput const& input, double now);
ReservationProblem checkReservation(ReservationInput const& input, double now);
// The alert's words for a problem; empty for None.
QString reservationProblemText(ReservationProblem problem);

// The frequency (no band bits) a channel text stands for; 0 when it stands for none.
uint32_t channelFrequency(bool fm, QString const& channel);

// The day a reservation's times are written on: the picked day for a once-only one; for a
// weekly one the first day not before the picked day whose weekday is one of its days and
// on which it starts today or later.
QDate reservationBaseDay(ReservationInput const& input, double now);

// Start and end on the given day (minutes after its midnight, up to 29:59): the end a day
// later when it is not later than the start. Second 0. Calendar days, so that a change of
// daylight-saving time keeps the clock times written.
double composeStart(QDate day, int start);
double composeEnd(QDate day, int start, int end);
// The end in minutes after the day's midnight: end, or a day more when it is not later than
// the start.
int endMinute(int start, int end);

// Writes uWeek, cTitle, dStartTime, dEndTime and uFreq of rec from the input; the other
// fields keep their values. The stored days are those the start falls on: a day later than
// written for a start from 24:00 on.
void composeReservation(ReservationInput const& input, double now, Reservation& rec);

// The local calendar day and the clock time (to the second) of an instant; invalid for one
// that cannot be represented.
QDate localDate(double instant);
QTime localTime(double instant);
