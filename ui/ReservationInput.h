// What the reservation dialog's controls hold, and its rules, without any widget: the
// checks run when a reservation is registered and the composition of the record's fields.
// The dialog uses them, and so can anything else that makes reservations from the same
// inputs.
//
// Times are in the process's time zone (TZ, /etc/localtime) throughout: the fields are read
// in it and the times are composed in it, so the clock times picked are the clock times
// recorded. Instants are seconds since 1970-01-01 00:00 UTC.
#pragma once

#include "store/ReservationList.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <cstdint>

struct ReservationInput {
    QDate date;        // the day (once only), or the first day a weekly one may start on
    QTime start;       // hour and minute count
    QTime end;         // at or before the start: on the next day
    bool fm = false;   // the band
    QString channel;   // the channel as typed or chosen: "954", "1134kHz", "80.7"
    QString title;     // at most 255 bytes as UTF-8
    uint32_t week = 0; // kWeekdayBits bits of the repeat days; 0 once only
};

// What keeps a reservation from being registered; the dialog checks in this order and
// reports the first.
enum class ReservationProblem {
    None,
    TitleTooLong,     // above 255 bytes as UTF-8
    InvalidFrequency, // AM 522 to 1602 kHz on the 9 kHz step, FM 76.0 to 90.0 MHz
    EndPassed,        // once only, and its end is earlier than now (whole seconds)
};

ReservationProblem checkTitle(QString const& title);
ReservationProblem checkFrequency(bool fm, QString const& channel);
ReservationProblem checkTime(ReservationInput const& input, double now);
ReservationProblem checkReservation(ReservationInput const& input, double now);

// The frequency (no band bits) a channel text stands for; 0 when it stands for none.
uint32_t channelFrequency(bool fm, QString const& channel);

// The day a reservation starts on: the picked day for a once-only one; for a weekly one
// the first day that is today or later, not before the picked day, whose weekday is one
// of its days.
QDate reservationBaseDay(ReservationInput const& input, double now);

// Start and end on the given day: the end on the next day when its clock time is not
// later than the start's. Second 0.
double composeStart(QDate day, QTime start);
double composeEnd(QDate day, QTime start, QTime end);

// Writes uWeek, cTitle, dStartTime, dEndTime and uFreq of rec from the input; the other
// fields keep their values.
void composeReservation(ReservationInput const& input, double now, Reservation& rec);

// The local calendar day and the clock time (to the second) of an instant; invalid for one
// that cannot be represented.
QDate localDate(double instant);
QTime localTime(double instant);
