#include "engine/WakeCheck.h"

#include <cmath>
#include <cstdlib>

namespace {

using Check = WakeFinding::Check;
using Code = WakeFinding::Code;

// A replacement the check still tells about.
constexpr double kReplacedRecently = 30 * 86400.0;

WakeFinding finding(Check check, WakeVerdict verdict, Code code, double value = 0.0,
                    double value2 = 0.0) {
    return WakeFinding{check, verdict, code, value, value2};
}

WakeFinding systemdFinding(WakeFacts const& facts) {
    if (!facts.systemd) {
        return finding(Check::Systemd, WakeVerdict::Problem, Code::NoSystemd);
    }
    switch (facts.logind) {
    case WakeFacts::Bus::Answered:
        break;
    case WakeFacts::Bus::Silent:
        return finding(Check::Systemd, WakeVerdict::Warning, Code::LogindSilent);
    case WakeFacts::Bus::NoBus:
        return finding(Check::Systemd, WakeVerdict::Warning, Code::NoSystemBus);
    }
    return finding(Check::Systemd, WakeVerdict::Fine, Code::Fine);
}

WakeFinding helperFinding(WakeFacts const& facts) {
    switch (facts.helper) {
    case WakeFacts::Helper::Installed:
        break;
    case WakeFacts::Helper::Missing:
        return finding(Check::Helper, WakeVerdict::Problem, Code::HelperMissing);
    case WakeFacts::Helper::Untrusted:
        return finding(Check::Helper, WakeVerdict::Problem, Code::HelperUntrusted);
    }
    return finding(Check::Helper, WakeVerdict::Fine, Code::Fine);
}

WakeFinding rtcFinding(RtcFacts const& rtc) {
    if (!rtc.present) {
        return finding(Check::Rtc, WakeVerdict::Problem, Code::NoRtc);
    }
    if (!rtc.wakeAlarm) {
        return finding(Check::Rtc, WakeVerdict::Problem, Code::NoWakeAlarm);
    }
    if (!rtc.wakeEnabled) {
        return finding(Check::Rtc, WakeVerdict::Warning, Code::WakeDisabled);
    }
    return finding(Check::Rtc, WakeVerdict::Fine, Code::Fine);
}

WakeFinding utcFinding(WakeFacts const& facts) {
    RtcFacts const& rtc = facts.rtc;
    if (!rtc.present) {
        return finding(Check::RtcUtc, WakeVerdict::Warning, Code::NotChecked);
    }
    RtcFacts::Judgement const judged = rtc.judgeClock(facts.now, facts.zoneOffset);
    bool const adjtimeLocal = rtc.adjtime == RtcFacts::Adjtime::Local;
    if (rtc.clock && !judged.measured && std::labs(judged.offset) > RtcFacts::kClockTolerance &&
        std::labs(judged.offset - facts.zoneOffset) > RtcFacts::kClockTolerance) {
        return finding(Check::RtcUtc, WakeVerdict::Warning, Code::ClockOff,
                       std::round(judged.offset / 60.0));
    }
    if (judged.clock == schedule::RtcClock::Local) {
        return finding(Check::RtcUtc, WakeVerdict::Warning,
                       adjtimeLocal ? Code::LocalTime : Code::LocalUnnoticed, facts.zoneOffset);
    }
    if (adjtimeLocal) {
        return finding(Check::RtcUtc, WakeVerdict::Warning, Code::UtcUnnoticed);
    }
    return finding(Check::RtcUtc, WakeVerdict::Fine, Code::Fine);
}

WakeFinding rangeFinding(WakeFacts const& facts) {
    if (!facts.rtc.present || !facts.rtc.wakeAlarm) {
        return finding(Check::AlarmRange, WakeVerdict::Warning, Code::NotChecked);
    }
    if (facts.probed) {
        switch (facts.range) {
        case AlarmRange::Beyond24h:
            return finding(Check::AlarmRange, WakeVerdict::Fine, Code::Fine);
        case AlarmRange::Within24h:
            return finding(Check::AlarmRange, WakeVerdict::Warning, Code::WithinDay);
        case AlarmRange::Outdated:
            return finding(Check::AlarmRange, WakeVerdict::Warning, Code::HelperOutdated);
        case AlarmRange::NoAlarm:
        case AlarmRange::Unknown:
            break;
        }
    }
    return finding(Check::AlarmRange, WakeVerdict::Warning, Code::RangeNotProbed);
}

WakeFinding otherAlarmFinding(WakeFacts const& facts) {
    RtcFacts const& rtc = facts.rtc;
    if (!rtc.present || !rtc.wakeAlarm) {
        return finding(Check::OtherAlarm, WakeVerdict::Warning, Code::NotChecked);
    }
    RtcFacts::Judgement const judged = rtc.judgeClock(facts.now, facts.zoneOffset);
    if (rtc.alarm) {
        // As an instant: an RTC in local time holds the zone's clock time.
        double const alarm = static_cast<double>(*rtc.alarm) -
                             (judged.clock == schedule::RtcClock::Local ? facts.zoneOffset : 0);
        bool ours = alarm <= static_cast<double>(facts.now); // a past alarm is nobody's
        if (!ours && facts.plannedWakeUps) {
            for (std::int64_t const planned : *facts.plannedWakeUps) {
                ours = ours || std::fabs(static_cast<double>(planned) - alarm) < 2.0;
            }
        } else if (!ours && facts.systemd) {
            // Whose it is cannot be told; without systemd, though, nothing of ours is.
            return finding(Check::OtherAlarm, WakeVerdict::Warning, Code::NotChecked);
        }
        if (!ours) {
            return finding(Check::OtherAlarm, WakeVerdict::Warning, Code::OtherAlarmSet, alarm);
        }
    }
    if (facts.lastReplaced &&
        facts.lastReplaced->at > static_cast<double>(facts.now) - kReplacedRecently) {
        return finding(Check::OtherAlarm, WakeVerdict::Warning, Code::OtherAlarmReplaced,
                       facts.lastReplaced->at, facts.lastReplaced->planned);
    }
    return finding(Check::OtherAlarm, WakeVerdict::Fine, Code::Fine);
}

// What power-off wakes need matters most when the computer is shut down after recordings.
WakeVerdict powerOffVerdict(WakeFacts const& facts) {
    return facts.shutdownOn ? WakeVerdict::Problem : WakeVerdict::Warning;
}

WakeFinding loginFinding(WakeFacts const& facts) {
    switch (facts.login.state) {
    case AutoLogin::State::On:
        return finding(Check::AutomaticLogin, WakeVerdict::Fine, Code::Fine);
    case AutoLogin::State::Off:
        return finding(Check::AutomaticLogin, powerOffVerdict(facts), Code::LoginOff);
    case AutoLogin::State::OtherUser:
        return finding(Check::AutomaticLogin, powerOffVerdict(facts), Code::LoginOtherUser);
    case AutoLogin::State::Unknown:
        break;
    }
    return finding(Check::AutomaticLogin, WakeVerdict::Warning, Code::LoginUnknown);
}

} // namespace

