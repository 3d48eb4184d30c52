// The Linux clock and calendar behind the engine.
#include "platform/linux/LocalCalendar.h"
#include "platform/linux/SystemClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace {

constexpr double kMonday0900Jst = 1705276800.0; // 2024-01-15 00:00 UTC

// Switches the process's zone for one test and restores the pinned one.
class ZoneScope {
public:
    explicit ZoneScope(char const* zone) : m_old(std::getenv("TZ") ? std::getenv("TZ") : "") {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        setenv("TZ", m_old.c_str(), 1);
        tzset();
    }

private:
    std::string m_old;
};

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
