// Whether this computer will wake for its recordings: each check's verdict from the facts,
// and the verdict of a test wake-up. Pure functions, so every case is a row of a table in
// the tests; the words for them are the windows' and the command line's.
#pragma once

#include "history/JournalEntry.h"
#include "platform/WakeFacts.h"

#include <cstdint>
#include <optional>
#include <vector>

enum class WakeVerdict { Fine, Warning, Problem };

// One check's outcome. The check's id is stable: scripts read it ("rtc", "rtc-utc", …).
struct WakeFinding {
    enum class Check {
        Systemd,        // systemd is the init system, logind answers
        Helper,         // the wake-up helper is installed and trusted
        Rtc,            // an RTC with a wake alarm
        RtcUtc,         // the RTC keeps UTC
        AlarmRange,     // how far ahead an alarm may be set
        OtherAlarm,     // an alarm someone else set
        StartAtLogin,   // the autostart entry (power-off wakes)
        AutomaticLogin, // the display manager logs in by itself (power-off wakes)
    };
    // What was found; each check has its own few.
    enum class Code {
        Fine,
        // Systemd
        NoSystemd,
        LogindSilent,
        NoSystemBus,
        // Helper
        HelperMissing,
        HelperUntrusted,
        // Rtc
        NoRtc,
        NoWakeAlarm,
        WakeDisabled,
        // RtcUtc
        LocalTime,      // it keeps local time (and the system knows)
        LocalUnnoticed, // it reads local time, but adjtime says UTC
        UtcUnnoticed,   // it reads UTC, but adjtime says LOCAL
        ClockOff,       // it reads neither: its clock is wrong (value: minutes off)
        // AlarmRange
        WithinDay,
        RangeNotProbed, // no probe could be made (the helper, the password, a failure)
        HelperOutdated, // the installed helper does not know the probe
        // OtherAlarm
        OtherAlarmSet,      // value: when it is set for
        OtherAlarmReplaced, // value: when it was replaced, value2: what it was set for
        // StartAtLogin
        NoAutostart,
        // AutomaticLogin
        LoginOff,
        LoginOtherUser,
        LoginUnknown,
        // any check that needs what is missing
        NotChecked,
    };

    Check check = Check::Systemd;
    WakeVerdict verdict = WakeVerdict::Fine;
    Code code = Code::Fine;
    double value = 0.0;
    double value2 = 0.0;
};

class WakeCheck {
public:
    // A resume this close to the planned instant counts as on time.
    static constexpr double kOnTimeBefore = 5.0;
    static constexpr double kOnTimeAfter = 120.0;

    // Every check, in the order the window shows them.
    static std::vector<WakeFinding> evaluate(WakeFacts const& facts);
    // 0 when nothing is a problem, 1 when something is.
    static int exitStatus(std::vector<WakeFinding> const& findings);
    // "systemd", "rtc-utc", …: the stable names of the checks.
    static char const* checkId(WakeFinding::Check check);
    static char const* verdictName(WakeVerdict verdict);

    // How a test wake-up went: the resume against the plan, and whether the RTC's wakeup
    // source counted an event meanwhile (unknown when either count could not be read).
    static TestWakeOutcome judgeTestWake(double planned, double resumed,
                                         std::optional<std::uint64_t> eventsBefore,
                                         std::optional<std::uint64_t> eventsAfter);
    // The history's entry for a test that got as far as asking the computer to sleep.
    static std::optional<JournalEntry> testWakeEntry(TestWakeResult const& result, double now);
};
