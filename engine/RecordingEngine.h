// The recording engine: the watch loop that finds due and missed reservations, the
// recording run that hands one over to the companion, and (through WakePlanner) the
// planning of wake-ups and the shutdown. It owns the reservation list, its file and the
// engine lock. Nothing here knows about windows or Qt.
#pragma once

#include "engine/IEngineListener.h"
#include "engine/WakePlanner.h"
#include "history/IRecordingJournal.h"
#include "platform/IAppLocation.h"
#include "platform/ICompanionBus.h"
#include "platform/ICompanionLauncher.h"
#include "platform/IPrivilegedOps.h"
#include "platform/ISettings.h"
#include "posix/IClock.h"
#include "posix/ILocalCalendar.h"
#include "store/RecordingMargins.h"
#include "store/ReservationFile.h"
#include "store/ReservationList.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The recording margins of the settings (PADBEFORE, PADAFTER: minutes, absent 0), each kept
// within what the settings dialog offers.
RecordingMargins readRecordingMargins(ISettings& settings);

class RecordingEngine {
public:
    // Everything the engine reaches outside itself. Not owned; all must outlive the engine.
    struct Services {
        IClock* clock = nullptr;
        ISettings* settings = nullptr;
        ICompanionBus* bus = nullptr;
        ICompanionLauncher* launcher = nullptr;
        IEngineListener* listener = nullptr; // none: nobody is told
        IPrivilegedOps* privileged = nullptr;
        ILocalCalendar* calendar = nullptr;
        IAppLocation* location = nullptr;
        IRecordingJournal* journal = nullptr; // none: nothing is kept
    };

    explicit RecordingEngine(Services const& services);
    virtual ~RecordingEngine(); // stops the engine's threads before the list and lock go
    RecordingEngine(RecordingEngine const&) = delete;
    RecordingEngine& operator=(RecordingEngine const&) = delete;

    ReservationList& list() { return m_list; }
    // The engine's clock, for those that work beside it.
    IClock& clock() { return *m_services.clock; }
    // The settings, for those that show what they say.
    ISettings& settings() { return *m_services.settings; }
    // The companion's message bus.
    ICompanionBus& companionBus() { return *m_services.bus; }
    // The reservation file: ".ResvInfo.dat" in the program's data folder.
    ReservationFile& file() { return m_file; }
    std::string const& reservationFilePath() const { return m_file.path(); }
    bool save() { return m_file.save(m_list); }

    // Starts reading the reservation file into the list on a thread of its own, so that
    // the program's start-up can make its windows meanwhile. Nothing may use the list until
    // load() has returned.
    void startLoading();
    // Reads the reservation file into the list, or waits for the reading startLoading
    // began. Answers what the file's load answered.
    bool load();

    // Starts the watch thread (once); it runs a pass about once a second until the engine
    // stops.
    void startWatching();
    // One pass of the watch loop (after its one-second sleep). Exposed for the tests.
    void watchPass();
    // Hands reservation id to the companion; what a recording thread runs.
    void runRecording(int id);

    // Reads the recording margins from the settings into the list, which the overlap check,
    // the watch loop and the planning take them from. Done at load(), at each hand-off and
    // after the settings changed.
    void refreshMargins();
    // What the companion is (or was) asked to record for rec: the list's span, and no margin
    // before it either when a recording just handed over on its station ends at its start.
    RecordingSpan recordingSpan(Reservation const& rec);

    // The early start (its start less the margin before) of the next switched-on reservation
    // after now (seconds since 1970 UTC).
    std::optional<double> nextStart();
    // With margins set, the late end of the recordings handed over (0 when none is under way
    // or there are no margins): the computer stays awake for all of them.
    double recordingUntil();
    // Asks the planning thread to plan wake-ups and the shutdown again and returns at once.
    // Any thread may ask; the outcome arrives through the listener's planFinished.
    void requestReplan();
    // The power settings changed: cancel both kinds, then plan again.
    void requestReplanAfterSettings();
    // The user declined the shutdown planned for instant: cancel it, and plan it no more.
    void cancelPlannedShutdown(double instant);
    WakePlanner& planner() { return m_planner; }
    // Waits until the planning thread has nothing left to do (tests, benchmarks).
    bool waitForPlanning(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Ends the planning thread: no run starts any more, the one under way gives up at its
    // next tool run. Call it before the privileged operations go away. Idempotent.
    void stopPlanning();

    // Moves a weekly reservation to its next selected weekday at the same local clock times
    // (the weekday and the clock in the process's time zone) and sets state to 0.
    static void rearmWeekly(Reservation& rec, ILocalCalendar& calendar);

    // The reservations whose end has passed without a hand-off and that the watch loop has
    // yet to mark over: at start-up, those missed while the program was not running.
    std::vector<Reservation> passedUnrecorded();
    // What the history says about a reservation that is over.
    std::optional<JournalEntry> findMiss(Reservation const& rec);
    // The reservation's fields as the history keeps them.
    static JournalEntry journalEntry(JournalKind kind, Reservation const& rec, double at);

    // The engine lock: a recording run holds it from its first attempt to reach the
    // companion until the list is saved; the watch loop only ever tries it.
    std::mutex& engineLock() { return m_engineLock; }
    // Blocks until no recording run holds the engine lock (the exit command's wait).
    void waitForRunningHandOff();

    // Stops the planning and the watch thread and waits for the recording runs: a run still
    // waiting for its start gives up, one that holds the engine lock finishes its hand-off.
    // Idempotent; the destructor calls it.
    void stopThreads();
    // Recording runs started and not yet finished.
    int activeRecordingRuns() const;

protected:
    // Starts a recording thread for reservation id (detached).
    virtual void launchRecordingThread(int id);

private:
    class RunTracker;
    void journal(JournalEntry const& entry);

    Services m_services;
    ReservationList m_list;
    ReservationFile m_file;
    std::mutex m_engineLock;
    WakePlanner m_planner;

    // Recordings handed over lately, as (frequency, programme end): the next one on the same
    // station, back to back, goes on from there without a margin before it.
    std::mutex m_handedOverMutex;
    std::vector<std::pair<uint32_t, double>> m_handedOver;

    std::mutex m_threadMutex; // guards starting and joining the watch thread
    std::thread m_watchThread;
    std::thread m_loader;  // reads the reservation file at start-up
    bool m_loaded = false; // what the loader's load answered, read after joining it
    std::atomic<bool> m_stopping{false};
    std::shared_ptr<RunTracker> m_runs;
};
