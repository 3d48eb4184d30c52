// The thread that plans wake-ups and shutdowns. Planning runs the privileged tool many
// times, each run taking from milliseconds to a minute, so it never runs on the thread that
// asks for it. Runs happen one at a time; requests made while a run is under way fold into
// one more run after it, so the last request is always answered by a run that started
// after it was made.
#pragma once

#include "platform/IPrivilegedOps.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

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

// What one run did, for the window (and for anyone keeping a history of plans).
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
    double shutdownAt = 0.0; // when shutdownPlanned, seconds since 1970 UTC
    bool abandoned = false;  // the program was ending: the run stopped early
};

class PlanningWorker {
public:
    using Job = std::function<void(PlanRequest const&)>;

    explicit PlanningWorker(Job job);
    ~PlanningWorker(); // Stop()
    PlanningWorker(PlanningWorker const&) = delete;
    PlanningWorker& operator=(PlanningWorker const&) = delete;

    // Never waits for a run: it only leaves the request for the thread (started on first
    // use). Ignored once stopping.
    void Request(PlanRequest const& request);

    // No run starts any more and waiting requests are dropped; waits for the run under way.
    // Idempotent.
    void Stop();
    // True from Stop() on; a run checks it between its tool runs and gives up early.
    bool stopping() const;

    // Waits until no run is under way or waiting. False on timeout.
    bool WaitIdle(std::chrono::milliseconds timeout);
    // Runs finished so far.
    int runs() const;

private:
    void Loop();

    Job m_job;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake; // a request or the stop
    std::condition_variable m_idle; // a run ended with nothing waiting
    PlanRequest m_waiting;
    bool m_running = false;
    bool m_stop = false;
    int m_runs = 0;
    std::thread m_thread;
};
