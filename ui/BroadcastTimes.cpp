#include "ui/BroadcastTimes.h"

#include "platform/ISettings.h"

#include <atomic>
#include <cmath>
#include <ctime>

namespace {

constexpr int kDayMinutes = 24 * 60;
constexpr int kWrittenLimit = 30 * 60; // from 30:00 on, written as the next day's clock
constexpr int kLateNightEnds = 5;      // a start before 05:00 belongs to the day before

std::atomic<bool> g_lateNightDefault{false};

bool localParts(double instant, std::tm& out) {
    // Records from a damaged file can hold anything; only what the C library can break down.
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    return localtime_r(&t, &out) != nullptr;
}

QDate dateOf(std::tm const& parts) {
    return QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
}

// Minutes after day's midnight, counted in calendar days and clock times, so that a change
// of daylight-saving time does not shift what is written.
qint64 minutesAfter(std::tm const& parts, QDate day) {
    return day.daysTo(dateOf(parts)) * kDayMinutes + parts.tm_hour * 60 + parts.tm_min;
}

int clockMinute(std::tm const& parts) {
    return parts.tm_hour * 60 + parts.tm_min;
}

} // namespace

bool lateNightHours(ISettings& settings) {
    if (!settings.contains(kLateNightHoursKey)) {
        return lateNightHoursDefault();
    }
    return settings.integer(kLateNightHoursKey) != 0;
}

void setLateNightHoursDefault(bool on) {
    g_lateNightDefault.store(on);
}

bool lateNightHoursDefault() {
    return g_lateNightDefault.load();
}

BroadcastTimes broadcastTimes(double start, double end, uint32_t weekdays, bool lateNight) {
    BroadcastTimes times;
    std::tm from{};
    std::tm to{};
    if (!localParts(start, from) || !localParts(end, to)) {
        return times;
    }
    times.valid = true;
    times.day = dateOf(from);
    times.start = clockMinute(from);
    times.end = clockMinute(to);
    times.week = weekdays;
    if (!lateNight) {
        return times;
    }
    if (from.tm_hour < kLateNightEnds) {
        times.day = times.day.addDays(-1);
        times.start += kDayMinutes;
        times.week = ((weekdays >> 1) | (weekdays << 6)) & 0x7Fu;
    }
    times.end = writtenMinute(end, times.day, true);
    return times;
}

int writtenMinute(double instant, QDate day, bool lateNight) {
    std::tm parts{};
    if (!localParts(instant, parts)) {
        return 0;
    }
    qint64 const minutes = minutesAfter(parts, day);
    if (!lateNight || minutes < 0) {
        return clockMinute(parts);
    }
    if (minutes < kWrittenLimit) {
        return static_cast<int>(minutes);
    }
    // 30:00 and later: a day less, as an end at or before the start is read back.
    return static_cast<int>(kWrittenLimit - kDayMinutes + (minutes - kWrittenLimit) % kDayMinutes);
}

QString minuteText(int minutes) {
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
