// The schedule tool's effects: the exact systemd command lines and RTC alarm writes, with
// systemd recorded and the RTC faked.
#include "FakeSystemd.h"
#include "helper/ProcessRunner.h"
#include "tests/support/Sandbox.h"

#include "helper/ScheduleTool.h"
#include "helper/SysfsRtcAlarm.h"
#include <chrono>

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

constexpr std::int64_t kNow = 1714500000;  // 2024-04-30 18:00:00 UTC
constexpr std::int64_t kWake = 1714553700; // 2024-05-01 08:55:00 UTC
constexpr std::int64_t k2001 = 978307200;

std::string timeAt(std::int64_t unixTime, const char* decimals = ".0000000000") {
    return std::to_string(unixTime - k2001) + decimals;
}

class FakeRtc : public IRtcAlarm {
public:
    bool present() override { return hasRtc; }
    std::optional<std::int64_t> read() override { return alarm; }
    WriteResult write(std::int64_t value) override {
        if (value > limit) {
            return WriteResult::OutOfRange;
        }
        writes.push_back(value);
        alarm = value == 0 || forgets ? std::nullopt : std::optional<std::int64_t>(value);
        return failWrites ? WriteResult::Failed : WriteResult::Done;
    }

    bool hasRtc = true;
    bool failWrites = false;
    bool forgets = false;           // takes an alarm without an error, but does not keep it
    std::int64_t limit = INT64_MAX; // the furthest alarm the RTC can hold
    std::optional<std::int64_t> alarm;
    std::vector<std::int64_t> writes;
};

class ScheduleToolTest : public testing::Test {
protected:
    void SetUp() override {
        runRoot = makeScratchFolder();
        std::filesystem::create_directories(runRoot + "/systemd/system");
    }
    void TearDown() override { std::filesystem::remove_all(runRoot); }

    ScheduleToolExit Run(std::vector<std::string> args) {
        ScheduleTool tool(
            systemd, rtc, runRoot, [] { return kNow; }, 1000);
        tool.hasAlarmClock = [this] { return alarmClock; };
        tool.zoneOffset = [](std::int64_t) { return 9 * 3600L; }; // Japan
        std::ostringstream err;
        const ScheduleToolExit status = tool.run(args, err);
        messages = err.str();
        return status;
    }
    ScheduleToolExit wakeCall(std::int64_t t) { return Run({"73019482", "wake", timeAt(t)}); }

    static std::string listWake() {
        return "/usr/bin/systemctl list-units --all --plain --no-legend --no-pager "
               "--type=timer -- resvman-wake-*";
    }
    static std::string listShutdown() {
        return "/usr/bin/systemctl list-units --all --plain --no-legend --no-pager "
               "--type=timer -- resvman-shutdown-*";
    }

    FakeSystemd systemd;
    FakeRtc rtc;
    bool alarmClock = true; // what the kernel would say
    std::string runRoot;
    std::string messages;
};

} // namespace

TEST_F(ScheduleToolTest, WakeUpIsAWakingTimerAndTheRtcAlarm) {
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::Ok) << messages;
    EXPECT_EQ(systemd.commands,
              (std::vector<std::string>{
                  listWake(),
                  "/usr/bin/systemd-run --quiet --no-ask-password --collect "
                  "--unit=resvman-wake-u1000-1714553700-0 '--description=ResvMan wake-up for a "
                  "recording' '--on-calendar=2024-05-01 08:55:00 UTC' "
                  "--timer-property=AccuracySec=1s --timer-property=WakeSystem=true "
                  "--timer-property=RemainAfterElapse=false -- /usr/bin/true"}));
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0, kWake}));
}

TEST_F(ScheduleToolTest, WakeUpsAddUpAndTheRtcFollowsTheEarliest) {
    ASSERT_EQ(wakeCall(kWake), ScheduleToolExit::Ok);
    ASSERT_EQ(wakeCall(kWake + 3600), ScheduleToolExit::Ok); // later: the alarm stays
    ASSERT_EQ(wakeCall(kWake), ScheduleToolExit::Ok);        // same instant: a second unit
    ASSERT_EQ(wakeCall(kWake - 3600), ScheduleToolExit::Ok); // earlier: the alarm moves
    EXPECT_EQ(systemd.units, (std::set<std::string>{"resvman-wake-u1000-1714550100-0.timer",
                                                    "resvman-wake-u1000-1714553700-0.timer",
                                                    "resvman-wake-u1000-1714553700-1.timer",
                                                    "resvman-wake-u1000-1714557300-0.timer"}));
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0, kWake, 0, kWake - 3600}));
}