std::vector<WakeFinding> WakeCheck::evaluate(WakeFacts const& facts) {
    return {
        systemdFinding(facts),
        helperFinding(facts),
        rtcFinding(facts.rtc),
        utcFinding(facts),
        rangeFinding(facts),
        otherAlarmFinding(facts),
        facts.autostart ? finding(Check::StartAtLogin, WakeVerdict::Fine, Code::Fine)
                        : finding(Check::StartAtLogin, powerOffVerdict(facts), Code::NoAutostart),
        loginFinding(facts),
    };
}

int WakeCheck::exitStatus(std::vector<WakeFinding> const& findings) {
    for (WakeFinding const& f : findings) {
        if (f.verdict == WakeVerdict::Problem) {
            return 1;
        }
    }
    return 0;
}

char const* WakeCheck::checkId(WakeFinding::Check check) {
    switch (check) {
    case Check::Systemd:
        return "systemd";
    case Check::Helper:
        return "helper";
    case Check::Rtc:
        return "rtc";
    case Check::RtcUtc:
        return "rtc-utc";
    case Check::AlarmRange:
        return "alarm-range";
    case Check::OtherAlarm:
        return "other-alarm";
    case Check::StartAtLogin:
        return "start-at-login";
    case Check::AutomaticLogin:
        return "automatic-login";
    }
    return "unknown";
}

char const* WakeCheck::verdictName(WakeVerdict verdict) {
    switch (verdict) {
    case WakeVerdict::Fine:
        return "fine";
    case WakeVerdict::Warning:
        return "warning";
    case WakeVerdict::Problem:
        return "problem";
    }
    return "unknown";
}

TestWakeOutcome WakeCheck::judgeTestWake(double planned, double resumed,
                                         std::optional<std::uint64_t> eventsBefore,
                                         std::optional<std::uint64_t> eventsAfter) {
    if (resumed < planned - kOnTimeBefore) {
        return TestWakeOutcome::Early;
    }
    bool const onTime = resumed <= planned + kOnTimeAfter;
    if (!eventsBefore || !eventsAfter) {
        // Only the time tells: an alarm fires on time or not at all.
        return onTime ? TestWakeOutcome::OnTime : TestWakeOutcome::ByHand;
    }
    bool const counted = *eventsAfter > *eventsBefore;
    if (onTime) {
        return counted ? TestWakeOutcome::OnTime : TestWakeOutcome::NoEvent;
    }
    return counted ? TestWakeOutcome::Late : TestWakeOutcome::ByHand;
}

std::optional<JournalEntry> WakeCheck::testWakeEntry(TestWakeResult const& result, double now) {
    JournalEntry entry;
    entry.kind = JournalKind::TestWakeUp;
    entry.planned = result.planned;
    entry.down = result.down;
    switch (result.kind) {
    case TestWakeResult::Kind::Slept:
        entry.at = result.resumed;
        entry.test =
            judgeTestWake(result.planned, result.resumed, result.eventsBefore, result.eventsAfter);
        return entry;
    case TestWakeResult::Kind::NoSleep:
    case TestWakeResult::Kind::NoResume:
        entry.at = now;
        entry.test = TestWakeOutcome::NotSuspended;
        return entry;
    case TestWakeResult::Kind::PlanFailed:
    case TestWakeResult::Kind::SuspendFailed:
        break;
    }
    return std::nullopt; // nothing was tested; the window and the terminal say why
}
