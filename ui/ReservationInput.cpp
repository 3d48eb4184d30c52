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
constexpr double kFmHigh = 90.0;
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
         {checkTitle(input.title), checkFrequency(input.fm, input.channel),
          checkTime(input, now)}) {
        if (problem != ReservationProblem::None) {
            return problem;
        }
    }
    return ReservationProblem::None;
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
    QDate day = std::max(input.date, localDate(now));
    for (int i = 0; i < 7; ++i) {
        if ((input.week & kWeekdayBits[weekdayOf(day)]) != 0) {
            break;
        }
        day = day.addDays(1);
    }
    return day;
}

double composeStart(QDate day, QTime start) {
    return localWallClock(day.year(), day.month(), day.day(), start.hour(), start.minute(), 0);
}

double composeEnd(QDate day, QTime start, QTime end) {
    bool const nextDay = end.hour() * 60 + end.minute() <= start.hour() * 60 + start.minute();
    // A day past the end of the month rolls over into the next month and year.
    return localWallClock(day.year(), day.month(), day.day() + (nextDay ? 1 : 0), end.hour(),
                          end.minute(), 0);
}

void composeReservation(ReservationInput const& input, double now, Reservation& rec) {
    rec.weekdays = input.week;

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
