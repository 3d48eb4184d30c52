// The Linux clock and calendar behind the engine.
#include "posix/LocalCalendar.h"
#include "posix/SystemClock.h"
#include "tests/support/ZoneScope.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace {

constexpr double kMonday0900Jst = 1705276800.0; // 2024-01-15 00:00 UTC

TEST(LocalCalendarTest, WeekdayIsTheLocalOne) {
    LocalCalendar calendar;
    double const mondayMidnightJst = kMonday0900Jst - 9 * 3600.0;
    EXPECT_EQ(calendar.dayOfWeek(kMonday0900Jst), 1);
    EXPECT_EQ(calendar.dayOfWeek(mondayMidnightJst), 1);
    EXPECT_EQ(calendar.dayOfWeek(mondayMidnightJst - 1.0), 0);
    EXPECT_EQ(calendar.dayOfWeek(mondayMidnightJst - 0.5), 0); // fractions belong to the second
    EXPECT_EQ(calendar.dayOfWeek(kMonday0900Jst + 5 * 86400.0), 6);
    EXPECT_EQ(calendar.dayOfWeek(-3 * 86400.0), 1); // Monday 1969-12-29, before the epoch

    ZoneScope newYork("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(calendar.dayOfWeek(kMonday0900Jst), 0); // still Sunday evening there
}

TEST(LocalCalendarTest, UnplaceableInstantsMatchNoWeekday) {
    LocalCalendar calendar;
    EXPECT_EQ(calendar.dayOfWeek(std::nan("")), -1);
    EXPECT_EQ(calendar.dayOfWeek(std::numeric_limits<double>::infinity()), -1);
    EXPECT_EQ(calendar.dayOfWeek(-std::numeric_limits<double>::infinity()), -1);
    EXPECT_EQ(calendar.dayOfWeek(1e300), -1);
}

// Seconds since 1970 of a UTC date and time.

// Whole calendar days keep the local clock time across both daylight-saving changes; a
// clock time the change skips moves forward by the gap, a repeated one is its first
// occurrence. In Tokyo a day stays 86,400 s.
TEST(LocalCalendarTest, AddDaysKeepsTheLocalClockTime) {
    struct Case {
        char const* zone;
        char const* what;
        double from;
        int days;
        double want;
    };
    Case const cases[] = {
        {"Asia/Tokyo", "Tokyo, a week", utc(2024, 3, 25, 11, 0), 7, utc(2024, 4, 1, 11, 0)},
        {"Europe/Berlin", "into summer time", utc(2024, 3, 25, 19, 0), 7, utc(2024, 4, 1, 18, 0)},
        {"Europe/Berlin", "out of summer time", utc(2024, 10, 21, 18, 0), 7,
         utc(2024, 10, 28, 19, 0)},
        {"Europe/Berlin", "02:30 skipped: 03:30", utc(2024, 3, 24, 1, 30), 7,
         utc(2024, 3, 31, 1, 30)},
        {"Europe/Berlin", "02:30 twice: the first", utc(2024, 10, 20, 0, 30), 7,
         utc(2024, 10, 27, 0, 30)},
        {"Europe/Berlin", "back a day", utc(2024, 4, 1, 18, 0), -1, utc(2024, 3, 31, 18, 0)},
        {"America/New_York", "into summer time", utc(2024, 3, 4, 1, 0), 7, utc(2024, 3, 11, 0, 0)},
        {"America/New_York", "out of summer time", utc(2024, 10, 28, 0, 0), 7,
         utc(2024, 11, 4, 1, 0)},
        {"America/New_York", "02:15 skipped: 03:15", utc(2024, 3, 3, 7, 15), 7,
         utc(2024, 3, 10, 7, 15)},
        {"America/New_York", "01:30 twice: the first", utc(2024, 10, 27, 5, 30), 7,
         utc(2024, 11, 3, 5, 30)},
    };
    LocalCalendar calendar;
    for (Case const& c : cases) {
        ZoneScope zone(c.zone);
        EXPECT_EQ(calendar.addDays(c.from, c.days), c.want) << c.zone << ": " << c.what;
    }
    EXPECT_TRUE(std::isnan(calendar.addDays(std::nan(""), 1)));
}

// A weekly Monday 20:00 programme in Berlin and New York stays at 20:00 after each change,
// with its full length; in Tokyo it moves by exactly a week.
TEST(SystemClockTest, NowIsWallClockAndSleepsLastAsLongAsAsked) {
    using namespace std::chrono;
    SystemClock clock;
    double const wall = duration<double>(system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(clock.now(), wall, 1.0);

    auto elapsed = [](auto&& action) {
        auto const before = steady_clock::now();
        action();
        return duration<double>(steady_clock::now() - before).count();
    };
    EXPECT_GE(elapsed([&] { clock.sleepFor(0.05); }), 0.05);
    EXPECT_GE(elapsed([&] { clock.sleepUntil(clock.now() + 0.05); }), 0.045);
    EXPECT_LT(elapsed([&] { clock.sleepUntil(clock.now() - 10.0); }), 0.04);
    EXPECT_LT(elapsed([&] { clock.sleepUntil(std::nan("")); }), 0.04);
    EXPECT_LT(elapsed([&] { clock.sleepFor(-1.0); }), 0.04);
}

} // namespace
