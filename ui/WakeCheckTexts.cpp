#include "ui/WakeCheckTexts.h"

#include "ui/HistoryTexts.h"
#include "ui/PlanStatus.h"

#include <cmath>

namespace WakeCheckTexts {

namespace {

using Check = WakeFinding::Check;
using Code = WakeFinding::Code;

QString hours(double seconds) {
    return QString::number(seconds / 3600.0, 'g', 3);
}

} // namespace

QString checkName(WakeFinding::Check check) {
    switch (check) {
    case Check::Systemd:
        //% "systemd and logind"
        return qtTrId("IDS_WAKECHECK_SYSTEMD");
    case Check::Helper:
        //% "Wake-up helper"
        return qtTrId("IDS_WAKECHECK_HELPER");
    case Check::Rtc:
        //% "Clock alarm (RTC)"
        return qtTrId("IDS_WAKECHECK_RTC");
    case Check::RtcUtc:
        //% "Clock kept in UTC"
        return qtTrId("IDS_WAKECHECK_RTC_UTC");
    case Check::AlarmRange:
        //% "How far ahead the alarm reaches"
        return qtTrId("IDS_WAKECHECK_RANGE");
    case Check::OtherAlarm:
        //% "Alarms of other programs"
        return qtTrId("IDS_WAKECHECK_OTHER_ALARM");
    case Check::StartAtLogin:
        //% "Start at login"
        return qtTrId("IDS_WAKECHECK_AUTOSTART");
    case Check::AutomaticLogin:
        //% "Automatic login"
        return qtTrId("IDS_WAKECHECK_LOGIN");
    }
    return QString();
}

QString verdictName(WakeVerdict verdict) {
    switch (verdict) {
    case WakeVerdict::Fine:
        //% "Fine"
        return qtTrId("IDS_WAKECHECK_FINE");
    case WakeVerdict::Warning:
        //% "Warning"
        return qtTrId("IDS_WAKECHECK_WARNING");
    case WakeVerdict::Problem:
        //% "Problem"
        return qtTrId("IDS_WAKECHECK_PROBLEM");
    }
    return QString();
}

QString found(WakeFinding const& finding, WakeFacts const& facts) {
    switch (finding.code) {
    case Code::Fine:
        break;
    case Code::NoSystemd:
        //% "systemd is not the init system: wake-up timers cannot be set."
        return qtTrId("IDS_WAKECHECK_FOUND_NO_SYSTEMD");
    case Code::LogindSilent:
        //% "logind did not answer on the system bus."
        return qtTrId("IDS_WAKECHECK_FOUND_LOGIND_SILENT");
    case Code::NoSystemBus:
        //% "The system bus cannot be reached."
        return qtTrId("IDS_WAKECHECK_FOUND_NO_BUS");
    case Code::HelperMissing:
        //% "The wake-up helper is not installed on this computer."
        return qtTrId("IDS_WAKECHECK_FOUND_HELPER_MISSING");
    case Code::HelperUntrusted:
        //% "The wake-up helper is installed, but users other than the administrator may change "
        //% "it: it is not run."
        return qtTrId("IDS_WAKECHECK_FOUND_HELPER_UNTRUSTED");
    case Code::NoRtc:
        //% "This computer has no real-time clock (RTC) the system can see."
        return qtTrId("IDS_WAKECHECK_FOUND_NO_RTC");
    case Code::NoWakeAlarm:
        //% "The real-time clock has no wake alarm."
        return qtTrId("IDS_WAKECHECK_FOUND_NO_WAKEALARM");
    case Code::WakeDisabled:
        //% "The system does not let the real-time clock wake the computer."
        return qtTrId("IDS_WAKECHECK_FOUND_WAKE_DISABLED");
    case Code::LocalTime:
        //% "The real-time clock keeps local time (%1 h ahead of UTC), as a computer shared with "
        //% "Windows does. Wake-ups are written in local time, so they land right."
        return qtTrId("IDS_WAKECHECK_FOUND_LOCAL").arg(hours(finding.value));
    case Code::LocalUnnoticed:
        //% "The real-time clock reads local time (%1 h ahead of UTC), though the system takes "
        //% "it for UTC. Wake-ups are written in local time, so they land right."
        return qtTrId("IDS_WAKECHECK_FOUND_LOCAL_UNNOTICED").arg(hours(finding.value));
    case Code::UtcUnnoticed:
        //% "The real-time clock reads UTC, though /etc/adjtime says it keeps local time."
        return qtTrId("IDS_WAKECHECK_FOUND_UTC_UNNOTICED");
    case Code::ClockOff:
        //% "The real-time clock is %1 min off the system's clock."
        return qtTrId("IDS_WAKECHECK_FOUND_CLOCK_OFF")
            .arg(static_cast<long>(std::lround(finding.value)));
    case Code::WithinDay:
        //% "The alarm refused a time 25 h ahead: it reaches at most 24 h. Wake-ups further "
        //% "ahead are relayed: the computer wakes within the day, plans again and, with "
        //% "shutdown on, goes off again."
        return qtTrId("IDS_WAKECHECK_FOUND_WITHIN_DAY");
    case Code::RangeNotProbed:
        if (facts.rangeFailure != PrivilegedFailure::None) {
            //% "Not found out. %1"
            return qtTrId("IDS_WAKECHECK_FOUND_NOT_PROBED_WHY")
                .arg(PlanStatus::failureText(facts.rangeFailure));
        }
        //% "Not found out: the wake-up helper is needed to try an alarm."
        return qtTrId("IDS_WAKECHECK_FOUND_NOT_PROBED");
    case Code::HelperOutdated:
        //% "Not found out: the installed wake-up helper is older than this program."
        return qtTrId("IDS_WAKECHECK_FOUND_HELPER_OUTDATED");
    case Code::OtherAlarmSet:
        //% "The clock alarm is set for %1, which this program did not plan. A wake-up of this "
        //% "program that comes first will replace it."
        return qtTrId("IDS_WAKECHECK_FOUND_OTHER_ALARM").arg(historyTime(finding.value));
    case Code::OtherAlarmReplaced:
        if (finding.value2 > 0.0) {
            //% "On %1 a wake-up of this program replaced the clock alarm another program had "
            //% "set for %2."
            return qtTrId("IDS_WAKECHECK_FOUND_REPLACED_AT")
                .arg(historyTime(finding.value), historyTime(finding.value2));
        }
        //% "On %1 a wake-up of this program replaced a clock alarm another program had set."
        return qtTrId("IDS_WAKECHECK_FOUND_REPLACED").arg(historyTime(finding.value));
    case Code::NoAutostart:
        //% "This program does not start at login: after a wake-up from power-off nobody plans "
        //% "the next wake-ups."
        return qtTrId("IDS_WAKECHECK_FOUND_NO_AUTOSTART");
    case Code::LoginOff:
        //% "The display manager does not log anyone in by itself: after a wake-up from "
        //% "power-off the computer waits at the login screen."
        return qtTrId("IDS_WAKECHECK_FOUND_LOGIN_OFF");
    case Code::LoginOtherUser:
        //% "The display manager logs in “%1” by itself, not you."
        return qtTrId("IDS_WAKECHECK_FOUND_LOGIN_OTHER")
            .arg(QString::fromStdString(facts.login.user));
    case Code::LoginUnknown:
        //% "Whether the display manager logs you in by itself cannot be told from its files."
        return qtTrId("IDS_WAKECHECK_FOUND_LOGIN_UNKNOWN");
    case Code::NotChecked:
        //% "Not checked: what it needs is missing (see above)."
        return qtTrId("IDS_WAKECHECK_FOUND_NOT_CHECKED");
    }
    switch (finding.check) {
    case Check::Systemd:
        //% "systemd runs and logind answers."
        return qtTrId("IDS_WAKECHECK_OK_SYSTEMD");
    case Check::Helper:
        //% "Installed, and only the administrator may change it."
        return qtTrId("IDS_WAKECHECK_OK_HELPER");
    case Check::Rtc:
        //% "The real-time clock has a wake alarm."
        return qtTrId("IDS_WAKECHECK_OK_RTC");
    case Check::RtcUtc:
        //% "The real-time clock keeps UTC."
        return qtTrId("IDS_WAKECHECK_OK_RTC_UTC");
    case Check::AlarmRange:
        //% "The alarm holds a time 25 h ahead."
        return qtTrId("IDS_WAKECHECK_OK_RANGE");
    case Check::OtherAlarm:
        //% "No other program's alarm is set."
        return qtTrId("IDS_WAKECHECK_OK_OTHER_ALARM");
    case Check::StartAtLogin:
        //% "This program starts at login."
        return qtTrId("IDS_WAKECHECK_OK_AUTOSTART");
    case Check::AutomaticLogin:
        //% "The display manager logs you in by itself."
        return qtTrId("IDS_WAKECHECK_OK_LOGIN");
    }
    return QString();
}

QString advice(WakeFinding const& finding) {
    switch (finding.code) {
    case Code::Fine:
    case Code::NotChecked:
        return QString();
    case Code::NoSystemd:
        //% "Waking needs a system that runs systemd."
        return qtTrId("IDS_WAKECHECK_DO_NO_SYSTEMD");
    case Code::LogindSilent:
    case Code::NoSystemBus:
        //% "Check that systemd-logind runs (loginctl), then check again."
        return qtTrId("IDS_WAKECHECK_DO_LOGIND");
    case Code::HelperMissing:
        //% "Install it in Settings (Install the wake-up helper), or install the program's "
        //% "package."
        return qtTrId("IDS_WAKECHECK_DO_INSTALL_HELPER");
    case Code::HelperUntrusted:
        //% "Make its folder and files owned by root and writable by root only, or install it "
        //% "again."
        return qtTrId("IDS_WAKECHECK_DO_HELPER_OWNER");
    case Code::NoRtc:
    case Code::NoWakeAlarm:
        //% "This computer cannot wake itself: leave it on for recordings. (A virtual machine "
        //% "usually has no wake alarm.)"
        return qtTrId("IDS_WAKECHECK_DO_NO_RTC");
    case Code::WakeDisabled:
        //% "Allow waking by the RTC: as administrator, write “enabled” to "
        //% "/sys/class/rtc/rtc0/device/power/wakeup, and allow it in the firmware settings "
        //% "(often “Resume by alarm” or “RTC wake”)."
        return qtTrId("IDS_WAKECHECK_DO_WAKE_DISABLED");
    case Code::LocalTime:
    case Code::LocalUnnoticed:
        //% "Other programs may set its alarm in UTC and wake the computer at the wrong hour. "
        //% "Where Windows does not share this computer, keep the RTC in UTC: timedatectl "
        //% "set-local-rtc 0."
        return qtTrId("IDS_WAKECHECK_DO_LOCAL");
    case Code::UtcUnnoticed:
        //% "Tell the system: timedatectl set-local-rtc 0."
        return qtTrId("IDS_WAKECHECK_DO_UTC_UNNOTICED");
    case Code::ClockOff:
        //% "Set the clock right: timedatectl set-ntp 1, or hwclock --systohc as administrator."
        return qtTrId("IDS_WAKECHECK_DO_CLOCK_OFF");
    case Code::WithinDay:
        //% "Nothing to do; with shutdown after recordings on, the computer comes up once a day "
        //% "for a few minutes."
        return qtTrId("IDS_WAKECHECK_DO_WITHIN_DAY");
    case Code::RangeNotProbed:
        //% "Check again and give the administrator password when asked."
        return qtTrId("IDS_WAKECHECK_DO_PROBE");
    case Code::HelperOutdated:
        //% "Install the wake-up helper again (Settings), or update the program's package."
        return qtTrId("IDS_WAKECHECK_DO_HELPER_OUTDATED");
    case Code::OtherAlarmSet:
    case Code::OtherAlarmReplaced:
        //% "If another program's wake-up matters, give this program a reservation then, or "
        //% "plan it elsewhere: the clock holds one alarm."
        return qtTrId("IDS_WAKECHECK_DO_OTHER_ALARM");
    case Code::NoAutostart:
        //% "Turn on “Start at login” in Settings."
        return qtTrId("IDS_WAKECHECK_DO_AUTOSTART");
    case Code::LoginOff:
    case Code::LoginOtherUser:
    case Code::LoginUnknown:
        //% "For wake-ups from power-off, turn on automatic login for your account in the "
        //% "system's user settings. Otherwise, suspend the computer rather than switch it off."
        return qtTrId("IDS_WAKECHECK_DO_LOGIN");
    }
    return QString();
}

QString testResult(TestWakeResult const& result, double now) {
    switch (result.kind) {
    case TestWakeResult::Kind::PlanFailed:
        //% "No test: the wake-up could not be planned. %1"
        return qtTrId("IDS_TEST_WAKE_PLAN_FAILED").arg(PlanStatus::failureText(result.failure));
    case TestWakeResult::Kind::SuspendFailed: {
        QString why = QString::fromStdString(result.error);
        if (why.isEmpty()) {
            //% "the system bus cannot be reached"
            why = qtTrId("IDS_TEST_WAKE_NO_BUS");
        }
        //% "No test: the computer could not be suspended (%1). The planned wake-up stays "
        //% "until the program plans again."
        return qtTrId("IDS_TEST_WAKE_SUSPEND_FAILED").arg(why);
    }
    case TestWakeResult::Kind::Slept:
    case TestWakeResult::Kind::NoSleep:
    case TestWakeResult::Kind::NoResume:
        break;
    }
    std::optional<JournalEntry> const entry = WakeCheck::testWakeEntry(result, now);
    return entry ? testWakeText(*entry) : QString();
}

} // namespace WakeCheckTexts
