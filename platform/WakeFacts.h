// What the wake check looks at, gathered by the platform (files, the system bus, the
// wake-up helper) with a deadline on every outside call. Plain data: the check's verdicts
// are a function of it alone.
#pragma once

#include "history/JournalEntry.h"
#include "platform/IPrivilegedOps.h"
#include "posix/RtcFacts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The display manager's automatic login, where its configuration can be read.
struct AutoLogin {
    enum class Manager { Unknown, Gdm, LightDm, Sddm };
    enum class State {
        On,        // for this user
        OtherUser, // for someone else (user says who)
        Off,
        Unknown, // the manager is not one of those, or its files say nothing clear
    };
    Manager manager = Manager::Unknown;
    State state = State::Unknown;
    std::string user; // the user it logs in, when set
    std::string file; // where it was read
};

struct WakeFacts {
    enum class Bus { Answered, Silent, NoBus };
    enum class Helper { Installed, Missing, Untrusted };

    std::int64_t now = 0;
    long zoneOffset = 0; // of the process's zone, now

    bool systemd = false; // systemd is the init system (/run/systemd/system)
    Bus logind = Bus::NoBus;
    Helper helper = Helper::Missing;

    RtcFacts rtc;
    // What the probe of the alarm's range found; failure says why when it was Unknown.
    bool probed = false;
    AlarmRange range = AlarmRange::Unknown;
    PrivilegedFailure rangeFailure = PrivilegedFailure::None;

    // The instants of every wake-up the schedule tool holds (anyone's), when they could be
    // listed: an RTC alarm at one of them is the program's own.
    std::optional<std::vector<std::int64_t>> plannedWakeUps;
    // The history's latest replacement of another program's alarm.
    std::optional<JournalEntry> lastReplaced;

    bool autostart = false; // the "Start at login" entry is there
    AutoLogin login;
    std::string userName;

    // The settings that decide what matters.
    bool wakeOn = false;
    bool shutdownOn = false;
};

// What a test wake-up saw: whether it slept and resumed, when, and the RTC's wakeup source's
// count of events before and after (unknown where it cannot be read).
struct TestWakeResult {
    enum class Kind {
        Slept,         // it slept and resumed
        PlanFailed,    // the wake-up could not be planned (failure says why)
        SuspendFailed, // logind refused or did not answer (error: what it said)
        NoSleep,       // logind took the request, but the computer did not go to sleep
        NoResume,      // it went to sleep, and no resume was signalled
    };
    Kind kind = Kind::Slept;
    double planned = 0.0;
    double down = 0.0;
    double resumed = 0.0;
    std::optional<std::uint64_t> eventsBefore;
    std::optional<std::uint64_t> eventsAfter;
    PrivilegedFailure failure = PrivilegedFailure::None;
    std::string error; // one line of plain text from the bus; empty: no bus to ask
};