TEST_F(ScheduleToolTest, RtcKeepsAnotherProgramsEarlierAlarmOnly) {
    rtc.alarm = kWake - 60; // someone else's, earlier: kept
    ASSERT_EQ(wakeCall(kWake), ScheduleToolExit::Ok);
    EXPECT_TRUE(rtc.writes.empty());

    rtc.alarm = kWake + 7200; // someone else's, later: ours must come first, and we say so
    ASSERT_EQ(wakeCall(kWake + 60), ScheduleToolExit::AlarmReplaced);
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0, kWake}));
    EXPECT_NE(messages.find("another program had set for 2024-05-01 10:55:00 UTC"),
              std::string::npos)
        << messages;

    rtc.writes.clear();
    rtc.alarm = kNow - 10; // already past: replaced
    ASSERT_EQ(wakeCall(kWake + 120), ScheduleToolExit::Ok);
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0, kWake}));
}

TEST_F(ScheduleToolTest, NoRtcStillSetsTheTimer) {
    rtc.hasRtc = false;
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::Ok);
    EXPECT_EQ(systemd.units.size(), 1u);
    EXPECT_NE(messages.find("suspend only"), std::string::npos);
}

TEST_F(ScheduleToolTest, FailuresAreReported) {
    systemd.failWhenContains = "systemd-run";
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::Failed);
    EXPECT_TRUE(rtc.writes.empty());
    EXPECT_NE(messages.find("failed"), std::string::npos);

    systemd.failWhenContains.clear();
    rtc.failWrites = true;
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::Failed);

    systemd.failWhenContains = "list-units";
    EXPECT_EQ(Run({"18264530", "shutdown", "18264597"}), ScheduleToolExit::Failed);

    // A wake-up timer systemd refuses on a machine no clock can wake is told apart.
    systemd.failWhenContains = "WakeSystem=true";
    rtc.failWrites = false;
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::Failed);
    alarmClock = false;
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::NotWakeable);
    EXPECT_NE(messages.find("no alarm clock"), std::string::npos);
}

TEST_F(ScheduleToolTest, EachUserKeepsAtMost64WakeUps) {
    systemd.units.insert("resvman-wake-u1001-1714553700-0.timer"); // another user's
    for (std::size_t i = 0; i < ScheduleTool::kMaxWakeUps; ++i) {
        ASSERT_EQ(wakeCall(kWake + 60 * static_cast<std::int64_t>(i)), ScheduleToolExit::Ok)
            << i << messages;
    }
    EXPECT_EQ(wakeCall(kWake - 60), ScheduleToolExit::TooMany);
    EXPECT_EQ(systemd.units.size(), ScheduleTool::kMaxWakeUps + 1);
    ASSERT_EQ(Run({"18264530", "wake", "18264597"}), ScheduleToolExit::Ok);
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::Ok); // room again after the cancel
}

TEST_F(ScheduleToolTest, ShutdownPowersOffAtTheLaterWholeSecond) {
    ASSERT_EQ(Run({"73019482", "shutdown", timeAt(kWake, ".2500000000")}), ScheduleToolExit::Ok)
        << messages;
    EXPECT_EQ(systemd.commands.back(),
              "/usr/bin/systemd-run --quiet --no-ask-password --collect "
              "--unit=resvman-shutdown-u1000-1714553701-0 '--description=ResvMan shutdown after "
              "recordings' '--on-calendar=2024-05-01 08:55:01 UTC' "
              "--timer-property=AccuracySec=1s --timer-property=RemainAfterElapse=false -- "
              "/usr/bin/busctl --system call -- org.freedesktop.login1 /org/freedesktop/login1 "
              "org.freedesktop.login1.Manager PowerOffWithFlags t 1");
    EXPECT_EQ(systemd.commands.front(), listShutdown());
    EXPECT_TRUE(rtc.writes.empty());

    // Where logind does not answer, there are no inhibitors to honour.
    systemd.failWhenContains = "Peer Ping";
    ASSERT_EQ(Run({"73019482", "shutdown", timeAt(kWake + 60)}), ScheduleToolExit::Ok) << messages;
    EXPECT_TRUE(systemd.commands.back().ends_with("RemainAfterElapse=false -- "
                                                  "/usr/bin/systemctl poweroff"))
        << systemd.commands.back();
    systemd.failWhenContains.clear();

    // A wake-up with a fraction goes to the earlier whole second.
    ASSERT_EQ(Run({"73019482", "wake", timeAt(kWake, ".7500000000")}), ScheduleToolExit::Ok);
    EXPECT_TRUE(systemd.units.count("resvman-wake-u1000-1714553700-0.timer"));
}

