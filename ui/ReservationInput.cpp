#include "ui/ReservationInput.h"

#include "posix/LocalCalendar.h"
#include "ui/LeadingNumber.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

namespace {

constexpr uint32_t kFmBand = 0x01000000;
constexpr uint32_t kFreqMask = 0x00FFFFFF;
constexpr int kAmLow = 522;
constexpr int kAmHigh = 1602;
constexpr int kAmStep = 9;
constexpr double kFmLow = 76.0;
constexpr double kFmHigh = 94.9; // wide FM: the AM stations' simulcasts from 90.1 MHz
constexpr int kDayMinutes = 24 * 60;
constexpr qsizetype kTitleBytes = 255;

bool localFields(double instant, std::tm& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1e12) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    return localtime_r(&t, &out) != nullptr;
}

// 0 Sunday .. 6 Saturday.
int weekdayOf(QDate day) {
    return day.dayOfWeek() % 7;
}

} // namespace

ReservationProblem checkTitle(QString const& title) {
    return title.toUtf8().size() > kTitleBytes ? ReservationProblem::TitleTooLong
                                               : ReservationProblem::None;
}

ReservationProblem checkFrequency(bool fm, QString const& channel) {
    bool valid = false;
    if (!fm) {
        int const v = leadingIntValue(channel);
        valid = v >= kAmLow && v <= kAmHigh && (v - kAmLow) % kAmStep == 0;
    } else {
        double const x = leadingDoubleValue(channel);
        valid = x >= kFmLow && x <= kFmHigh;
    }
    return valid ? ReservationProblem::None : ReservationProblem::InvalidFrequency;
}

ReservationProblem checkLength(ReservationInput const& input) {
    return endMinute(input.start, input.end) - input.start > kDayMinutes
               ? ReservationProblem::LongerThanADay
               : ReservationProblem::None;
}

ReservationProblem checkTime(ReservationInput const& input, double now) {
    // Weekly reservations are not checked against the present.
    if (input.week != 0) {
        return ReservationProblem::None;
    }
    double const end = composeEnd(input.date, input.start, input.end);
    // A start already past with an end still to come passes.
    return std::trunc(now) > std::trunc(end) ? ReservationProblem::EndPassed
                                             : ReservationProblem::None;
}

ReservationProblem checkReservation(ReservationInput const& input, double now) {
    for (ReservationProblem const problem :
         {checkTitle(input.title), checkFrequency(input.fm, input.channel), checkLength(input),
          checkTime(input, now)}) {
        if (problem != ReservationProblem::None) {
            return problem;
        }
    }
    return ReservationProblem::None;
}

QString reservationProblemText(ReservationProblem problem) {
    switch (problem) {
    case ReservationProblem::TitleTooLong:
        //% "The title is too long. Use at most 255 bytes (about 85 Japanese characters)."
        return qtTrId("IDS_ERR_TOO_LONG_TITLE");
    case ReservationProblem::InvalidFrequency:
        //% "The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to "
        //% "94.9 MHz."
        return qtTrId("IDS_ERR_INVALID_FREQ");
    case ReservationProblem::LongerThanADay:
        //% "A recording can last at most 24 hours. Check the start and end times."
        return qtTrId("IDS_ERR_LONGER_THAN_A_DAY");
    case ReservationProblem::EndPassed:
        //% "The end time of this recording has already passed."
        return qtTrId("IDS_ERR_PASSED_REC_TIME");
    case ReservationProblem::None:
        break;
    }
    return QString();
}

uint32_t channelFrequency(bool fm, QString const& channel) {
    if (fm) {
        double const value = std::round(leadingDoubleValue(channel) * 100.0);
        if (!(value > 0.0) || value > kFreqMask) {
            return 0;
        }
        return static_cast<uint32_t>(value);
    }
    int const value = leadingIntValue(channel);
    return value > 0 && static_cast<uint32_t>(value) <= kFreqMask ? static_cast<uint32_t>(value)
                                                                  : 0;
}

QDate reservationBaseDay(ReservationInput const& input, double now) {
    if (input.week == 0) {
        return input.date;
    }
    // The first start may be today: from 24:00 on, that is a day after the day written.
    QDate day = std::max(input.date, localDate(now).addDays(-(input.start / kDayMinutes)));
    for (int i = 0; i < 7; ++i) {
        if ((input.week & kWeekdayBits[weekdayOf(day)]) != 0) {
            break;
        }
        day = day.addDays(1);
    }
    return day;
}

int endMinute(int start, int end) {
    return end <= start ? end + kDayMinutes : end;
}

double composeStart(QDate day, int start) {
    // Hours past 23 roll over into the next calendar day.
    return localWallClock(day.year(), day.month(), day.day(), start / 60, start % 60, 0);
}

double composeEnd(QDate day, int start, int end) {
    int const minute = endMinute(start, end);
    // A day past the end of the month rolls over into the next month and year.
    return localWallClock(day.year(), day.month(), day.day(), minute / 60, minute % 60, 0);
}

void composeReservation(ReservationInput const& input, double now, Reservation& rec) {
    // The days the start falls on: from 24:00 on, each a day after the day written.
    rec.weekdays =
        input.start >= kDayMinutes ? ((input.week << 1) | (input.week >> 6)) & 0x7Fu : input.week;

    QByteArray const title = input.title.toUtf8().left(kTitleBytes);
    std::memset(rec.title, 0, sizeof rec.title);
    std::memcpy(rec.title, title.constData(), static_cast<std::size_t>(title.size()));

    QDate const day = reservationBaseDay(input, now);
    rec.start = composeStart(day, input.start);
    rec.end = composeEnd(day, input.start, input.end);

    uint32_t const freq = channelFrequency(input.fm, input.channel);
    rec.frequency = input.fm ? kFmBand + freq : freq;
}

QDate localDate(double instant) {
    std::tm tm{};
    if (!localFields(instant, tm)) {
        return QDate();
    }
    return QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

QTime localTime(double instant) {
    std::tm tm{};
    if (!localFields(instant, tm)) {
        return QTime();
    }
    return QTime(tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59));
}
