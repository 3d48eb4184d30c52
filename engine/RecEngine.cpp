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

namespace {

constexpr double kSecondsPerDay = 86400.0;
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
    std::mutex threadMutex; // guards starting and joining the watch thread
    std::thread watchThread;
    std::atomic<bool> stopping{false};
    std::shared_ptr<RecRunTracker> runs = std::make_shared<RecRunTracker>();
    int clockSlot = -1;
};

CRecEngine::CRecEngine(Services const& services)
    : m_services(services), m_impl(std::make_unique<Impl>()) {}

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
    while (!m_impl->stopping.load()) {
        m_services.clock->sleepFor(1.0);
        if (m_impl->stopping.load()) {
            break;
        }
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
    if (!m_Schedule->readSchedule(id, &rec)) {
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

    // Wait for the minute before the start in short slices, so that a stopping engine is
    // not kept waiting by a run that has not begun its hand-off.
    IClock& clock = *m_services.clock;
    double const handOffAt = rec.dStartTime - kStartLead;
    for (;;) {
        if (m_impl->stopping.load()) {
            return;
        }
        double const now = clock.now();
        if (!(now < handOffAt)) {
            break;
        }
        clock.sleepUntil(std::min(handOffAt, now + 1.0));
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
    // Ids are reused: if the user deleted this reservation during the hand-off, a new one
    // may hold its id by now and must not go in its place. Ours still carries the hand-off
    // mark (uState 1, kept through the user's edits) or is unchanged.
    SCHEDULEITEM_TAG stored{};
    if (m_Schedule->readSchedule(id, &stored) && (stored.uState == 1 || stored == rec)) {
        m_Schedule->deleteSchedule(id);
    }
    m_Schedule->Save(JoinPath(home, kReservationFileName).c_str());
    m_services.mainThread->requestTableReload();
}

void CRecEngine::WeeklyRearm(SCHEDULEITEM_TAG& rec, ILocalCalendar& calendar) {
    rec.dStartTime += kSecondsPerDay;
    rec.dEndTime += kSecondsPerDay;
    for (int step = 0; step < 7; ++step) {
        int const weekday = calendar.dayOfWeek(rec.dStartTime);
        if (weekday >= 0 && weekday < 7 && (rec.uWeek & kWeeklyKeys[weekday]) != 0) {
            break;
        }
        rec.dStartTime += kSecondsPerDay;
        rec.dEndTime += kSecondsPerDay;
    }
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
    IUserDefaults& defaults = *m_services.defaults;
    IPrivilegedOps& privileged = *m_services.privileged;

    // What this run leaves planned, for the history.
    bool wakeUpsCancelled = false;
    std::vector<double> wakeUps;
    bool shutdownCancelled = false;
    std::optional<double> shutdownAt;

    bool wakePlanned = false;
    if (IsOn(defaults, kDefaultsUseAcpi)) {
        long const lead = defaults.objectForKey(kDefaultsRestoreTime)
                              ? defaults.integerForKey(kDefaultsRestoreTime)
                              : kDefaultRestoreMinutes;
        wakeUpsCancelled = privileged.cancelScheduleWake(kCancelWakeUps);
        shutdownCancelled = privileged.cancelScheduleWake(kCancelShutdowns);
        double const offset = -static_cast<double>(lead) * 60.0;
        int const n = m_Schedule != nullptr ? m_Schedule->m_nCount.load() : 0;
        for (int i = 0; i < n; ++i) {
            SCHEDULEITEM_TAG rec{};
            if (m_Schedule->readScheduleByIndex(i, &rec) && rec.cPending != 0 &&
                privileged.SettingWakeTime(rec.dStartTime + offset)) {
                wakeUps.push_back(rec.dStartTime + offset);
            }
        }
        wakePlanned = true;
    }

    auto journalPlans = [&] {
        if (wakeUpsCancelled) {
            JournalEntry plan;
            plan.kind = JournalKind::WakeUpsPlanned;
            plan.at = m_services.clock->now();
            std::sort(wakeUps.begin(), wakeUps.end());
            plan.instants = wakeUps;
            Journal(plan);
        }
        if (shutdownAt || shutdownCancelled) {
            JournalEntry shutdown;
            shutdown.kind =
                shutdownAt ? JournalKind::ShutdownPlanned : JournalKind::ShutdownCancelled;
            shutdown.at = m_services.clock->now();
            if (shutdownAt) {
                shutdown.instants = {*shutdownAt};
            }
            Journal(shutdown);
        }
        return true;
    };

    if (!IsOn(defaults, kDefaultsShutdown)) {
        return journalPlans();
    }
    int const active = m_Schedule != nullptr ? m_Schedule->GetCountByKind(kKindActive) : 0;
    if (active <= 0) {
        // A shutdown planned for reservations that are gone must not stay behind.
        if (!wakePlanned) {
            shutdownCancelled = privileged.cancelScheduleWake(kCancelShutdowns);
        }
        return journalPlans();
    }
    if (!wakePlanned) {
        wakeUpsCancelled = privileged.cancelScheduleWake(kCancelWakeUps);
    }
    shutdownCancelled = privileged.cancelScheduleWake(kCancelShutdowns) || shutdownCancelled;
    double latestEnd = 0.0;
    if (GetScheduleLatestDateTime(&latestEnd) &&
        privileged.ForceShutDownTime(latestEnd + kShutdownAfterEnd)) {
        shutdownAt = latestEnd + kShutdownAfterEnd;
    }
    return journalPlans();
}

void CRecEngine::ReSettingScheduleAfterSettings() {
    IPrivilegedOps& privileged = *m_services.privileged;
    JournalEntry wakeUps;
    wakeUps.kind = JournalKind::WakeUpsPlanned;
    wakeUps.at = m_services.clock->now();
    if (privileged.cancelScheduleWake(kCancelWakeUps)) {
        Journal(wakeUps); // none planned now
    }
    if (privileged.cancelScheduleWake(kCancelShutdowns)) {
        JournalEntry shutdown;
        shutdown.kind = JournalKind::ShutdownCancelled;
        shutdown.at = wakeUps.at;
        Journal(shutdown);
    }
    ReSettingSchedule();
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
    m_impl->stopping.store(true);
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