TEST_F(ScheduleToolTest, PastInstantsScheduleNothing) {
    // Above all, a shutdown time that has passed must not power the machine off now.
    EXPECT_EQ(Run({"73019482", "shutdown", timeAt(kNow)}), ScheduleToolExit::Ok);
    EXPECT_EQ(Run({"73019482", "wake", timeAt(kNow - 86400)}), ScheduleToolExit::Ok);
    EXPECT_EQ(Run({"73019482", "wake", "-978307200.0000000000"}), ScheduleToolExit::Ok);
    EXPECT_TRUE(systemd.commands.empty());
    EXPECT_TRUE(rtc.writes.empty());
    EXPECT_NE(messages.find("has passed"), std::string::npos);
}

TEST_F(ScheduleToolTest, CancelStopsEveryTimerOfThatKindAndClearsOurAlarm) {
    ASSERT_EQ(wakeCall(kWake), ScheduleToolExit::Ok);
    ASSERT_EQ(wakeCall(kWake + 60), ScheduleToolExit::Ok);
    ASSERT_EQ(Run({"73019482", "shutdown", timeAt(kWake + 7200)}), ScheduleToolExit::Ok);
    systemd.commands.clear();
    rtc.writes.clear();

    EXPECT_EQ(Run({"18264530", "wake", "18264597"}), ScheduleToolExit::Ok) << messages;
    EXPECT_EQ(systemd.commands,
              (std::vector<std::string>{
                  listWake(),
                  "/usr/bin/systemctl stop --no-ask-password -- "
                  "resvman-wake-u1000-1714553700-0.timer resvman-wake-u1000-1714553760-0.timer"}));
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0}));
    EXPECT_EQ(systemd.units, (std::set<std::string>{"resvman-shutdown-u1000-1714560900-0.timer"}));

    systemd.commands.clear();
    EXPECT_EQ(Run({"18264530", "shutdown", "18264597"}), ScheduleToolExit::Ok);
    EXPECT_EQ(systemd.commands, (std::vector<std::string>{
                                    listShutdown(), "/usr/bin/systemctl stop --no-ask-password -- "
                                                    "resvman-shutdown-u1000-1714560900-0.timer"}));
    EXPECT_TRUE(systemd.units.empty());
}

TEST_F(ScheduleToolTest, CancelLeavesOtherAlarmsAndStopsNothingWhenThereIsNothing) {
    rtc.alarm = kWake + 5; // not one of ours
    EXPECT_EQ(Run({"18264530", "wake", "18264597"}), ScheduleToolExit::Ok);
    EXPECT_EQ(systemd.commands, (std::vector<std::string>{listWake()}));
    EXPECT_TRUE(rtc.writes.empty());

    ASSERT_EQ(wakeCall(kWake + 3600),
              ScheduleToolExit::Ok); // the foreign alarm comes first and stays
    systemd.commands.clear();
    EXPECT_EQ(Run({"18264530", "wake", "18264597"}), ScheduleToolExit::Ok);
    EXPECT_TRUE(rtc.writes.empty());
    EXPECT_EQ(rtc.alarm, kWake + 5);
}

TEST_F(ScheduleToolTest, RefusedArgumentsAndMissingSystemdTouchNothing) {
    EXPECT_EQ(Run({"73019482", "wake", "1e9"}), ScheduleToolExit::Refused);
    EXPECT_NE(messages.find("refused"), std::string::npos);
    EXPECT_EQ(Run({"18264530", "wake"}), ScheduleToolExit::Refused);

    std::filesystem::remove_all(runRoot + "/systemd");
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::NoSystemd);
    EXPECT_NE(messages.find("systemd is not running"), std::string::npos);
    EXPECT_TRUE(systemd.commands.empty());
    EXPECT_TRUE(rtc.writes.empty());
}

