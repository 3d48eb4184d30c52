#include "engine/RecEngine.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr double kStartLead = 60.0;           // a reservation is handed over a minute early
constexpr double kLaunchAttemptSeconds = 5.0; // how long the companion is asked to come up
constexpr double kSettleSeconds = 5.0;        // lets a fresh companion register its observers
constexpr double kShutdownAfterEnd = 35.0;
constexpr long kDefaultRestoreMinutes = 5;
constexpr int kKindActive = 0x01;
constexpr int kCancelWakeUps = 1;
constexpr int kCancelShutdowns = 2;

// The list asks for "now" through a plain function pointer, so each engine borrows one of a
// few fixed trampolines and points it at its own clock for as long as it lives.
constexpr std::size_t kClockSlots = 16;
std::array<std::atomic<IClock*>, kClockSlots> g_clockSlots{};

template <std::size_t N> double SlotNow() {
    IClock* const clock = g_clockSlots[N].load(std::memory_order_acquire);
    return clock != nullptr ? clock->now() : 0.0;
}

template <std::size_t... N>
constexpr std::array<CScheduleItem::NowFunction, sizeof...(N)>
MakeSlotFunctions(std::index_sequence<N...>) {
    return {&SlotNow<N>...};
}

constexpr auto kSlotFunctions = MakeSlotFunctions(std::make_index_sequence<kClockSlots>{});

