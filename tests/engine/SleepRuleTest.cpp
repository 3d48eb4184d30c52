// The answer to the system's sleep messages.
#include "engine/SleepRule.h"
#include "tests/support/FakeSettings.h"

#include <gtest/gtest.h>

namespace {

constexpr double kNow = 1705276800.0;

SleepSettings settings(bool suspend, bool acpi, long restore = 5) {
    SleepSettings s;
    s.allowIdleSleep = suspend;
    s.wakeBefore = acpi;
    s.wakeLeadMinutes = restore;
    return s;
}

SleepAnswer query(SleepSettings const& s, std::optional<double> next) {
    return answerSleepQuery(kCanSleepQuery, s, kNow, next);
}

TEST(SleepRuleTest, SettingsAreReadOnlyWhenPresent) {
    FakeSettings defaults;
    SleepSettings const absent = readSleepSettings(defaults);
    EXPECT_FALSE(absent.allowIdleSleep);
    EXPECT_FALSE(absent.wakeBefore);
    EXPECT_EQ(absent.wakeLeadMinutes, 5);
    EXPECT_EQ(defaults.reads(),
              (std::vector<std::string>{"contains SUSPENDFLAG", "contains USEACPI",
                                        "contains RESTORETIME"}));

    defaults.setInteger(kAllowIdleSleepKey, 1);
    defaults.setInteger(kWakeBeforeKey, 7);
    defaults.setInteger(kWakeLeadKey, 0);
    SleepSettings const present = readSleepSettings(defaults);
    EXPECT_TRUE(present.allowIdleSleep);
    EXPECT_TRUE(present.wakeBefore);
    EXPECT_EQ(present.wakeLeadMinutes, 0);

    defaults.setInteger(kAllowIdleSleepKey, 0);
    defaults.setInteger(kWakeLeadKey, -2);
    SleepSettings const off = readSleepSettings(defaults);
    EXPECT_FALSE(off.allowIdleSleep);
    EXPECT_EQ(off.wakeLeadMinutes, -2);
}

TEST(SleepRuleTest, SleepNotAllowedVetoesWhateverElse) {
    for (bool acpi : {false, true}) {
        EXPECT_EQ(query(settings(false, acpi), std::nullopt), SleepAnswer::Veto);
        EXPECT_EQ(query(settings(false, acpi), kNow + 86400.0), SleepAnswer::Veto);
    }
}

TEST(SleepRuleTest, WithoutWakeUpsSleepIsAlwaysAllowed) {
    EXPECT_EQ(query(settings(true, false), kNow + 1.0), SleepAnswer::Allow);
    EXPECT_EQ(query(settings(true, false), std::nullopt), SleepAnswer::Allow);
}

TEST(SleepRuleTest, VetoOnlyWithinTheLeadBeforeTheNextStart) {
    SleepSettings const s = settings(true, true);
    EXPECT_EQ(query(s, kNow + 4 * 60.0), SleepAnswer::Veto);
    EXPECT_EQ(query(s, kNow + 5 * 60.0), SleepAnswer::Allow); // exactly at the lead
    EXPECT_EQ(query(s, kNow + 5 * 60.0 - 0.5), SleepAnswer::Veto);
    EXPECT_EQ(query(s, kNow + 6 * 60.0), SleepAnswer::Allow);
    EXPECT_EQ(query(s, std::nullopt), SleepAnswer::Allow);

    // A lead of 0 never vetoes a start that lies ahead.
    EXPECT_EQ(query(settings(true, true, 0), kNow + 1.0), SleepAnswer::Allow);
    EXPECT_EQ(query(settings(true, true, 10), kNow + 9 * 60.0), SleepAnswer::Veto);

    // A recording handed over with margins is vetoed through to its late end, but only
    // where wake-ups are used at all.
    EXPECT_EQ(answerSleepQuery(kCanSleepQuery, s, kNow, std::nullopt, kNow + 1.0),
              SleepAnswer::Veto);
    EXPECT_EQ(answerSleepQuery(kCanSleepQuery, s, kNow, std::nullopt, kNow), SleepAnswer::Allow);
    EXPECT_EQ(
        answerSleepQuery(kCanSleepQuery, settings(true, false), kNow, std::nullopt, kNow + 60.0),
        SleepAnswer::Allow);
}

TEST(SleepRuleTest, AnnouncedSleepIsAlwaysAllowedOtherMessagesGetNoAnswer) {
    for (bool suspend : {false, true}) {
        EXPECT_EQ(answerSleepQuery(kWillSleepNotice, settings(suspend, true), kNow, kNow + 60.0),
                  SleepAnswer::Allow);
    }
    EXPECT_EQ(answerSleepQuery(0xE0000300, settings(false, true), kNow, kNow + 60.0),
              SleepAnswer::NoAnswer);
    EXPECT_EQ(answerSleepQuery(0, settings(true, true), kNow, std::nullopt), SleepAnswer::NoAnswer);
}

} // namespace