TEST(ScheduleToolUnits, OnlyItsOwnTimerNamesAreRecognised) {
    using schedule::Kind;
    const auto unit = ScheduleTool::parseUnit("resvman-wake-u1000-1714553700-12.timer", Kind::Wake);
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->user, 1000u);
    EXPECT_EQ(unit->time, 1714553700);
    EXPECT_EQ(unit->serial, 12u);
    for (const char* other :
         {"resvman-wake-u1000-1714553700-0.service", "resvman-wake-u1000-1714553700.timer",
          "resvman-wake-u1000--5-0.timer", "resvman-wake-u1000-1714553700-.timer",
          "resvman-wake-u-1714553700-0.timer", "resvman-wake-ux-1-0.timer",
          "resvman-wake-u1-1-0-0.timer", "resvman-shutdown-u1000-1714553700-0.timer",
          "xresvman-wake-u1000-1-0.timer", "resvman-wake-.timer",
          "resvman-wake-1714553700-0.timer"}) { // a name without a user
        EXPECT_FALSE(ScheduleTool::parseUnit(other, Kind::Wake)) << other;
    }
    EXPECT_TRUE(ScheduleTool::parseUnit("resvman-shutdown-u0-1-0.timer", Kind::Shutdown));
}

TEST_F(ScheduleToolTest, UsersKeepTheirOwnTimersAndShareTheRtc) {
    // Another user's wake-ups, one of them holding the alarm.
    systemd.units = {"resvman-wake-u1001-1714553600-0.timer",
                     "resvman-wake-u1001-1714560000-0.timer"};
    rtc.alarm = 1714553600;
    ASSERT_EQ(wakeCall(kWake), ScheduleToolExit::Ok); // later than theirs: the alarm stays theirs
    EXPECT_TRUE(rtc.writes.empty());
    ASSERT_EQ(wakeCall(kWake - 3600), ScheduleToolExit::Ok); // earlier: ours now
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0, kWake - 3600}));
    systemd.commands.clear();
    rtc.writes.clear();

    EXPECT_EQ(Run({"18264530", "wake", "18264597"}), ScheduleToolExit::Ok) << messages;
    EXPECT_EQ(systemd.commands.back(),
              "/usr/bin/systemctl stop --no-ask-password -- resvman-wake-u1000-1714550100-0.timer "
              "resvman-wake-u1000-1714553700-0.timer");
    EXPECT_EQ(systemd.units, (std::set<std::string>{"resvman-wake-u1001-1714553600-0.timer",
                                                    "resvman-wake-u1001-1714560000-0.timer"}));
    // The alarm was ours: the other user's earliest wake-up gets it back.
    EXPECT_EQ(rtc.alarm, 1714553600);
}

TEST_F(ScheduleToolTest, AWakeUpBeyondTheRtcsRangeIsSetWithANote) {
    rtc.limit = kWake + 86400;
    EXPECT_EQ(wakeCall(kWake + 2 * 86400), ScheduleToolExit::AlarmLimited) << messages;
    EXPECT_EQ(systemd.units.size(), 1u);
    EXPECT_NE(messages.find("beyond what the RTC alarm can hold"), std::string::npos);
    // A nearer one still goes to the RTC.
    EXPECT_EQ(wakeCall(kWake), ScheduleToolExit::Ok);
    EXPECT_EQ(rtc.alarm, kWake);
}

TEST_F(ScheduleToolTest, AnRtcInLocalTimeGetsItsAlarmInLocalTime) {
    constexpr std::int64_t kJst = 9 * 3600;
    rtc.alarm = kWake + kJst + 7200; // another program's, later, as the RTC reads it
    EXPECT_EQ(Run({"73019482", "wake-local", timeAt(kWake)}), ScheduleToolExit::AlarmReplaced);
    ASSERT_EQ(Run({"73019482", "wake-local", timeAt(kWake + 60)}), ScheduleToolExit::Ok);
    // The timer stays in UTC; only the alarm is written as the RTC keeps time.
    EXPECT_TRUE(systemd.units.count("resvman-wake-u1000-1714553700-0.timer"));
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0, kWake + kJst}));
    // Its cancel knows the alarm for ours and clears it.
    EXPECT_EQ(Run({"18264530", "wake-local", "18264597"}), ScheduleToolExit::Ok);
    EXPECT_EQ(rtc.writes.back(), 0);
    EXPECT_FALSE(rtc.alarm);
}

