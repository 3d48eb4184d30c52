#include "engine/RecordingEngine.h"

#include "store/ReservationTitle.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <thread>
#include <utility>

namespace {

constexpr double kStartLead = 60.0;           // a reservation is handed over a minute early
constexpr double kLaunchAttemptSeconds = 5.0; // how long the companion is asked to come up
constexpr double kSettleSeconds = 5.0;        // lets a fresh companion register its observers
constexpr long kMaxStartEarly = 10;           // minutes, as the settings dialog offers them
constexpr long kMaxEndLate = 30;
// How long a hand-off is remembered for the next reservation on its station.
constexpr double kHandedOverMemory = 86400.0;

double marginMinutes(ISettings& settings, char const* key, long most) {
    if (!settings.contains(key)) {
        return 0.0;
    }
    // A hand-edited value out of range counts as the nearest one offered.
    return static_cast<double>(std::clamp(settings.integer(key), 0L, most)) * 60.0;
}

std::string joinPath(std::string const& dir, char const* name) {
    if (dir.empty()) {
        return name;
    }
    if (dir.back() == '/') {
        return dir + name;
    }
    return dir + "/" + name;
}

} // namespace

RecordingMargins readRecordingMargins(ISettings& settings) {
    return {marginMinutes(settings, kStartEarlyKey, kMaxStartEarly),
            marginMinutes(settings, kEndLateKey, kMaxEndLate)};
}

// Counts recording runs so the engine is not torn down under one. Shared with each run, so
// the count outlives the engine for as long as the last run needs it.
class RecordingEngine::RunTracker {
public:
    void begin() {
        std::lock_guard lock(m_mutex);
        ++m_live;
    }
    void end() {
        std::lock_guard lock(m_mutex);
        --m_live;
        m_idle.notify_all();
    }
    void waitIdle() {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_live == 0; });
    }
    int count() {
        std::lock_guard lock(m_mutex);
        return m_live;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_idle;
    int m_live = 0;
};

namespace {

WakePlanner::Services plannerServices(RecordingEngine::Services const& services) {
    WakePlanner::Services planner;
    planner.clock = services.clock;
    planner.settings = services.settings;
    planner.privileged = services.privileged;
    planner.journal = services.journal;
    return planner;
}

} // namespace

RecordingEngine::RecordingEngine(Services const& services)
    : m_services(services), m_list(*services.clock),
      m_file(joinPath(services.location->dataFolder(), ReservationFile::kFileName)),
      m_planner(m_list, plannerServices(services),
                [listener = services.listener](PlanOutcome const& outcome) {
                    if (listener != nullptr) {
                        listener->planFinished(outcome);
                    }
                }),
      m_runs(std::make_shared<RunTracker>()) {}

RecordingEngine::~RecordingEngine() {
    stopThreads();
}

void RecordingEngine::startLoading() {
    if (m_loader.joinable()) {
        return;
    }
    try {
        m_loader = std::thread([this] { m_loaded = m_file.load(m_list); });
    } catch (std::exception const&) {
        // No thread: load() reads the file itself.
    }
}

bool RecordingEngine::load() {
    refreshMargins();
    if (m_loader.joinable()) {
        m_loader.join();
        return m_loaded;
    }
    return m_file.load(m_list);
}

// ---- watch loop -------------------------------------------------------------------------

void RecordingEngine::startWatching() {
    std::lock_guard lock(m_threadMutex);
    if (m_watchThread.joinable() || m_stopping.load()) {
        return;
    }
    m_watchThread = std::thread([this] {
        IClock& clock = *m_services.clock;
        // The sleep ends early when the engine stops, so that the program exits at once.
        while (clock.waitUntil(clock.now() + 1.0, m_stopping)) {
            watchPass();
        }
    });
}

void RecordingEngine::watchPass() {
    int const n = m_list.size();
    double const startEarly = m_list.margins().before;
    for (int i = 0; i < n; ++i) {
        double const now = m_services.clock->now();
        double const nowWhole = std::trunc(now);

        Reservation candidate;
        if (!m_engineLock.try_lock()) {
            return;
        }
        bool const found = m_list.readAt(i, candidate);
        m_engineLock.unlock();
        // The list shrank under the pass: nothing left at this position.
        if (!found) {
            continue;
        }
        if (candidate.pending == 0 || candidate.enabled == 0 || candidate.state == 1) {
            continue;
        }

        CheckResult result;
        if (candidate.end < nowWhole) {
            candidate.pending = 0;
            if (!m_engineLock.try_lock()) {
                return;
            }
            bool const marked = m_list.update(candidate, result);
            m_engineLock.unlock();
            if (marked) {
                journal(journalEntry(JournalKind::Missed, candidate, now));
            }
            if (m_services.listener != nullptr) {
                m_services.listener->reservationMissed();
            }
            continue;
        }

        // Due a minute before its early start. The margin alone rules most out without
        // looking at the neighbours that may take it away.
        if (!(now > candidate.start - startEarly - kStartLead) ||
            (startEarly > 0.0 && !(now > recordingSpan(candidate).start - kStartLead))) {
            continue;
        }

        // Due. Switched-on reservations behind it with the same start give way to the last
        // of them; the pass ends here whatever happens.
        if (!m_engineLock.try_lock()) {
            return;
        }
        int j = i + 1;
        while (j < m_list.size()) {
            Reservation follower;
            if (!m_list.readAt(j, follower)) {
                break;
            }
            if (follower.enabled == 0) {
                ++j;
                continue;
            }
            if (follower.start != candidate.start) {
                break;
            }
            if (candidate.weekdays != 0) {
                Reservation next = candidate;
                rearmWeekly(next, *m_services.calendar);
                m_list.add(next, result);
            }
            m_list.remove(candidate.id);
            candidate = follower;
            // Not advancing j: the removal moved the rest up by one.
        }
        m_engineLock.unlock();

        candidate.state = 1;
        if (!m_engineLock.try_lock()) {
            return;
        }
        m_list.update(candidate, result);
        m_engineLock.unlock();
        launchRecordingThread(candidate.id);
        return;
    }
}

