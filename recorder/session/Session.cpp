#include "session/Session.h"

#include <algorithm>

namespace velto {

Session::Session(Clock& clock, SourceMaker makeSource, SessionSettings settings,
                 SessionEvents& events, FreeSpaceProbe freeSpace)
    : m_clock(clock), m_makeSource(std::move(makeSource)), m_settings(std::move(settings)),
      m_events(events), m_freeSpace(std::move(freeSpace)) {
    m_thread = std::thread([this] { run(); });
}

Session::~Session() {
    stop();
    m_thread.join();
}

void Session::reportUnrecorded(const Programme& programme, const std::string& key,
                               const std::string& text) {
    RecordingReport report;
    report.programme = programme;
    report.result = RecordingResult::Failed;
    report.reasonKey = key;
    report.reasonText = text;
    m_events.recordingFinished(report);
}

bool Session::enqueue(const Programme& programme) {
    std::string why;
    if (!programme.station.valid(why)) {
        reportUnrecorded(programme, "bad-channel", why);
        return false;
    }
    if (programme.end <= programme.start) {
        reportUnrecorded(programme, "bad-times", "The programme ends before it starts.");
        return false;
    }
    if (programme.end <= m_clock.now()) {
        reportUnrecorded(programme, "already-over",
                         "The programme's end had passed when it was handed over.");
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        const auto at = std::upper_bound(
            m_queue.begin(), m_queue.end(), programme,
            [](const Programme& a, const Programme& b) { return a.start < b.start; });
        m_queue.insert(at, programme);
        ++m_changes;
    }
    m_wake.notify_all();
    return true;
}

void Session::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

void Session::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

SessionStatus Session::status() const {
    SessionStatus status;
    std::lock_guard lock(m_mutex);
    status.current = m_current;
    status.waiting.assign(m_queue.begin(), m_queue.end());
    if (m_current) {
        status.seconds = m_progress.seconds.load();
        status.levelDb = m_progress.level.decibels();
        status.stereo = m_progress.stereo.load();
        status.dropouts = m_progress.dropouts.load();
    }
    return status;
}

void Session::run() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_queue.empty()) {
            m_busy = false;
            m_idle.notify_all();
            m_clock.waitUntil(lock, m_wake, Clock::TimePoint::max(),
                              [this] { return m_stop || !m_queue.empty(); });
            continue;
        }
        // Wake before the first start by the pre-roll, or at once for a start already past;
        // a programme queued meanwhile (perhaps earlier) wakes us to look again.
        m_busy = true;
        const Programme& next = m_queue.front();
        const auto wakeAt = next.start - m_settings.preRoll;
        if (m_clock.now() < wakeAt) {
            const std::uint64_t seen = m_changes;
            m_clock.waitUntil(lock, m_wake, wakeAt,
                              [this, seen] { return m_stop || m_changes != seen; });
            continue;
        }
        Programme programme = m_queue.front();
        m_queue.pop_front();
        if (programme.end <= m_clock.now()) {
            std::string busy;
            for (const Recorded& r : m_recent)
                if (r.from < programme.end && r.to > programme.start)
                    busy = r.title;
            lock.unlock();
            reportUnrecorded(programme, "overlapped",
                             busy.empty()
                                 ? "The receiver was busy for all of this programme's time."
                                 : "The receiver was recording \"" + busy +
                                       "\" for all of this programme's time.");
            lock.lock();
            continue;
        }
        const auto began = m_clock.now();
        m_current = programme;
        m_progress.seconds = 0;
        m_progress.dropouts = 0;
        m_progress.stereo = false;
        m_progress.level.clear();
        lock.unlock();
        Recording recording(programme, {m_clock, m_settings, m_makeSource, m_freeSpace, m_events,
                                        m_mutex, m_wake, m_stop, m_progress});
        const RecordingReport report = recording.run();
        m_events.recordingFinished(report);
        lock.lock();
        m_current.reset();
        m_recent.push_back({programme.title, began, m_clock.now()});
        if (m_recent.size() > 16)
            m_recent.pop_front();
    }
    // Stopped: what still waited will not be recorded by this session.
    std::deque<Programme> left;
    left.swap(m_queue);
    lock.unlock();
    for (const Programme& programme : left)
        reportUnrecorded(programme, "stopped", "The recorder was stopped before this programme.");
    lock.lock();
    m_busy = false;
    m_idle.notify_all();
}

} // namespace velto