TEST_F(ScheduleToolTest, TheProbeFindsTheRangeAndPutsTheAlarmBack) {
    constexpr std::int64_t kAhead = kNow + 25 * 3600;
    struct Case {
        const char* name;
        std::int64_t limit;
        bool forgets;
        std::optional<std::int64_t> before;
        ScheduleToolExit exit;
        std::vector<std::int64_t> writes;
    };
    const Case cases[] = {
        {"holds 25 h", INT64_MAX, false, std::nullopt, ScheduleToolExit::Ok, {0, kAhead, 0}},
        {"refuses", kNow + 86400, false, kWake, ScheduleToolExit::AlarmLimited, {0, 0, kWake}},
        {"takes, keeps nothing",
         INT64_MAX,
         true,
         std::nullopt,
         ScheduleToolExit::AlarmLimited,
         {0, kAhead, 0}},
        {"a past alarm stays cleared",
         INT64_MAX,
         false,
         kNow - 60,
         ScheduleToolExit::Ok,
         {0, kAhead, 0}},
    };
    // No systemd is needed to know the hardware.
    std::filesystem::remove_all(runRoot + "/systemd");
    for (const auto& c : cases) {
        rtc = FakeRtc{};
        rtc.limit = c.limit;
        rtc.forgets = c.forgets;
        rtc.alarm = c.before;
        EXPECT_EQ(Run({"52807314", "wake", "52807391"}), c.exit) << c.name << ": " << messages;
        EXPECT_EQ(rtc.writes, c.writes) << c.name;
        EXPECT_EQ(rtc.alarm, c.before && *c.before > kNow ? c.before : std::nullopt) << c.name;
    }
    EXPECT_TRUE(systemd.commands.empty());

    rtc = FakeRtc{};
    EXPECT_EQ(Run({"52807314", "wake-local", "52807391"}), ScheduleToolExit::Ok);
    EXPECT_EQ(rtc.writes, (std::vector<std::int64_t>{0, kAhead + 9 * 3600, 0}));
    rtc.hasRtc = false;
    EXPECT_EQ(Run({"52807314", "wake", "52807391"}), ScheduleToolExit::NotWakeable);
    rtc.hasRtc = true;
    rtc.failWrites = true;
    EXPECT_EQ(Run({"52807314", "wake", "52807391"}), ScheduleToolExit::Failed);
}

TEST(SysfsRtcAlarm, ReadsAndWritesTheWakealarmFile) {
    const std::string root = makeScratchFolder();
    SysfsRtcAlarm rtc(root);
    EXPECT_FALSE(rtc.present());
    EXPECT_EQ(rtc.write(5), IRtcAlarm::WriteResult::Failed);

    std::filesystem::create_directories(root + "/class/rtc/rtc0");
    writeFile(rtc.path(), "");
    EXPECT_TRUE(rtc.present());
    EXPECT_FALSE(rtc.read()); // empty: no alarm
    ASSERT_EQ(rtc.write(1714553700), IRtcAlarm::WriteResult::Done);
    EXPECT_EQ(readFile(rtc.path()), "1714553700\n");
    EXPECT_EQ(rtc.read(), 1714553700);
    writeFile(rtc.path(), "garbage\n");
    EXPECT_FALSE(rtc.read());
    std::filesystem::remove_all(root);
}

TEST(ProcessRunner, RunsByAbsolutePathWithACleanEnvironment) {
    setenv("RESVMAN_LEAK", "1", 1);
    ProcessRunner runner;
    const auto env = runner.run({"/usr/bin/env"});
    EXPECT_EQ(env.status, 0);
    EXPECT_EQ(env.output, "PATH=/usr/sbin:/usr/bin:/sbin:/bin\nLC_ALL=C\n");
    EXPECT_EQ(runner.run({"/usr/bin/false"}).status, 1);
    EXPECT_EQ(runner.run({"env"}).status, -1); // never looked up through PATH
    EXPECT_EQ(runner.run({"/nonexistent/program"}).status, 127);
    EXPECT_EQ(runner.run({}).status, -1);

    // A command that hangs is killed at the deadline, and that counts as a failure.
    ProcessRunner impatient(std::chrono::milliseconds(200));
    const auto began = std::chrono::steady_clock::now();
    const auto hung = impatient.run({"/usr/bin/sleep", "30"});
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    EXPECT_TRUE(hung.timedOut);
    EXPECT_EQ(hung.status, -1);
    EXPECT_FALSE(impatient.run({"/usr/bin/true"}).timedOut);
}