int ClaimClockSlot(IClock* clock) {
    for (std::size_t i = 0; i < kClockSlots; ++i) {
        IClock* expected = nullptr;
        if (g_clockSlots[i].compare_exchange_strong(expected, clock, std::memory_order_acq_rel)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string JoinPath(std::string const& dir, char const* name) {
    if (dir.empty()) {
        return name;
    }
    if (dir.back() == '/') {
        return dir + name;
    }
    return dir + "/" + name;
}

bool IsOn(IUserDefaults& defaults, char const* key) {
    return defaults.objectForKey(key) && defaults.integerForKey(key) != 0;
}

// The title as text for the message. A damaged record may hold bytes that are not UTF-8;
// those become U+FFFD so the message stays a valid string on any transport.
std::string TitleText(SCHEDULEITEM_TAG const& rec) {
    auto const* bytes = reinterpret_cast<unsigned char const*>(rec.cTitle);
    std::size_t const length = strnlen(rec.cTitle, sizeof rec.cTitle);
    std::string text;
    text.reserve(length);
    std::size_t i = 0;
    while (i < length) {
        unsigned char const lead = bytes[i];
        std::size_t extra = 0;
        uint32_t min = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            text.push_back(static_cast<char>(lead));
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, code = lead & 0x07;
        } else {
            text += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        std::size_t k = 1;
        while (k <= extra && i + k < length && (bytes[i + k] & 0xC0) == 0x80) {
            code = (code << 6) | (bytes[i + k] & 0x3F);
            ++k;
        }
        bool const complete = k == extra + 1;
        if (!complete || code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            text += "\xEF\xBF\xBD";
            i += k;
            continue;
        }
        text.append(rec.cTitle + i, k);
        i += k;
    }
    return text;
}

} // namespace

// Counts recording runs so the engine is not torn down under one. Shared with each run's
// hand-off, so the count outlives the engine for as long as the last run needs it.
struct RecRunTracker {
    std::mutex mutex;
    std::condition_variable idle;
    int live = 0;

    void begin() {
        std::lock_guard lock(mutex);
        ++live;
    }
    void end() {
        std::lock_guard lock(mutex);
        --live;
        idle.notify_all();
    }
    void waitIdle() {
        std::unique_lock lock(mutex);
        idle.wait(lock, [this] { return live == 0; });
    }
    int count() {
        std::lock_guard lock(mutex);
        return live;
    }
};

// The heap record a recording thread is started with; the thread frees it.
struct RecHandOff {
    CRecEngine* engine = nullptr;
    int32_t id = -1;
    std::shared_ptr<RecRunTracker> runs;
};

struct CRecEngine::Impl {
    explicit Impl(PlanningWorker::Job job) : planner(std::move(job)) {}

    std::mutex threadMutex; // guards starting and joining the watch thread
    std::thread watchThread;
    std::thread loader;  // reads the reservation file at start-up
    bool loaded = false; // what the loader's Load answered, read after joining it
    std::atomic<bool> stopping{false};
    std::shared_ptr<RecRunTracker> runs = std::make_shared<RecRunTracker>();
    int clockSlot = -1;
    // The latest end of the recordings handed to the companion: they are no longer in the
    // list, but the shutdown still waits for them.
    std::atomic<double> handedOffEnd{0.0};
    // A shutdown instant the user declined; no later run plans it again.
    std::atomic<double> declinedShutdown{0.0};
    PlanningWorker planner;
};

CRecEngine::CRecEngine(Services const& services)
    : m_services(services), m_impl(std::make_unique<Impl>([this](PlanRequest const& request) {
          PlanFinished(RunPlan(request));
      })) {}

CRecEngine::~CRecEngine() {
    StopThreads();
    delete m_Schedule;
    m_Schedule = nullptr;
    if (m_impl->clockSlot >= 0) {
        g_clockSlots[static_cast<std::size_t>(m_impl->clockSlot)].store(nullptr,
                                                                        std::memory_order_release);
    }
}

void CRecEngine::CreateSchedule() {
    if (m_Schedule != nullptr) {
        return;
    }
    m_Schedule = new CScheduleItem();
    if (m_services.clock != nullptr && m_impl->clockSlot < 0) {
        m_impl->clockSlot = ClaimClockSlot(m_services.clock);
    }
    // With every slot taken (never in the program, which has one engine) the list keeps its
    // own wall-clock "now".
    if (m_impl->clockSlot >= 0) {
        m_Schedule->setNowFunction(kSlotFunctions[static_cast<std::size_t>(m_impl->clockSlot)]);
    }
}

std::string CRecEngine::ReservationFilePath() {
    return JoinPath(m_services.bundle->homeDirectory(), kReservationFileName);
}

void CRecEngine::StartLoadingSchedule() {
    if (m_impl->loader.joinable()) {
        return;
    }
    CreateSchedule();
    try {
        m_impl->loader = std::thread([this, path = ReservationFilePath()] {
            m_impl->loaded = m_Schedule->Load(path.c_str());
        });
    } catch (std::exception const&) {
        // No thread: LoadSchedule reads the file itself.
    }
}

bool CRecEngine::LoadSchedule() {
    if (m_impl->loader.joinable()) {
        m_impl->loader.join();
        return m_impl->loaded;
    }
    CreateSchedule();
    return m_Schedule->Load(ReservationFilePath().c_str());
}

// ---- watch loop -------------------------------------------------------------------------

void CRecEngine::StartWatchThread() {
    // The threads reach the list from the start, so it exists before they do.
    CreateSchedule();
    std::lock_guard lock(m_impl->threadMutex);
    if (m_impl->watchThread.joinable() || m_impl->stopping.load()) {
        return;
    }
    m_impl->watchThread = std::thread([this] { watchProc(); });
}

void CRecEngine::watchProc() {
    IClock& clock = *m_services.clock;
    // The sleep ends early when the engine stops, so that the program exits at once.
    while (clock.waitUntil(clock.now() + 1.0, m_impl->stopping)) {
        WatchPass();
    }
}

void CRecEngine::WatchPass() {
    if (m_Schedule == nullptr) {
        return;
    }
    int const n = m_Schedule->m_nCount.load();
    for (int i = 0; i < n; ++i) {
        double const now = m_services.clock->now();
        double const nowWhole = std::trunc(now);

        SCHEDULEITEM_TAG candidate{};
        if (!m_RecLock.try_lock()) {
            return;
        }
        bool const found = m_Schedule->readScheduleByIndex(i, &candidate);
        m_RecLock.unlock();
        // The list shrank under the pass: nothing left at this position.
        if (!found) {
            continue;
        }
        if (candidate.cPending == 0 || candidate.cValid == 0 || candidate.uState == 1) {
            continue;
        }

        SCHEDULE_RETURN result;
        if (candidate.dEndTime < nowWhole) {
            candidate.cPending = 0;
            if (!m_RecLock.try_lock()) {
                return;
            }
            bool const marked = m_Schedule->editSchedule(&candidate, result);
            m_RecLock.unlock();
            if (marked) {
                Journal(ReservationEntry(JournalKind::Missed, candidate, now));
            }
            m_services.mainThread->requestDisplayTheTable();
            continue;
        }

        if (!(now > candidate.dStartTime - kStartLead)) {
            continue;
        }

        // Due. Valid reservations behind it with the same start give way to the last of
        // them; the pass ends here whatever happens.
        if (!m_RecLock.try_lock()) {
            return;
        }
        int j = i + 1;
        while (j < m_Schedule->m_nCount.load()) {
            SCHEDULEITEM_TAG follower{};
            if (!m_Schedule->readScheduleByIndex(j, &follower)) {
                break;
            }
            if (follower.cValid == 0) {
                ++j;
                continue;
            }
            if (follower.dStartTime != candidate.dStartTime) {
                break;
            }
            if (candidate.uWeek != 0) {
                SCHEDULEITEM_TAG next = candidate;
                WeeklyRearm(next, *m_services.calendar);
                m_Schedule->addSchedule(&next, result, 1);
            }
            m_Schedule->deleteSchedule(candidate.nID);
            candidate = follower;
            // Not advancing j: the deletion moved the rest up by one.
        }
        m_RecLock.unlock();

        candidate.uState = 1;
        if (!m_RecLock.try_lock()) {
            return;
        }
        m_Schedule->editSchedule(&candidate, result);
        m_RecLock.unlock();
        LaunchRecordingThread(candidate.nID);
        return;
    }
}

void CRecEngine::LaunchRecordingThread(int id) {
    if (m_impl->stopping.load()) {
        return;
    }
    auto* handOff = new RecHandOff{this, id, m_impl->runs};
    m_impl->runs->begin();
    try {
        std::thread(&CRecEngine::rec_start_func, handOff).detach();
    } catch (std::exception const&) {
        // No thread: the reservation keeps uState 1 and is not started again.
        delete handOff;
        m_impl->runs->end();
    }
}

void* CRecEngine::rec_start_func(void* arg) {
    auto* handOff = static_cast<RecHandOff*>(arg);
    std::shared_ptr<RecRunTracker> runs = std::move(handOff->runs);
    handOff->engine->RecordingProc(handOff->id);
    delete handOff;
    if (runs) {
        runs->end();
    }
    return nullptr;
}

// ---- recording run ----------------------------------------------------------------------

void CRecEngine::RecordingProc(int id) {
    if (m_Schedule == nullptr) {
        return;
    }
    SCHEDULEITEM_TAG rec{};
    uint64_t serial = 0; // names the stored record this run takes
    if (!m_Schedule->readSchedule(id, &rec, &serial)) {
        return;
    }

    IUserDefaults& defaults = *m_services.defaults;
    bool const appTerminate = defaults.objectForKey(kDefaultsExitAfterRecord)
                                  ? defaults.boolForKey(kDefaultsExitAfterRecord)
                                  : false;
    NotificationInfo const message{
        {"CH", static_cast<int32_t>(rec.uFreq & 0xFFFFu)},
        {"BAND", std::string((rec.uFreq & 0xFF000000u) != 0 ? "FM" : "AM")},
        {"RecStartTime", rec.dStartTime},
        {"RecEndTime", rec.dEndTime},
        {"Title", TitleText(rec)},
        {"AppTerminate", appTerminate},
    };

    // Wait for the minute before the start. A stopping engine ends the wait: a run that has
    // not begun its hand-off gives up.
    IClock& clock = *m_services.clock;
    double const handOffAt = rec.dStartTime - kStartLead;
    if (!clock.waitUntil(handOffAt, m_impl->stopping)) {
        return;
    }

    std::string const home = m_services.bundle->homeDirectory();
    std::string const companion = JoinPath(home, kCompanionBundleName);
    if (m_impl->stopping.load()) {
        return;
    }

    std::lock_guard lock(m_RecLock);
    double const launchMark = clock.now();
    bool const keepHistory = m_services.journal != nullptr;
    bool const wasRunning = keepHistory && m_services.launcher->isRunning();
    bool reached = false;
    for (;;) {
        if (clock.now() - launchMark >= kLaunchAttemptSeconds) {
            break;
        }
        if (m_services.launcher->openURL(companion)) {
            reached = true;
            break;
        }
        m_services.launcher->launchApplication(kCompanionLaunchName);
        clock.sleepFor(1.0);
    }
    clock.sleepFor(kSettleSeconds);

    // Sent whether or not the companion came up.
    m_services.notifications->postNotification(kNotifySendMessage, std::string("message"), message);
    if (keepHistory) {
        // The message is a broadcast: whether anyone heard it shows only in whether the
        // companion's bus name had an owner as it went out.
        JournalEntry handedOver = ReservationEntry(JournalKind::HandedOver, rec, clock.now());
        handedOver.lead = rec.dStartTime - handedOver.at;
        handedOver.companion = wasRunning ? CompanionState::AlreadyRunning
                               : reached  ? CompanionState::Started
                                          : CompanionState::NotStarted;
        handedOver.present = m_services.launcher->isRunning();
        Journal(handedOver);
    }

    SCHEDULE_RETURN result;
    if (rec.uWeek != 0) {
        // Added before the delete, so the next occurrence never takes the finished one's id.
        SCHEDULEITEM_TAG next = rec;
        WeeklyRearm(next, *m_services.calendar);
        m_Schedule->addSchedule(&next, result, 1);
    }
    // The record this run took leaves the list, also when the user edited it meanwhile
    // (the run's outcome replaces the edit). Ids are reused, so it is found by its serial:
    // a reservation the user added after deleting this one may hold the id by now.
    m_Schedule->deleteSchedule(id, serial);
    m_Schedule->Save(JoinPath(home, kReservationFileName).c_str());
    m_services.mainThread->requestTableReload();
    double known = m_impl->handedOffEnd.load();
    while (rec.dEndTime > known &&
           !m_impl->handedOffEnd.compare_exchange_weak(known, rec.dEndTime)) {
    }
    // The next wake-up (a weekly reservation's next occurrence, or the reservation that was
    // beyond the planned ones) is planned now, not whenever the user next changes something.
    ReSettingSchedule();
}

void CRecEngine::WeeklyRearm(SCHEDULEITEM_TAG& rec, ILocalCalendar& calendar) {
    // The first selected weekday within the next seven days, else the eighth day.
    int days = 1;
    for (; days <= 7; ++days) {
        int const weekday = calendar.dayOfWeek(calendar.addDays(rec.dStartTime, days));
        if (weekday >= 0 && weekday < 7 && (rec.uWeek & kWeeklyKeys[weekday]) != 0) {
            break;
        }
    }
    // Calendar days, not multiples of 86,400 s: both ends keep their local clock times
    // across a change of daylight-saving time.
    rec.dStartTime = calendar.addDays(rec.dStartTime, days);
    rec.dEndTime = calendar.addDays(rec.dEndTime, days);
    rec.uState = 0;
}

// ---- planning ---------------------------------------------------------------------------

bool CRecEngine::GetScheduleNearDateTime(double* date) {
    if (m_Schedule == nullptr) {
        return false;
    }
    SCHEDULEITEM_TAG rec{};
    if (!m_Schedule->readSchedule(&rec)) {
        return false;
    }
    if (date != nullptr) {
        *date = rec.dStartTime;
    }
    return true;
}

bool CRecEngine::GetScheduleLatestDateTime(double* date) {
    if (m_Schedule == nullptr) {
        return false;
    }
    SCHEDULEITEM_TAG rec{};
    if (!m_Schedule->readScheduleLatest(&rec)) {
        return false;
    }
    if (date != nullptr) {
        *date = rec.dEndTime;
    }
    return true;
}

bool CRecEngine::ReSettingSchedule() {
    PlanRequest request;
    request.plan = true;
    m_impl->planner.Request(request);
    return true;
}

void CRecEngine::ReSettingScheduleAfterSettings() {
    PlanRequest request;
    request.plan = true;
    request.cancelBothFirst = true;
    m_impl->planner.Request(request);
}

void CRecEngine::CancelPlannedShutdown(double instant) {
    m_impl->declinedShutdown.store(instant);
    PlanRequest request;
    request.cancelShutdown = true;
    m_impl->planner.Request(request);
}

bool CRecEngine::WaitForPlanning(std::chrono::milliseconds timeout) {
    return m_impl->planner.WaitIdle(timeout);
}

void CRecEngine::StopPlanning() {
    m_impl->planner.Stop();
}

bool CRecEngine::PlanningStopped() const {
    return m_impl->planner.stopping();
}

void CRecEngine::PlanFinished(PlanOutcome const&) {}

namespace {

// Makes a run's privileged calls and keeps the score. After a failure that every later call
// would meet too, the run makes no more calls; after a refused wake-up timer, no more
// wake-ups.
class PlanCalls {
public:
    PlanCalls(IPrivilegedOps& ops, PlanningWorker const& worker, PlanOutcome& outcome)
        : m_ops(ops), m_worker(worker), m_outcome(outcome) {}

    bool Cancel(int kind) {
        return Call([&] { return m_ops.cancelScheduleWake(kind); });
    }
    bool Wake(double instant) {
        if (m_noWakeUps) {
            return false;
        }
        return Call([&] { return m_ops.SettingWakeTime(instant); });
    }
    bool Shutdown(double instant) {
        return Call([&] { return m_ops.ForceShutDownTime(instant); });
    }

private:
    template <typename Op> bool Call(Op op) {
        if (m_givenUp) {
            return false;
        }
        if (m_worker.stopping()) {
            m_outcome.abandoned = true;
            m_givenUp = true;
            return false;
        }
        ++m_outcome.toolRuns;
        if (op()) {
            return true;
        }
        PrivilegedFailure const failure = m_ops.lastFailure();
        if (m_outcome.failure == PrivilegedFailure::None) {
            // A false answer with no reason given still failed.
            m_outcome.failure =
                failure == PrivilegedFailure::None ? PrivilegedFailure::ToolFailed : failure;
        }
        switch (failure) {
        case PrivilegedFailure::ToolFailed:
        case PrivilegedFailure::None:
            break;
        case PrivilegedFailure::NotWakeable:
            m_noWakeUps = true;
            break;
        default:
            m_givenUp = true;
            break;
        }
        return false;
    }

    IPrivilegedOps& m_ops;
    PlanningWorker const& m_worker;
    PlanOutcome& m_outcome;
    bool m_givenUp = false;
    bool m_noWakeUps = false;
};

} // namespace

PlanOutcome CRecEngine::RunPlan(PlanRequest const& request) {
    IUserDefaults& defaults = *m_services.defaults;
    PlanOutcome outcome;
    outcome.wakeOn = IsOn(defaults, kDefaultsUseAcpi);
    outcome.shutdownOn = IsOn(defaults, kDefaultsShutdown);
    PlanCalls calls(*m_services.privileged, m_impl->planner, outcome);

    // What this run leaves planned, for the history.
    bool wakeUpsCancelled = false;
    std::vector<double> plannedWakeUps;
    bool shutdownCancelled = false;
    std::optional<double> plannedShutdown;
    auto journalPlans = [&] {
        if (wakeUpsCancelled) {
            JournalEntry plan;
            plan.kind = JournalKind::WakeUpsPlanned;
            plan.at = m_services.clock->now();
            plan.instants = plannedWakeUps;
            Journal(plan);
        }
        if (plannedShutdown || shutdownCancelled) {
            JournalEntry shutdown;
            shutdown.kind =
                plannedShutdown ? JournalKind::ShutdownPlanned : JournalKind::ShutdownCancelled;
            shutdown.at = m_services.clock->now();
            if (plannedShutdown) {
                shutdown.instants = {*plannedShutdown};
            }
            Journal(shutdown);
        }
        return outcome;
    };

    if (request.cancelShutdown) {
        shutdownCancelled = calls.Cancel(kCancelShutdowns);
    }
    if (request.cancelBothFirst) {
        wakeUpsCancelled = calls.Cancel(kCancelWakeUps);
        shutdownCancelled = calls.Cancel(kCancelShutdowns) || shutdownCancelled;
    }
    if (!request.plan) {
        return journalPlans();
    }

    bool wakePlanned = false;
    if (outcome.wakeOn) {
        long const lead = defaults.objectForKey(kDefaultsRestoreTime)
                              ? defaults.integerForKey(kDefaultsRestoreTime)
                              : kDefaultRestoreMinutes;
        wakeUpsCancelled = calls.Cancel(kCancelWakeUps) || wakeUpsCancelled;
        shutdownCancelled = calls.Cancel(kCancelShutdowns) || shutdownCancelled;
        double const offset = -static_cast<double>(lead) * 60.0;
        double const now = m_services.clock->now();
        // Every pending reservation, switched on or off, whose wake-up still lies ahead; of
        // those, the earliest. A wake-up already behind would plan nothing.
        std::vector<double> wakeUps;
        int eligible = 0;
        int const n = m_Schedule != nullptr ? m_Schedule->m_nCount.load() : 0;
        for (int i = 0; i < n; ++i) {
            SCHEDULEITEM_TAG rec{};
            if (!m_Schedule->readScheduleByIndex(i, &rec) || rec.cPending == 0) {
                continue;
            }
            double const wake = rec.dStartTime + offset;
            if (!(wake > now)) {
                continue;
            }
            ++eligible;
            // A max-heap of the earliest kMaxPlannedWakeUps seen so far.
            if (wakeUps.size() < static_cast<std::size_t>(kMaxPlannedWakeUps)) {
                wakeUps.push_back(wake);
                std::push_heap(wakeUps.begin(), wakeUps.end());
            } else if (wake < wakeUps.front()) {
                std::pop_heap(wakeUps.begin(), wakeUps.end());
                wakeUps.back() = wake;
                std::push_heap(wakeUps.begin(), wakeUps.end());
            }
        }
        std::sort_heap(wakeUps.begin(), wakeUps.end());
        outcome.wakeUpsLeftOut = eligible - static_cast<int>(wakeUps.size());
        for (double const wake : wakeUps) {
            if (calls.Wake(wake)) {
                ++outcome.wakeUps;
                plannedWakeUps.push_back(wake);
            }
        }
        wakePlanned = true;
    }

    if (!outcome.shutdownOn) {
        return journalPlans();
    }
    // A recording handed over and not yet over counts as active: the shutdown waits for it.
    double const now = m_services.clock->now();
    double const handedOffEnd = m_impl->handedOffEnd.load();
    bool const recording = handedOffEnd > now;
    int const active = m_Schedule != nullptr ? m_Schedule->GetCountByKind(kKindActive) : 0;
    if (active <= 0 && !recording) {
        // A shutdown planned for reservations that are gone must not stay behind.
        if (!wakePlanned) {
            shutdownCancelled = calls.Cancel(kCancelShutdowns) || shutdownCancelled;
        }
        return journalPlans();
    }
    if (!wakePlanned) {
        wakeUpsCancelled = calls.Cancel(kCancelWakeUps) || wakeUpsCancelled;
    }
    shutdownCancelled = calls.Cancel(kCancelShutdowns) || shutdownCancelled;
    double latestEnd = 0.0;
    bool haveEnd = false;
    if (active > 0) {
        // None while an active weekly reservation exists: it would never be the last.
        haveEnd = GetScheduleLatestDateTime(&latestEnd);
        if (haveEnd && recording) {
            latestEnd = std::max(latestEnd, handedOffEnd);
        }
    } else {
        haveEnd = true;
        latestEnd = handedOffEnd;
    }
    double const shutdownAt = latestEnd + kShutdownAfterEnd;
    if (haveEnd && shutdownAt != m_impl->declinedShutdown.load() && calls.Shutdown(shutdownAt)) {
        outcome.shutdownPlanned = true;
        outcome.shutdownAt = shutdownAt;
        plannedShutdown = shutdownAt;
    }
    return journalPlans();
}

// ---- history ----------------------------------------------------------------------------

void CRecEngine::Journal(JournalEntry const& entry) {
    if (m_services.journal != nullptr) {
        m_services.journal->Record(entry);
    }
}

JournalEntry CRecEngine::ReservationEntry(JournalKind kind, SCHEDULEITEM_TAG const& rec,
                                          double at) {
    JournalEntry entry;
    entry.kind = kind;
    entry.at = at;
    entry.title = TitleText(rec);
    entry.freq = rec.uFreq;
    entry.start = rec.dStartTime;
    entry.end = rec.dEndTime;
    entry.week = rec.uWeek;
    return entry;
}

std::vector<SCHEDULEITEM_TAG> CRecEngine::PassedUnrecorded() {
    std::vector<SCHEDULEITEM_TAG> passed;
    if (m_Schedule == nullptr) {
        return passed;
    }
    double const nowWhole = std::trunc(m_services.clock->now());
    SCHEDULEITEM_TAG rec{};
    for (int i = 0; m_Schedule->readScheduleByIndex(i, &rec); ++i) {
        // What the watch loop will mark over on its first passes.
        if (rec.cPending != 0 && rec.cValid != 0 && rec.uState != 1 && rec.dEndTime < nowWhole) {
            passed.push_back(rec);
        }
    }
    return passed;
}

std::optional<JournalEntry> CRecEngine::FindMiss(SCHEDULEITEM_TAG const& rec) {
    if (m_services.journal == nullptr) {
        return std::nullopt;
    }
    return m_services.journal->FindMiss(TitleText(rec), rec.uFreq, rec.dStartTime, rec.dEndTime);
}

// ---- lifetime ---------------------------------------------------------------------------

void CRecEngine::WaitForRunningHandOff() {
    m_RecLock.lock();
    m_RecLock.unlock();
}

void CRecEngine::StopThreads() {
    if (m_impl->loader.joinable()) {
        m_impl->loader.join();
    }
    StopPlanning();
    m_impl->stopping.store(true);
    if (m_services.clock != nullptr) {
        m_services.clock->wakeWaiters();
    }
    {
        std::lock_guard lock(m_impl->threadMutex);
        if (m_impl->watchThread.joinable()) {
            m_impl->watchThread.join();
        }
    }
    // The watch thread is gone, so no run can start any more.
    m_impl->runs->waitIdle();
}

int CRecEngine::ActiveRecordingRuns() const {
    return m_impl->runs->count();
}