void RecordingEngine::launchRecordingThread(int id) {
    if (m_stopping.load()) {
        return;
    }
    std::shared_ptr<RunTracker> const runs = m_runs;
    runs->begin();
    try {
        std::thread([this, id, runs] {
            runRecording(id);
            runs->end();
        }).detach();
    } catch (std::exception const&) {
        // No thread: the reservation keeps state 1 and is not started again.
        runs->end();
    }
}

// ---- recording run ----------------------------------------------------------------------

void RecordingEngine::runRecording(int id) {
    Reservation rec;
    uint64_t serial = 0; // names the stored record this run takes
    if (!m_list.read(id, rec, &serial)) {
        return;
    }

    ISettings& settings = *m_services.settings;
    bool const quitAfter =
        settings.contains(kQuitCompanionKey) ? settings.isOn(kQuitCompanionKey) : false;
    // Margins, like the quit flag, as they are at the run.
    refreshMargins();
    RecordingSpan const span = recordingSpan(rec);
    CompanionValues const message{
        {"CH", static_cast<int32_t>(rec.frequency & 0xFFFFu)},
        {"BAND", std::string(rec.isFm() ? "FM" : "AM")},
        {"RecStartTime", span.start},
        {"RecEndTime", span.end},
        // A damaged record may hold bytes that are not UTF-8: the message stays valid.
        {"Title", ReservationTitle::lossyText(rec)},
        {"AppTerminate", quitAfter},
    };

    // Wait for the minute before the (early) start. A stopping engine ends the wait: a run
    // that has not begun its hand-off gives up.
    IClock& clock = *m_services.clock;
    if (!clock.waitUntil(span.start - kStartLead, m_stopping)) {
        return;
    }

    std::string const companion = joinPath(m_services.location->dataFolder(), kCompanionBundleName);
    if (m_stopping.load()) {
        return;
    }

    std::lock_guard lock(m_engineLock);
    double const launchMark = clock.now();
    bool const keepHistory = m_services.journal != nullptr;
    bool const wasRunning = keepHistory && m_services.launcher->isRunning();
    bool reached = false;
    for (;;) {
        if (clock.now() - launchMark >= kLaunchAttemptSeconds) {
            break;
        }
        if (m_services.launcher->open(companion)) {
            reached = true;
            break;
        }
        m_services.launcher->launch(kCompanionProgramName);
        clock.sleepFor(1.0);
    }
    clock.sleepFor(kSettleSeconds);

    // Sent whether or not the companion came up.
    m_services.bus->post(kRecordMessage, std::string("message"), message);
    if (keepHistory) {
        // The message is a broadcast: whether anyone heard it shows only in whether the
        // companion's bus name had an owner as it went out.
        JournalEntry handedOver = journalEntry(JournalKind::HandedOver, rec, clock.now());
        handedOver.lead = span.start - handedOver.at;
        // The recorded span, where the margins made it differ from the programme.
        if (span.start != rec.start || span.end != rec.end) {
            handedOver.instants = {span.start, span.end};
        }
        handedOver.companion = wasRunning ? CompanionState::AlreadyRunning
                               : reached  ? CompanionState::Started
                                          : CompanionState::NotStarted;
        handedOver.present = m_services.launcher->isRunning();
        journal(handedOver);
    }

    {
        std::lock_guard handed(m_handedOverMutex);
        double const now = clock.now();
        std::erase_if(m_handedOver, [now](auto const& earlier) {
            return earlier.second < now - kHandedOverMemory;
        });
        m_handedOver.emplace_back(rec.frequency, rec.end);
    }

    CheckResult result;
    if (rec.weekdays != 0) {
        // Added before the removal, so the next occurrence never takes the finished one's id.
        Reservation next = rec;
        rearmWeekly(next, *m_services.calendar);
        m_list.add(next, result);
    }
    // The record this run took leaves the list, also when the user edited it meanwhile
    // (the run's outcome replaces the edit). Ids are reused, so it is found by its serial:
    // a reservation the user added after deleting this one may hold the id by now.
    m_list.remove(id, serial);
    m_file.save(m_list);
    if (m_services.listener != nullptr) {
        m_services.listener->reservationHandedOver();
    }
    m_planner.recordingHandedOver(span.end);
    // The next wake-up (a weekly reservation's next occurrence, or the reservation that was
    // beyond the planned ones) is planned now, not whenever the user next changes something.
    requestReplan();
}

