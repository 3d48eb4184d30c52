// The argument vectors the program builds for the schedule tool.
#include "protocol/ScheduleArguments.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double k2001 = 978307200.0;

std::string absoluteTime(double unixSeconds) {
    return schedule::formatAbsoluteTime(unixSeconds).value_or("<none>");
}

} // namespace

TEST(ScheduleArgs, TimeIsSecondsSince2001WithTenDecimals) {
    EXPECT_EQ(absoluteTime(k2001), "0.0000000000");
    EXPECT_EQ(absoluteTime(k2001 + 300000000.5), "300000000.5000000000");
    EXPECT_EQ(absoluteTime(k2001 - 1), "-1.0000000000");
    EXPECT_EQ(absoluteTime(0), "-978307200.0000000000");
    EXPECT_EQ(absoluteTime(1714553700), "736246500.0000000000");
    // Exactly what "%.10f" prints, fractions and rounding included.
    for (double t : {0.1, 1714553700.123456789, 978307199.99999999, -12345.6789, 7258118399.5}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.10f", t - k2001);
        EXPECT_EQ(absoluteTime(t), expected);
    }
    EXPECT_FALSE(schedule::formatAbsoluteTime(std::nan("")));
    EXPECT_FALSE(schedule::formatAbsoluteTime(std::numeric_limits<double>::infinity()));
}

TEST(ScheduleArgs, TimeIgnoresTheUsersLocale) {
    // The program runs under the user's locale; a decimal comma would be refused by the tool.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const std::string text = absoluteTime(k2001 + 0.5);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(text, "0.5000000000");
}

TEST(ScheduleArgs, VectorsHoldCodeWordAndTimeOrConfirmation) {
    using schedule::Arguments;
    EXPECT_EQ(schedule::buildSetArguments(schedule::Kind::Wake, k2001),
              (Arguments{"73019482", "wake", "0.0000000000"}));
    EXPECT_EQ(schedule::buildSetArguments(schedule::Kind::Shutdown, k2001 + 60),
              (Arguments{"73019482", "shutdown", "60.0000000000"}));
    EXPECT_EQ(schedule::buildCancelArguments(1), (Arguments{"18264530", "wake", "18264597"}));
    EXPECT_EQ(schedule::buildCancelArguments(2), (Arguments{"18264530", "shutdown", "18264597"}));
    for (int kind : {0, 3, -1, 256}) {
        EXPECT_FALSE(schedule::buildCancelArguments(kind)) << kind;
    }
    EXPECT_FALSE(schedule::buildSetArguments(schedule::Kind::Wake, std::nan("")));
}
