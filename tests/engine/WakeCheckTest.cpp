// The wake check's verdicts, one case per row: each row changes one fact of a computer
// where everything is fine, and names the check that must tell. Zone: Japan (UTC+9).
#include "engine/WakeCheck.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using Check = WakeFinding::Check;
using Code = WakeFinding::Code;

constexpr std::int64_t kNow = 1714500000;
constexpr long kJst = 9 * 3600;

WakeFacts allFine() {
    WakeFacts facts;
    facts.now = kNow;
    facts.zoneOffset = kJst;
    facts.systemd = true;
    facts.logind = WakeFacts::Bus::Answered;
    facts.helper = WakeFacts::Helper::Installed;
    facts.rtc.present = true;
    facts.rtc.wakeAlarm = true;
    facts.rtc.clock = kNow + 3;
    facts.rtc.adjtime = RtcFacts::Adjtime::Utc;
    facts.rtc.alarm = kNow + 600; // ours
    facts.plannedWakeUps = std::vector<std::int64_t>{kNow + 600, kNow + 7200};
    facts.probed = true;
    facts.range = AlarmRange::Beyond24h;
    facts.autostart = true;
    facts.login.state = AutoLogin::State::On;
    facts.shutdownOn = true;
    return facts;
}

WakeFinding findingOf(std::vector<WakeFinding> const& findings, Check check) {
    for (WakeFinding const& f : findings) {
        if (f.check == check) {
            return f;
        }
    }
    ADD_FAILURE() << "no finding for " << WakeCheck::checkId(check);
    return {};
}

