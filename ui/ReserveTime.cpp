#include "ui/ReserveTime.h"

#include "store/ScheduleItem.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kDay = 86400.0;
constexpr long long kJstOffset = 9 * 3600;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    long long const era = (y >= 0 ? y : y - 399) / 400;
    unsigned const yoe = static_cast<unsigned>(y - era * 400);
    unsigned const doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned const doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool IsSelected(uint32_t uWeek, int weekday) {
    return weekday >= 0 && weekday < 7 && (uWeek & kWeeklyKeys[weekday]) != 0;
}
} // namespace

bool LocalFields(double instant, std::tm& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1e15) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    return localtime_r(&t, &out) != nullptr;
}

int LocalSecondOfDay(double instant) {
    std::tm tm{};
    if (!LocalFields(instant, tm)) {
        return 0;
    }
    return tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
}

long long LocalDayNumber(double instant) {
    std::tm tm{};
    if (!LocalFields(instant, tm)) {
        return 0;
    }
    // Day 1 of the common era is 0001-01-01.
    return DaysFromCivil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                         static_cast<unsigned>(tm.tm_mday)) -
           DaysFromCivil(1, 1, 1) + 1;
}

double ComposeJst(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    // timegm normalises the fields, so day 32 becomes the first of the next month.
    return static_cast<double>(static_cast<long long>(timegm(&tm)) - kJstOffset);
}

double ComposeStart(double baseDay, double startPicker) {
    std::tm base{};
    std::tm start{};
    LocalFields(baseDay, base);
    LocalFields(startPicker, start);
    return ComposeJst(base.tm_year + 1900, base.tm_mon + 1, base.tm_mday, start.tm_hour,
                      start.tm_min, 0);
}

double ComposeEnd(double baseDay, double startPicker, double endPicker) {
    std::tm base{};
    std::tm start{};
    std::tm end{};
    LocalFields(baseDay, base);
    LocalFields(startPicker, start);
    LocalFields(endPicker, end);
    bool const nextDay = end.tm_hour * 60 + end.tm_min <= start.tm_hour * 60 + start.tm_min;
    return ComposeJst(base.tm_year + 1900, base.tm_mon + 1, base.tm_mday + (nextDay ? 1 : 0),
                      end.tm_hour, end.tm_min, 0);
}

double WeeklyBaseDay(double datePicker, double now, uint32_t uWeek) {
    double day = std::trunc(datePicker);
    long long const today = LocalDayNumber(now);
    // Jump close to today first (a picker years back would otherwise take thousands of
    // steps); two days short, so that a daylight-saving hour cannot carry it past today.
    long long const behind = today - LocalDayNumber(day);
    if (behind > 2) {
        day += static_cast<double>(behind - 2) * kDay;
    }
    while (LocalDayNumber(day) < today) {
        day += kDay;
    }
    std::tm tm{};
    for (int i = 0; i < 7; ++i) {
        if (LocalFields(day, tm) && IsSelected(uWeek, tm.tm_wday)) {
            break;
        }
        day += kDay;
    }
    return day;
}

double PickerLengthMinutes(double startPicker, double endPicker) {
    double length = LocalSecondOfDay(endPicker) - LocalSecondOfDay(startPicker);
    if (length <= 0) {
        length += kDay;
    }
    return length / 60.0;
}
