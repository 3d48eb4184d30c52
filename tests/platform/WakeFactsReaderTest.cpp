// The wake check's facts gathered from a folder standing for the whole machine: the RTC's
// sysfs, adjtime, /run, the display manager's files, the autostart entry; and the probe, whose
// limit is kept for the planner.
#include "platform/linux/WakeFactsReader.h"
#include "platform/ISettings.h"

#include "tests/support/FakePrivilegedOps.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/RtcFolder.h"

#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(WakeFactsReader, ReadsEveryFactFromItsFolderAndKeepsTheProbedLimit) {
    RtcFolder folder;
    std::string const root = folder.root();
    WakeFactsReader reader;
    reader.paths.sysfs = folder.sysfs();
    reader.paths.adjtime = folder.adjtime();
    reader.paths.run = root + "/run";
    reader.paths.root = root;
    reader.paths.systemBus = false;
    reader.paths.autostartEntry = QString::fromStdString(root + "/autostart/resvman.desktop");
    FakeSettings settings;
    FakePrivilegedOps privileged;
    privileged.setProbeAnswer(AlarmRange::Within24h);
    reader.settings = &settings;
    reader.privileged = &privileged;
    reader.helper = [] { return WakeFacts::Helper::Installed; };

    // A bare machine: no systemd, no RTC, nothing to start at login; no probe is tried.
    WakeFacts facts = reader.read();
    EXPECT_FALSE(facts.systemd);
    EXPECT_EQ(facts.logind, WakeFacts::Bus::NoBus);
    EXPECT_FALSE(facts.rtc.present);
    EXPECT_FALSE(facts.probed);
    EXPECT_FALSE(facts.autostart);
    EXPECT_EQ(facts.login.state, AutoLogin::State::Unknown);
    EXPECT_TRUE(privileged.calls().empty());

    // An RTC in local time that refuses 25 h, systemd, the autostart entry.
    folder.addRtc(static_cast<std::int64_t>(std::time(nullptr)) + 9 * 3600);
    folder.writeAdjtime("LOCAL");
    std::filesystem::create_directories(root + "/run/systemd/system");
    std::filesystem::create_directories(root + "/autostart");
    writeFile(root + "/autostart/resvman.desktop",
              "[Desktop Entry]\nType=Application\nExec=/usr/bin/resvman\n");
    reader.paths.systemctl = root + "/no-systemctl";
    facts = reader.read();
    EXPECT_TRUE(facts.systemd);
    EXPECT_TRUE(facts.rtc.wakeAlarm);
    EXPECT_EQ(facts.rtc.adjtime, RtcFacts::Adjtime::Local);
    EXPECT_FALSE(facts.plannedWakeUps) << "systemctl cannot be run: whose alarm is not known";
    EXPECT_TRUE(facts.autostart);
    EXPECT_TRUE(facts.probed);
    EXPECT_EQ(facts.range, AlarmRange::Within24h);
    EXPECT_EQ(privileged.calls(), std::vector<std::string>{"probe"});
    EXPECT_EQ(settings.integer(kWakeAlarmLimitKey), 24) << "kept for the planner";

    privileged.setProbeAnswer(AlarmRange::Beyond24h);
    reader.read();
    EXPECT_EQ(settings.integer(kWakeAlarmLimitKey), 0) << "a better RTC lifts the limit";
}

} // namespace
