// One reservation as a person enters it, its checks and the record made from it. The
// reservation dialog, the command line and the D-Bus interface all go through these
// functions, so that they accept the same reservations, refuse the others with the same
// messages in the same order, and store the same times.
#pragma once

#include "store/ScheduleItem.h"

#include <QString>

#include <cstdint>

struct ReservationInput {
    QString title;
    bool fm = false;
    QString channel;    // as typed: "954", "1134kHz", "80.0"
    double day = 0.0;   // an instant on the reservation's day (the local calendar day counts)
    double start = 0.0; // an instant whose local hour and minute are the start
    double end = 0.0;   // likewise the end; at or before the start means the next day
    uint32_t week = 0;  // kWeeklyKeys of the days it repeats on; 0 once only
};

enum class ReservationRefusal {
    None,
    TitleTooLong,     // more than 255 UTF-8 bytes
    InvalidFrequency, // AM off 522..1602 kHz or its 9 kHz step, FM off 76.0..90.0 MHz
    EndPassed,        // a once-only reservation whose end is already past
};

// The single checks, each as the register button runs it.
bool TitleFits(QString const& title);
bool ChannelValid(bool fm, QString const& channel);
bool EndNotPassed(ReservationInput const& input, double now);

// All checks in the register button's order; the first one that fails.
ReservationRefusal CheckReservation(ReservationInput const& input, double now);

// The refusal's message in the user's language, as the dialog's alert shows it.
QString RefusalMessage(ReservationRefusal refusal);

// The frequency (no band bits) a channel text stands for; 0 when it stands for none.
uint32_t ChannelFrequency(bool fm, QString const& channel);

// Writes uWeek, cTitle, dStartTime, dEndTime and uFreq of rec as a registered reservation
// stores them: a weekly one starts on the first selected weekday that is today or later
// and not before its day. The other fields are left as they are.
void ComposeReservation(ReservationInput const& input, double now, SCHEDULEITEM_TAG& rec);
