// One event of the recording history: what happened to a reservation (handed over, missed,
// and why), and the facts the reasons are derived from (when the program ran, when the
// computer slept and woke, which wake-ups and shutdowns were planned).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class JournalKind : int {
    HandedOver = 1,        // the recording message went out
    Missed = 2,            // a reservation's end passed without a hand-off
    Woke = 3,              // the computer resumed from sleep, or started (first run of a boot)
    ProgramStarted = 4,    //
    ProgramExited = 5,     //
    Sleep = 6,             // the computer is going to sleep
    WakeUpsPlanned = 7,    // the wake-ups now in force (none: all cancelled)
    ShutdownPlanned = 8,   // instants[0] is when
    ShutdownCancelled = 9, //
    TestWakeUp = 10,       // a test wake-up: planned is its instant, at the resume
    AlarmReplaced = 11,    // an RTC alarm another program had set (planned; 0: not known)
                           // was replaced by the wake-up instants[0]
};

// How a test wake-up went.
enum class TestWakeOutcome : int {
    OnTime = 0,       // woke by the RTC alarm within a minute of the plan
    Late = 1,         // woke by the RTC alarm, but later
    ByHand = 2,       // no alarm event: it was woken some other way (key, lid, switch)
    NoEvent = 3,      // on time, but the RTC counted no wake event (it may not be the alarm)
    Early = 4,        // woke before the alarm: by hand or something else
    NotSuspended = 5, // the computer did not go to sleep
};

// Why a reservation was missed, derived from the rows around its start.
enum class MissReason : int {
    Unknown = 0,     // nothing recorded around its start
    NotRunning = 1,  // the program was not running at its start
    AsleepOrOff = 2, // the computer was asleep or switched off at its start
    WokeLate = 3,    // a wake-up was planned, but the computer came up after the start
    SwitchedOff = 4, // the program ran and was awake: the reservation was switched off then
};

// How the companion was reached for a hand-over.
enum class CompanionState : int {
    AlreadyRunning = 0,
    Started = 1,
    NotStarted = 2, // it could not be started within the launch time
};

// Whether the computer came up when a wake-up had been planned for it.
enum class WakeOutcome : int {
    ByHand = 0, // no wake-up was planned for that moment
    OnTime = 1, // within two minutes after the planned instant
    Late = 2,   // the planned instant passed while it was down; it came up later
};

// How the program ended.
enum class ExitCause : int {
    ExitCommand = 0, // the user's exit command
    Ended = 1,       // a signal or the end of the session (shut-down, log-out)
};

struct JournalEntry {
    int64_t id = 0;  // given by the journal
    double at = 0.0; // when it happened, seconds since 1970-01-01 00:00 UTC
    JournalKind kind = JournalKind::ProgramStarted;

    // The reservation (HandedOver, Missed). The title is UTF-8 text.
    std::string title;
    uint32_t freq = 0;
    double start = 0.0;
    double end = 0.0;
    uint32_t week = 0;

    // HandedOver: seconds between the message and the start, how the companion was
    // reached, and whether its bus name had an owner when the message went out.
    double lead = 0.0;
    CompanionState companion = CompanionState::AlreadyRunning;
    bool present = false;

    // Missed: derived by the journal when the entry is written.
    MissReason reason = MissReason::Unknown;

    // TestWakeUp: how it went; planned is the instant it was planned for, down when the
    // computer went to sleep.
    TestWakeOutcome test = TestWakeOutcome::OnTime;

    // Woke: derived by the journal. planned is the wake-up it was meant for (0: none);
    // down is when the computer went to sleep or, after a boot, when the program last ran
    // (0: not known).
    WakeOutcome wake = WakeOutcome::ByHand;
    double planned = 0.0;
    double down = 0.0;
    bool boot = false; // woke from a start, not a sleep

    // ProgramStarted: the boot this run belongs to and when that boot began.
    std::string bootId;
    double bootAt = 0.0;
    // ProgramExited.
    ExitCause exitCause = ExitCause::Ended;

    // WakeUpsPlanned: every wake-up in force, ascending. ShutdownPlanned: one instant.
    // HandedOver: the span recorded (start, end) where the margins widened the programme.
    std::vector<double> instants;

    // Whether the outcome was a failure the user should hear about.
    bool failed() const {
        return kind == JournalKind::Missed || (kind == JournalKind::HandedOver && !present) ||
               (kind == JournalKind::Woke && wake == WakeOutcome::Late) ||
               (kind == JournalKind::TestWakeUp && test != TestWakeOutcome::OnTime);
    }
};
