// The recording engine: the watch loop, the recording run and the wake and shutdown
// planning. It owns the reservation list and the engine lock; the main window controller
// derives from it and adds the window. Nothing here knows about windows or Qt.
#pragma once

#include "engine/PlanningWorker.h"
#include "platform/IBundle.h"
#include "platform/ICalendar.h"
#include "platform/IClock.h"
#include "platform/ICompanionLauncher.h"
#include "platform/IMainThread.h"
#include "platform/INotificationCenter.h"
#include "platform/IPrivilegedOps.h"
#include "platform/IRecordingJournal.h"
#include "platform/IUserDefaults.h"
#include "store/ScheduleItem.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CRecEngine {
public:
    // Everything the engine reaches outside itself. Not owned; all must outlive the engine.
    struct Services {
        IClock* clock = nullptr;
        IUserDefaults* defaults = nullptr;
        INotificationCenter* notifications = nullptr;
        ICompanionLauncher* launcher = nullptr;
        IMainThreadRequests* mainThread = nullptr;
        IPrivilegedOps* privileged = nullptr; // the application controller
        ILocalCalendar* calendar = nullptr;
        IBundleLocation* bundle = nullptr;
        IRecordingJournal* journal = nullptr; // none: nothing is kept
    };

    explicit CRecEngine(Services const& services);
    virtual ~CRecEngine(); // stops the engine's threads before the list and lock go
    CRecEngine(CRecEngine const&) = delete;
    CRecEngine& operator=(CRecEngine const&) = delete;

    // Creates the list (empty) into m_Schedule when there is none yet.
    void CreateSchedule();
    // The reservation file: ".ResvInfo.dat" in the folder that holds the bundle.
    std::string ReservationFilePath();
    // Creates the list and starts reading the reservation file into it on a thread of its
    // own, so that the program's start-up can make its windows meanwhile. Nothing may use
    // the list until LoadSchedule has returned.
    void StartLoadingSchedule();
    // Creates the list and reads the reservation file into it, or waits for the reading
    // that StartLoadingSchedule began. Answers what Load answered.
    bool LoadSchedule();

    // Starts the watch thread (once); it runs watchProc until the engine is destroyed.
    void StartWatchThread();
    // The thread body: a pass about once a second, for as long as the engine lives.
    void watchProc();
    // One pass of the watch loop (after its one-second sleep). Exposed for the tests.
    void WatchPass();
    // Entry of a recording thread; arg is a heap hand-off record that it frees.
    static void* rec_start_func(void* arg);
    // Hands reservation id to the companion; runs on a recording thread.
    void RecordingProc(int id);

    // Planning. Instants are seconds since 1970-01-01 00:00 UTC.
    bool GetScheduleNearDateTime(double* date);
    bool GetScheduleLatestDateTime(double* date);
    // Asks the planning thread to plan wake-ups and the shutdown again and returns at once
    // (always true). Any thread may ask; the outcome arrives through PlanFinished.
    bool ReSettingSchedule();
    // The power settings changed: cancel both kinds, then plan again.
    void ReSettingScheduleAfterSettings();
    // The user declined the shutdown planned for instant: cancel it, and plan it no more.
    void CancelPlannedShutdown(double instant);
    // One planning run on the calling thread: what the planning thread does for a request.
    PlanOutcome RunPlan(PlanRequest const& request);
    // Waits until the planning thread has nothing left to do (tests, benchmarks).
    bool WaitForPlanning(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Ends the planning thread: no run starts any more, the one under way gives up at its
    // next tool run. Call it before the privileged operations go away. Idempotent.
    void StopPlanning();
    bool PlanningStopped() const;
    // At most this many wake-ups are planned, for the earliest pending reservations; every
    // re-plan (after each hand-off, too) moves the window on.
    static constexpr int kMaxPlannedWakeUps = 64;

    // Moves a weekly record to its next selected weekday at the same local clock times (the
    // weekday and the clock in the process's time zone) and sets uState to 0.
    static void WeeklyRearm(SCHEDULEITEM_TAG& rec, ILocalCalendar& calendar);

    // The reservations whose end has passed without a hand-off and that the watch loop has
    // yet to mark over: at start-up, those missed while the program was not running.
    std::vector<SCHEDULEITEM_TAG> PassedUnrecorded();
    // What the history says about a reservation that is over.
    std::optional<JournalEntry> FindMiss(SCHEDULEITEM_TAG const& rec);
    // The reservation's fields as the history keeps them.
    static JournalEntry ReservationEntry(JournalKind kind, SCHEDULEITEM_TAG const& rec, double at);

    // Blocks until no recording run holds the engine lock (the exit command's wait).
    void WaitForRunningHandOff();

    // Stops the planning and the watch thread and waits for the recording runs: a run still
    // waiting for its start gives up, one that holds the engine lock finishes its hand-off.
    // Idempotent; the destructor calls it, and a derived class whose overrides those threads
    // reach calls it first in its own destructor.
    void StopThreads();
    // Recording runs started and not yet finished.
    int ActiveRecordingRuns() const;

    CScheduleItem* m_Schedule = nullptr; // owned
    std::mutex m_RecLock;                // the engine lock: only ever tried by the watch loop

protected:
    // Starts rec_start_func for reservation id on a detached thread of its own.
    virtual void LaunchRecordingThread(int id);
    void Journal(JournalEntry const& entry);
    // Called on the planning thread after each run.
    virtual void PlanFinished(PlanOutcome const& outcome);

    Services m_services;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
