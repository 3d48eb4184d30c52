// The planning of wake-ups and the shutdown, on a thread of its own. Planning runs the
// privileged tool many times, each run taking from milliseconds to a minute, so it never
// runs on the thread that asks for it. Runs happen one at a time; requests made while a run
// is under way fold into one more run after it, so the last request is always answered by a
// run that started after it was made.
#pragma once

#include "platform/IPrivilegedOps.h"
#include "posix/RtcFacts.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class IClock;
class IRecordingJournal;
class ISettings;
class ReservationList;

// What a run is asked to do. Requests that wait together are folded with |=.
struct PlanRequest {
    bool plan = false;            // plan again from the list and the settings
    bool cancelBothFirst = false; // cancel every wake-up and shutdown before planning
    bool cancelShutdown = false;  // cancel the planned shutdown (the user said no)

    PlanRequest& operator|=(PlanRequest const& other) {
        plan = plan || other.plan;
        cancelBothFirst = cancelBothFirst || other.cancelBothFirst;
        cancelShutdown = cancelShutdown || other.cancelShutdown;
        return *this;
    }
    bool empty() const { return !plan && !cancelBothFirst && !cancelShutdown; }
};

// What one run did, for the window (and for the history of plans).
struct PlanOutcome {
    bool wakeOn = false; // the settings at the time of the run
    bool shutdownOn = false;
    int toolRuns = 0; // privileged calls made
    // The first failure met; the run gives up after one that every later call would meet
    // as well (no authorization, no tool, no systemd, a deadline passed).
    PrivilegedFailure failure = PrivilegedFailure::None;
    int wakeUps = 0;        // wake-ups set
    int wakeUpsLeftOut = 0; // pending reservations beyond the planned ones
    bool shutdownPlanned = false;
    double shutdownAt = 0.0;    // when shutdownPlanned, seconds since 1970 UTC
    bool abandoned = false;     // the program was ending: the run stopped early
    int relays = 0;             // wake-ups among wakeUps that only relay to a later one
    bool relayShutdown = false; // the computer came up for a relay: it goes off again
    // The RTC refused the earliest wake-up as too far ahead: from now on, relays.
    bool alarmLimitFound = false;
    // An RTC alarm another program had set was replaced (replacedAlarm: when it was set
    // for, 0 when not known).
    bool alarmReplaced = false;
    double replacedAlarm = 0.0;
};

class WakePlanner {
public:
    // At most this many wake-ups are planned, for the earliest pending reservations; every
    // re-plan (after each hand-off, too) moves the window on.
    static constexpr int kMaxWakeUps = 64;

    struct Services {
        IClock* clock = nullptr;
        ISettings* settings = nullptr;
        IPrivilegedOps* privileged = nullptr;
        IRecordingJournal* journal = nullptr; // none: nothing is kept
    };
    using Finished = std::function<void(PlanOutcome const&)>;

    // finished is told each run's outcome, on the planning thread. Nothing is owned; all
    // must outlive the planner.
    WakePlanner(ReservationList& list, Services const& services, Finished finished);
    ~WakePlanner(); // stop()
    WakePlanner(WakePlanner const&) = delete;
    WakePlanner& operator=(WakePlanner const&) = delete;

    // Never waits for a run: it only leaves the request for the thread (started on first
    // use). Ignored once stopping.
    void request(PlanRequest const& request);
    // One planning run on the calling thread: what the thread does for a request.
    PlanOutcome plan(PlanRequest const& request);

    // What the RTC is like, read at the start of each run (the RTC's clock decides whether
    // its alarm is written in local time). Unset: an RTC that keeps UTC. Set it before the
    // first request.
    void setRtcFacts(std::function<RtcFacts()> read);

    // A recording handed over until end (its late end): the shutdown waits for it, though
    // it is no longer in the list.
    void recordingHandedOver(double end);
    // The latest end of the recordings handed over so far (0: none).
    double handedOverEnd() const { return m_handedOverEnd.load(); }
    // The user declined the shutdown planned for instant: no later run plans it again.
    void declineShutdown(double instant);
    // A wake-up set outside the plan (the test wake-up): every run keeps it until it passes.
    void holdWakeUp(double instant) { m_heldWakeUp.store(instant); }

    // No run starts any more and waiting requests are dropped; waits for the run under way,
    // which gives up at its next tool run. Idempotent.
    void stop();
    bool stopping() const;
    // Waits until no run is under way or waiting. False on timeout.
    bool waitIdle(std::chrono::milliseconds timeout);
    // Runs finished so far.
    int runs() const;

private:
    void loop();
    // How far ahead the RTC alarm may be set, in seconds; 0: no limit known.
    double alarmReach();

    ReservationList& m_list;
    Services m_services;
    Finished m_finished;
    // The latest end of the recordings handed to the companion.
    std::atomic<double> m_handedOverEnd{0.0};
    std::atomic<double> m_declinedShutdown{0.0};
    std::atomic<double> m_heldWakeUp{0.0};
    std::function<RtcFacts()> m_rtcFacts;
    // How far ahead the RTC alarm reaches, in seconds, as a refused wake-up showed (0: no
    // limit seen).
    std::atomic<double> m_learnedReach{0.0};

    mutable std::mutex m_mutex;
    std::condition_variable m_wake; // a request or the stop
    std::condition_variable m_idle; // a run ended with nothing waiting
    PlanRequest m_waiting;
    bool m_running = false;
    bool m_stop = false;
    int m_runs = 0;
    std::thread m_thread;
};
