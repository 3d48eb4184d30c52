#include "ui/ReservationInput.h"

#include "platform/linux/LocalCalendar.h"
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

bool LocalFields(double instant, std::tm& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1e12) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    return localtime_r(&t, &out) != nullptr;
}

// 0 Sunday .. 6 Saturday.
int Weekday(QDate day) {
    return day.dayOfWeek() % 7;
}

} // namespace

ReservationProblem CheckTitle(QString const& title) {
    return title.toUtf8().size() > kTitleBytes ? ReservationProblem::TitleTooLong
                                               : ReservationProblem::None;
}

ReservationProblem CheckFrequency(bool fm, QString const& channel) {
    bool valid = false;
    if (!fm) {
        int const v = LeadingIntValue(channel);
        valid = v >= kAmLow && v <= kAmHigh && (v - kAmLow) % kAmStep == 0;
    } else {
        double const x = LeadingDoubleValue(channel);
        valid = x >= kFmLow && x <= kFmHigh;
    }
    return valid ? ReservationProblem::None : ReservationProblem::InvalidFrequency;
}

ReservationProblem CheckTime(ReservationInput const& input, double now) {
    // Weekly reservations are not checked against the present.
    if (input.week != 0) {
        return ReservationProblem::None;
    }
    double const end = ComposeEnd(input.date, input.start, input.end);
    // A start already past with an end still to come passes.
    return std::trunc(now) > std::trunc(end) ? ReservationProblem::EndPassed
                                             : ReservationProblem::None;
}

ReservationProblem CheckReservation(ReservationInput const& input, double now) {
    for (ReservationProblem const problem :
         {CheckTitle(input.title), CheckFrequency(input.fm, input.channel),
          CheckTime(input, now)}) {
        if (problem != ReservationProblem::None) {
            return problem;
        }
    }
    return ReservationProblem::None;
}

uint32_t ChannelFrequency(bool fm, QString const& channel) {
    if (fm) {
        double const value = std::round(LeadingDoubleValue(channel) * 100.0);
        if (!(value > 0.0) || value > kFreqMask) {
            return 0;
        }
        return static_cast<uint32_t>(value);
    }
    int const value = LeadingIntValue(channel);
    return value > 0 && static_cast<uint32_t>(value) <= kFreqMask ? static_cast<uint32_t>(value)
                                                                  : 0;
}

QDate ReservationBaseDay(ReservationInput const& input, double now) {
    if (input.week == 0) {
        return input.date;
    }
    QDate day = std::max(input.date, LocalDate(now));
    for (int i = 0; i < 7; ++i) {
        if ((input.week & kWeeklyKeys[Weekday(day)]) != 0) {
            break;
        }
        day = day.addDays(1);
    }
    return day;
}

double ComposeStart(QDate day, QTime start) {
    return LocalWallClock(day.year(), day.month(), day.day(), start.hour(), start.minute(), 0);
}

double ComposeEnd(QDate day, QTime start, QTime end) {
    bool const nextDay = end.hour() * 60 + end.minute() <= start.hour() * 60 + start.minute();
    // A day past the end of the month rolls over into the next month and year.
    return LocalWallClock(day.year(), day.month(), day.day() + (nextDay ? 1 : 0), end.hour(),
                          end.minute(), 0);
}

void ComposeReservation(ReservationInput const& input, double now, SCHEDULEITEM_TAG& rec) {
    rec.uWeek = input.week;

    QByteArray const title = input.title.toUtf8().left(kTitleBytes);
    std::memset(rec.cTitle, 0, sizeof rec.cTitle);
    std::memcpy(rec.cTitle, title.constData(), static_cast<std::size_t>(title.size()));

    QDate const day = ReservationBaseDay(input, now);
    rec.dStartTime = ComposeStart(day, input.start);
    rec.dEndTime = ComposeEnd(day, input.start, input.end);

    uint32_t const freq = ChannelFrequency(input.fm, input.channel);
    rec.uFreq = input.fm ? kFmBand + freq : freq;
}

QDate LocalDate(double instant) {
    std::tm tm{};
    if (!LocalFields(instant, tm)) {
        return QDate();
    }
    return QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

QTime LocalTime(double instant) {
    std::tm tm{};
    if (!LocalFields(instant, tm)) {
        return QTime();
    }
    return QTime(tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59));
}