TEST(WakeCheck, EachFactIsToldByItsCheck) {
    std::vector<WakeFinding> const fine = WakeCheck::evaluate(allFine());
    ASSERT_EQ(fine.size(), 8u);
    for (WakeFinding const& f : fine) {
        EXPECT_EQ(f.verdict, WakeVerdict::Fine) << WakeCheck::checkId(f.check);
    }
    EXPECT_EQ(WakeCheck::exitStatus(fine), 0);

    struct Case {
        char const* name;
        std::function<void(WakeFacts&)> change;
        Check check;
        WakeVerdict verdict;
        Code code;
        double value = 0.0;
        int exit = -1; // -1: 1 when this check's verdict is a problem, 0 otherwise
    };
    using V = WakeVerdict;
    Case const cases[] = {
        {"no systemd", [](WakeFacts& f) { f.systemd = false; }, Check::Systemd, V::Problem,
         Code::NoSystemd},
        {"logind silent", [](WakeFacts& f) { f.logind = WakeFacts::Bus::Silent; }, Check::Systemd,
         V::Warning, Code::LogindSilent},
        {"no helper", [](WakeFacts& f) { f.helper = WakeFacts::Helper::Missing; }, Check::Helper,
         V::Problem, Code::HelperMissing},
        {"helper others may change", [](WakeFacts& f) { f.helper = WakeFacts::Helper::Untrusted; },
         Check::Helper, V::Problem, Code::HelperUntrusted},
        {"no RTC", [](WakeFacts& f) { f.rtc = RtcFacts{}; }, Check::Rtc, V::Problem, Code::NoRtc},
        {"no RTC: its time not checked", [](WakeFacts& f) { f.rtc = RtcFacts{}; }, Check::RtcUtc,
         V::Warning, Code::NotChecked, 0, 1},
        {"no wakealarm", [](WakeFacts& f) { f.rtc.wakeAlarm = false; }, Check::Rtc, V::Problem,
         Code::NoWakeAlarm},
        {"no wakealarm: range not checked", [](WakeFacts& f) { f.rtc.wakeAlarm = false; },
         Check::AlarmRange, V::Warning, Code::NotChecked, 0, 1},
        {"waking switched off", [](WakeFacts& f) { f.rtc.wakeEnabled = false; }, Check::Rtc,
         V::Warning, Code::WakeDisabled},
        {"LOCAL in adjtime, clock unread",
         [](WakeFacts& f) {
             f.rtc.clock.reset();
             f.rtc.adjtime = RtcFacts::Adjtime::Local;
         },
         Check::RtcUtc, V::Warning, Code::LocalTime, kJst},
        {"nine hours ahead, adjtime LOCAL",
         [](WakeFacts& f) {
             f.rtc.clock = kNow + kJst;
             f.rtc.adjtime = RtcFacts::Adjtime::Local;
         },
         Check::RtcUtc, V::Warning, Code::LocalTime, kJst},
        {"nine hours ahead, adjtime UTC", [](WakeFacts& f) { f.rtc.clock = kNow + kJst; },
         Check::RtcUtc, V::Warning, Code::LocalUnnoticed, kJst},
        {"reads UTC, adjtime LOCAL", [](WakeFacts& f) { f.rtc.adjtime = RtcFacts::Adjtime::Local; },
         Check::RtcUtc, V::Warning, Code::UtcUnnoticed},
        {"an hour wrong", [](WakeFacts& f) { f.rtc.clock = kNow - 3600; }, Check::RtcUtc,
         V::Warning, Code::ClockOff, -60},
        {"refused beyond 24 h", [](WakeFacts& f) { f.range = AlarmRange::Within24h; },
         Check::AlarmRange, V::Warning, Code::WithinDay},
        {"password not given",
         [](WakeFacts& f) {
             f.range = AlarmRange::Unknown;
             f.rangeFailure = PrivilegedFailure::NotAuthorized;
         },
         Check::AlarmRange, V::Warning, Code::RangeNotProbed},
        {"old helper", [](WakeFacts& f) { f.range = AlarmRange::Outdated; }, Check::AlarmRange,
         V::Warning, Code::HelperOutdated},
        {"another program's alarm", [](WakeFacts& f) { f.rtc.alarm = kNow + 999; },
         Check::OtherAlarm, V::Warning, Code::OtherAlarmSet, kNow + 999},
        {"ours, in local time",
         [](WakeFacts& f) {
             f.rtc.clock = kNow + kJst;
             f.rtc.alarm = kNow + 600 + kJst;
         },
         Check::OtherAlarm, V::Fine, Code::Fine},
        {"whose cannot be told", [](WakeFacts& f) { f.plannedWakeUps.reset(); }, Check::OtherAlarm,
         V::Warning, Code::NotChecked},
        {"a past alarm is nobody's", [](WakeFacts& f) { f.rtc.alarm = kNow - 60; },
         Check::OtherAlarm, V::Fine, Code::Fine},
        {"replaced last week",
         [](WakeFacts& f) {
             JournalEntry replaced;
             replaced.kind = JournalKind::AlarmReplaced;
             replaced.at = kNow - 7 * 86400;
             replaced.planned = kNow + 3600;
             f.lastReplaced = replaced;
         },
         Check::OtherAlarm, V::Warning, Code::OtherAlarmReplaced, kNow - 7 * 86400},
        {"no autostart, shutdown on", [](WakeFacts& f) { f.autostart = false; },
         Check::StartAtLogin, V::Problem, Code::NoAutostart},
        {"no autostart, shutdown off",
         [](WakeFacts& f) {
             f.autostart = false;
             f.shutdownOn = false;
         },
         Check::StartAtLogin, V::Warning, Code::NoAutostart},
        {"no automatic login", [](WakeFacts& f) { f.login.state = AutoLogin::State::Off; },
         Check::AutomaticLogin, V::Problem, Code::LoginOff},
        {"automatic login of another user",
         [](WakeFacts& f) { f.login.state = AutoLogin::State::OtherUser; }, Check::AutomaticLogin,
         V::Problem, Code::LoginOtherUser},
        {"cannot tell the login", [](WakeFacts& f) { f.login.state = AutoLogin::State::Unknown; },
         Check::AutomaticLogin, V::Warning, Code::LoginUnknown},
    };
    for (Case const& c : cases) {
        WakeFacts facts = allFine();
        c.change(facts);
        std::vector<WakeFinding> const findings = WakeCheck::evaluate(facts);
        WakeFinding const f = findingOf(findings, c.check);
        EXPECT_EQ(f.verdict, c.verdict) << c.name;
        EXPECT_EQ(f.code, c.code) << c.name;
        EXPECT_EQ(f.value, c.value) << c.name;
        EXPECT_EQ(WakeCheck::exitStatus(findings), c.exit >= 0               ? c.exit
                                                   : c.verdict == V::Problem ? 1
                                                                             : 0)
            << c.name;
    }
}

TEST(WakeCheck, ATestWakeUpIsJudgedByItsTimeAndTheAlarmsEvent) {
    constexpr double kPlanned = 1714500120.0;
    struct Case {
        double resumed;
        std::optional<std::uint64_t> before, after;
        TestWakeOutcome outcome;
    };
    Case const cases[] = {
        {kPlanned + 8, 4, 5, TestWakeOutcome::OnTime},
        {kPlanned + 8, std::nullopt, std::nullopt, TestWakeOutcome::OnTime},
        {kPlanned + 8, 4, 4, TestWakeOutcome::NoEvent},
        {kPlanned + 600, 4, 5, TestWakeOutcome::Late},
        {kPlanned + 14 * 60, 4, 4, TestWakeOutcome::ByHand},
        {kPlanned + 14 * 60, 4, std::nullopt, TestWakeOutcome::ByHand},
        {kPlanned - 60, 4, 5, TestWakeOutcome::Early},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(WakeCheck::judgeTestWake(kPlanned, c.resumed, c.before, c.after), c.outcome)
            << c.resumed - kPlanned;
    }
}

} // namespace
