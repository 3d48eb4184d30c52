// The answer to the system's sleep messages.
#include "engine/SleepRule.h"
#include "tests/support/FakeDefaults.h"

#include <gtest/gtest.h>

namespace {

constexpr double kNow = 1705276800.0;

SleepSettings Settings(bool suspend, bool acpi, long restore = 5) {
    SleepSettings s;
    s.suspendFlag = suspend;
    s.useAcpi = acpi;
    s.restoreMinutes = restore;
    return s;
}

SleepAnswer Query(SleepSettings const& s, std::optional<double> next) {
    return MySleepCallBack(kIOMessageCanSystemSleep, s, kNow, next);
}

TEST(SleepRuleTest, SettingsAreReadOnlyWhenPresent) {
    FakeDefaults defaults;
    SleepSettings const absent = ReadSleepSettings(defaults);
    EXPECT_FALSE(absent.suspendFlag);
    EXPECT_FALSE(absent.useAcpi);
    EXPECT_EQ(absent.restoreMinutes, 5);
    EXPECT_EQ(defaults.reads(), (std::vector<std::string>{"object SUSPENDFLAG", "object USEACPI",
                                                          "object RESTORETIME"}));

    defaults.setInteger(kDefaultsSuspendFlag, 1);
    defaults.setInteger(kDefaultsUseAcpi, 7);
    defaults.setInteger(kDefaultsRestoreTime, 0);
    SleepSettings const present = ReadSleepSettings(defaults);
    EXPECT_TRUE(present.suspendFlag);
    EXPECT_TRUE(present.useAcpi);
    EXPECT_EQ(present.restoreMinutes, 0);

    defaults.setInteger(kDefaultsSuspendFlag, 0);
    defaults.setInteger(kDefaultsRestoreTime, -2);
    SleepSettings const off = ReadSleepSettings(defaults);
    EXPECT_FALSE(off.suspendFlag);
    EXPECT_EQ(off.restoreMinutes, -2);
}

TEST(SleepRuleTest, SleepNotAllowedVetoesWhateverElse) {
    for (bool acpi : {false, true}) {
        EXPECT_EQ(Query(Settings(false, acpi), std::nullopt), SleepAnswer::Veto);
        EXPECT_EQ(Query(Settings(false, acpi), kNow + 86400.0), SleepAnswer::Veto);
    }
}

TEST(SleepRuleTest, WithoutWakeUpsSleepIsAlwaysAllowed) {
    EXPECT_EQ(Query(Settings(true, false), kNow + 1.0), SleepAnswer::Allow);
    EXPECT_EQ(Query(Settings(true, false), std::nullopt), SleepAnswer::Allow);
}

TEST(SleepRuleTest, VetoOnlyWithinTheLeadBeforeTheNextStart) {
    SleepSettings const s = Settings(true, true);
    EXPECT_EQ(Query(s, kNow + 4 * 60.0), SleepAnswer::Veto);
    EXPECT_EQ(Query(s, kNow + 5 * 60.0), SleepAnswer::Allow); // exactly at the lead
    EXPECT_EQ(Query(s, kNow + 5 * 60.0 - 0.5), SleepAnswer::Veto);
    EXPECT_EQ(Query(s, kNow + 6 * 60.0), SleepAnswer::Allow);
    EXPECT_EQ(Query(s, std::nullopt), SleepAnswer::Allow);

    // A lead of 0 never vetoes a start that lies ahead.
    EXPECT_EQ(Query(Settings(true, true, 0), kNow + 1.0), SleepAnswer::Allow);
    EXPECT_EQ(Query(Settings(true, true, 10), kNow + 9 * 60.0), SleepAnswer::Veto);
}

TEST(SleepRuleTest, AnnouncedSleepIsAlwaysAllowedOtherMessagesGetNoAnswer) {
    for (bool suspend : {false, true}) {
        EXPECT_EQ(
            MySleepCallBack(kIOMessageSystemWillSleep, Settings(suspend, true), kNow, kNow + 60.0),
            SleepAnswer::Allow);
    }
    EXPECT_EQ(MySleepCallBack(0xE0000300, Settings(false, true), kNow, kNow + 60.0),
              SleepAnswer::NoAnswer);
    EXPECT_EQ(MySleepCallBack(0, Settings(true, true), kNow, std::nullopt), SleepAnswer::NoAnswer);
}

} // namespace
