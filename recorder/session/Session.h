#pragma once
#include "session/Clock.h"
#include "session/FreeSpace.h"
#include "session/Programme.h"
#include "session/Recording.h"
#include "session/SessionEvents.h"
#include "session/SessionSettings.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace velto {

// What the window shows: the recording now, if any, and what waits.
struct SessionStatus {
    std::optional<Programme> current;
    double seconds = 0; // written so far
    float levelDb = -90;
    bool stereo = false;
    int dropouts = 0;
    std::vector<Programme> waiting; // by start
};

// One receiver records one programme at a time. Programmes queue by their start; one that
// overlaps the recording in progress waits and then records what is left of its own time;
// a start already past records from now; an end already past is refused and reported.
// The session's thread sleeps on a condition variable until a start or a new programme.
class Session {
public:
    Session(Clock& clock, SourceMaker makeSource, SessionSettings settings, SessionEvents& events,
            FreeSpaceProbe freeSpace = freeSpaceOf);
    // Stops (see stop()) and waits for the thread.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Queues a programme. One whose end has passed is refused: false, and its "failed"
    // report ("already-over") goes out at once; so is one whose CH lies outside its band
    // ("bad-channel") or that ends before it starts ("bad-times").
    bool enqueue(const Programme& programme);
    // Ends the recording in progress now (its file kept, reported "stopped") and reports
    // every waiting programme as not recorded.
    void stop();
    // Blocks until nothing waits and nothing records (the command line).
    void waitUntilIdle();
    SessionStatus status() const;

private:
    void run();
    void reportUnrecorded(const Programme& programme, const std::string& key,
                          const std::string& text);

    Clock& m_clock;
    SourceMaker m_makeSource;
    SessionSettings m_settings;
    SessionEvents& m_events;
    FreeSpaceProbe m_freeSpace;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake; // a programme queued, a stop
    std::condition_variable m_idle;
    std::deque<Programme> m_queue; // by start, then by arrival
    std::optional<Programme> m_current;
    // The last few recordings' titles and times, to name the one that took an overlapped
    // programme's time.
    struct Recorded {
        std::string title;
        Clock::TimePoint from;
        Clock::TimePoint to;
    };
    std::deque<Recorded> m_recent;
    std::uint64_t m_changes = 0;
    std::atomic<bool> m_stop{false};
    bool m_busy = false;
    RecordingProgress m_progress;
    std::thread m_thread;
};

} // namespace velto