void RecordingEngine::rearmWeekly(Reservation& rec, ILocalCalendar& calendar) {
    // The first selected weekday within the next seven days, else the eighth day.
    int days = 1;
    for (; days <= 7; ++days) {
        int const weekday = calendar.dayOfWeek(calendar.addDays(rec.start, days));
        if (weekday >= 0 && weekday < 7 && (rec.weekdays & kWeekdayBits[weekday]) != 0) {
            break;
        }
    }
    // Calendar days, not multiples of 86,400 s: both ends keep their local clock times
    // across a change of daylight-saving time.
    rec.start = calendar.addDays(rec.start, days);
    rec.end = calendar.addDays(rec.end, days);
    rec.state = 0;
}

// ---- planning ---------------------------------------------------------------------------

void RecordingEngine::refreshMargins() {
    m_list.setMargins(readRecordingMargins(*m_services.settings));
}

RecordingSpan RecordingEngine::recordingSpan(Reservation const& rec) {
    RecordingSpan span = m_list.recordingSpan(rec);
    if (span.start != rec.start) {
        // The one before it on this station may have left the list at its hand-off.
        std::lock_guard lock(m_handedOverMutex);
        for (auto const& [frequency, end] : m_handedOver) {
            if (frequency == rec.frequency && end == rec.start) {
                span.start = rec.start;
            }
        }
    }
    return span;
}

std::optional<double> RecordingEngine::nextStart() {
    std::optional<Reservation> const next = m_list.next();
    return next ? std::optional<double>(next->start - m_list.margins().before) : std::nullopt;
}

double RecordingEngine::recordingUntil() {
    return m_list.margins().any() ? m_planner.handedOverEnd() : 0.0;
}

void RecordingEngine::requestReplan() {
    PlanRequest request;
    request.plan = true;
    m_planner.request(request);
}

void RecordingEngine::requestReplanAfterSettings() {
    refreshMargins();
    PlanRequest request;
    request.plan = true;
    request.cancelBothFirst = true;
    m_planner.request(request);
}

void RecordingEngine::cancelPlannedShutdown(double instant) {
    m_planner.declineShutdown(instant);
    PlanRequest request;
    request.cancelShutdown = true;
    m_planner.request(request);
}

bool RecordingEngine::waitForPlanning(std::chrono::milliseconds timeout) {
    return m_planner.waitIdle(timeout);
}

void RecordingEngine::stopPlanning() {
    m_planner.stop();
}

// ---- history ----------------------------------------------------------------------------

void RecordingEngine::journal(JournalEntry const& entry) {
    if (m_services.journal != nullptr) {
        m_services.journal->record(entry);
    }
}

JournalEntry RecordingEngine::journalEntry(JournalKind kind, Reservation const& rec, double at) {
    JournalEntry entry;
    entry.kind = kind;
    entry.at = at;
    entry.title = ReservationTitle::lossyText(rec);
    entry.freq = rec.frequency;
    entry.start = rec.start;
    entry.end = rec.end;
    entry.week = rec.weekdays;
    return entry;
}

std::vector<Reservation> RecordingEngine::passedUnrecorded() {
    std::vector<Reservation> passed;
    double const nowWhole = std::trunc(m_services.clock->now());
    Reservation rec;
    for (int i = 0; m_list.readAt(i, rec); ++i) {
        // What the watch loop will mark over on its first passes.
        if (rec.pending != 0 && rec.enabled != 0 && rec.state != 1 && rec.end < nowWhole) {
            passed.push_back(rec);
        }
    }
    return passed;
}

std::optional<JournalEntry> RecordingEngine::findMiss(Reservation const& rec) {
    if (m_services.journal == nullptr) {
        return std::nullopt;
    }
    return m_services.journal->findMiss(ReservationTitle::lossyText(rec), rec.frequency, rec.start,
                                        rec.end);
}

// ---- lifetime ---------------------------------------------------------------------------

void RecordingEngine::waitForRunningHandOff() {
    m_engineLock.lock();
    m_engineLock.unlock();
}

void RecordingEngine::stopThreads() {
    if (m_loader.joinable()) {
        m_loader.join();
    }
    stopPlanning();
    m_stopping.store(true);
    m_services.clock->wakeWaiters();
    {
        std::lock_guard lock(m_threadMutex);
        if (m_watchThread.joinable()) {
            m_watchThread.join();
        }
    }
    // The watch thread is gone, so no run can start any more.
    m_runs->waitIdle();
}

int RecordingEngine::activeRecordingRuns() const {
    return m_runs->count();
}
