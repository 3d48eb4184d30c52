#include "engine/WakePlanner.h"

#include "engine/WakeRelays.h"
#include "history/IRecordingJournal.h"
#include "platform/ISettings.h"
#include "posix/IClock.h"
#include "store/ReservationList.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

namespace {

constexpr double kShutdownAfterEnd = 35.0;
constexpr long kDefaultWakeLeadMinutes = 5;
// After a relay wake-up the computer goes off again this long after the relay (the program
// has started and planned by then), or two minutes after a later run.
constexpr double kRelayShutdownAfter = 600.0;
// Nothing this close after the relay shutdown: a reservation that near keeps the computer up.
constexpr double kRelayShutdownClearance = 900.0;
// What an RTC that refused a wake-up is taken to reach: most such RTCs stop at a day.
constexpr double kDayReach = 24 * 3600.0;

// Makes a run's privileged calls and keeps the score. After a failure that every later call
// would meet too, the run makes no more calls; after a refused wake-up timer, no more
// wake-ups.
class PlanCalls {
public:
    PlanCalls(IPrivilegedOps& ops, WakePlanner const& planner, PlanOutcome& outcome)
        : m_ops(ops), m_planner(planner), m_outcome(outcome) {}

    bool cancel(int kind) {
        return call([&] { return m_ops.cancel(kind); });
    }
    bool wake(double instant) {
        if (m_noWakeUps) {
            return false;
        }
        return call([&] { return m_ops.setWakeTime(instant); });
    }
    bool shutdown(double instant) {
        return call([&] { return m_ops.setShutdownTime(instant); });
    }

private:
    template <typename Op> bool call(Op op) {
        if (m_givenUp) {
            return false;
        }
        if (m_planner.stopping()) {
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
    WakePlanner const& m_planner;
    PlanOutcome& m_outcome;
    bool m_givenUp = false;
    bool m_noWakeUps = false;
};

} // namespace

WakePlanner::WakePlanner(ReservationList& list, Services const& services, Finished finished)
    : m_list(list), m_services(services), m_finished(std::move(finished)) {}

WakePlanner::~WakePlanner() {
    stop();
}

// ---- the thread -------------------------------------------------------------------------

void WakePlanner::request(PlanRequest const& request) {
    if (request.empty()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_stop) {
        return;
    }
    m_waiting |= request;
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { loop(); });
        } catch (std::exception const&) {
            // No thread to be had: the request stays waiting for the next attempt.
            return;
        }
    }
    m_wake.notify_one();
}

void WakePlanner::loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
        if (m_stop) {
            break;
        }
        PlanRequest const request = m_waiting;
        m_waiting = PlanRequest{};
        m_running = true;
        lock.unlock();
        PlanOutcome const outcome = plan(request);
        if (m_finished) {
            m_finished(outcome);
        }
        lock.lock();
        m_running = false;
        ++m_runs;
        if (m_waiting.empty()) {
            m_idle.notify_all();
        }
    }
    m_running = false;
    m_idle.notify_all();
}

void WakePlanner::stop() {
    std::thread thread;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_waiting = PlanRequest{};
        m_wake.notify_one();
        thread = std::move(m_thread);
    }
    if (thread.joinable()) {
        thread.join();
    }
}

bool WakePlanner::stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stop;
}

bool WakePlanner::waitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, timeout,
                           [this] { return !m_running && (m_waiting.empty() || m_stop); });
}

int WakePlanner::runs() const {
    std::lock_guard lock(m_mutex);
    return m_runs;
}

void WakePlanner::recordingHandedOver(double end) {
    double known = m_handedOverEnd.load();
    while (end > known && !m_handedOverEnd.compare_exchange_weak(known, end)) {
    }
}

void WakePlanner::declineShutdown(double instant) {
    m_declinedShutdown.store(instant);
}

void WakePlanner::setRtcFacts(std::function<RtcFacts()> read) {
    std::lock_guard lock(m_mutex);
    m_rtcFacts = std::move(read);
}

// ---- one run ----------------------------------------------------------------------------

PlanOutcome WakePlanner::plan(PlanRequest const& request) {
    ISettings& settings = *m_services.settings;
    IClock& clock = *m_services.clock;
    PlanOutcome outcome;
    outcome.wakeOn = settings.contains(kWakeBeforeKey) && settings.integer(kWakeBeforeKey) != 0;
    outcome.shutdownOn =
        settings.contains(kShutdownAfterKey) && settings.integer(kShutdownAfterKey) != 0;
    PlanCalls calls(*m_services.privileged, *this, outcome);
    RecordingMargins const margins = m_list.margins();

    // How the RTC keeps time, and the alarm it holds now (as an instant), before anything
    // of ours changes it.
    std::function<RtcFacts()> readRtc;
    {
        std::lock_guard lock(m_mutex);
        readRtc = m_rtcFacts;
    }
    std::optional<double> alarmBefore;
    if (readRtc) {
        RtcFacts const rtc = readRtc();
        auto const now = static_cast<std::int64_t>(clock.now());
        schedule::RtcClock const kept = rtc.judgeClock(now, zoneOffsetAt(now)).clock;
        m_services.privileged->setRtcClock(kept);
        if (rtc.alarm) {
            alarmBefore = static_cast<double>(*rtc.alarm) -
                          (kept == schedule::RtcClock::Local ? zoneOffsetAt(*rtc.alarm) : 0);
        }
    }

    // What this run leaves planned, for the history.
    bool wakeUpsCancelled = false;
    std::vector<double> plannedWakeUps;
    bool shutdownCancelled = false;
    std::optional<double> plannedShutdown;
    auto journalPlans = [&] {
        if (m_services.journal == nullptr) {
            return outcome;
        }
        if (wakeUpsCancelled) {
            JournalEntry plan;
            plan.kind = JournalKind::WakeUpsPlanned;
            plan.at = clock.now();
            plan.instants = plannedWakeUps;
            m_services.journal->record(plan);
        }
        if (plannedShutdown || shutdownCancelled) {
            JournalEntry shutdown;
            shutdown.kind =
                plannedShutdown ? JournalKind::ShutdownPlanned : JournalKind::ShutdownCancelled;
            shutdown.at = clock.now();
            if (plannedShutdown) {
                shutdown.instants = {*plannedShutdown};
            }
            m_services.journal->record(shutdown);
        }
        return outcome;
    };

    if (request.cancelShutdown) {
        shutdownCancelled = calls.cancel(IPrivilegedOps::kShutdowns);
    }
    // A test wake-up under way outlives every cancel of this run.
    double const held = m_heldWakeUp.load() > clock.now() ? m_heldWakeUp.load() : 0.0;
    if (request.cancelBothFirst) {
        wakeUpsCancelled = calls.cancel(IPrivilegedOps::kWakeUps);
        shutdownCancelled = calls.cancel(IPrivilegedOps::kShutdowns) || shutdownCancelled;
        if (held > 0.0 && !(request.plan && outcome.wakeOn) && calls.wake(held)) {
            plannedWakeUps.push_back(held);
        }
    }
    if (!request.plan) {
        return journalPlans();
    }

    bool wakePlanned = false;
    std::vector<double> reservationWakeUps; // the reservations' own, without relays
    if (outcome.wakeOn) {
        long const lead = settings.contains(kWakeLeadKey) ? settings.integer(kWakeLeadKey)
                                                          : kDefaultWakeLeadMinutes;
        wakeUpsCancelled = calls.cancel(IPrivilegedOps::kWakeUps) || wakeUpsCancelled;
        shutdownCancelled = calls.cancel(IPrivilegedOps::kShutdowns) || shutdownCancelled;
        // Before the early start: the recording begins the margin before the programme.
        double const offset = -static_cast<double>(lead) * 60.0 - margins.before;
        double const now = clock.now();
        // Every pending reservation, switched on or off, whose wake-up still lies ahead; of
        // those, the earliest. A wake-up already behind would plan nothing.
        std::vector<double> wakeUps;
        int eligible = 0;
        int const n = m_list.size();
        for (int i = 0; i < n; ++i) {
            Reservation rec;
            if (!m_list.readAt(i, rec) || rec.pending == 0) {
                continue;
            }
            double const wake = rec.start + offset;
            if (!(wake > now)) {
                continue;
            }
            ++eligible;
            // A max-heap of the earliest kMaxWakeUps seen so far.
            if (wakeUps.size() < static_cast<std::size_t>(kMaxWakeUps)) {
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
        reservationWakeUps = wakeUps;
        double reach = alarmReach();
        std::optional<double> refused; // the first wake-up the RTC could not hold
        auto setWakeUps = [&] {
            std::vector<double> planned = wakeUps;
            if (reach > 0.0) {
                std::vector<double> const relays = WakeRelays::between(wakeUps, now, reach);
                planned.insert(planned.end(), relays.begin(), relays.end());
                std::sort(planned.begin(), planned.end());
                if (planned.size() > static_cast<std::size_t>(kMaxWakeUps)) {
                    planned.resize(kMaxWakeUps);
                }
            }
            if (held > 0.0 && std::find(planned.begin(), planned.end(), held) == planned.end()) {
                planned.insert(std::upper_bound(planned.begin(), planned.end(), held), held);
            }
            for (double const wake : planned) {
                if (!calls.wake(wake)) {
                    continue;
                }
                ++outcome.wakeUps;
                plannedWakeUps.push_back(wake);
                if (wake != held && !std::binary_search(wakeUps.begin(), wakeUps.end(), wake)) {
                    ++outcome.relays;
                }
                switch (m_services.privileged->lastAlarmNote()) {
                case AlarmNote::OutOfRange:
                    if (reach <= 0.0 && !refused) {
                        refused = wake;
                        outcome.alarmLimitFound = true;
                    }
                    break;
                case AlarmNote::ReplacedOther:
                    outcome.alarmReplaced = true;
                    outcome.replacedAlarm = alarmBefore.value_or(0.0);
                    if (m_services.journal != nullptr) {
                        JournalEntry replaced;
                        replaced.kind = JournalKind::AlarmReplaced;
                        replaced.at = clock.now();
                        replaced.planned = outcome.replacedAlarm;
                        replaced.instants = {wake};
                        m_services.journal->record(replaced);
                    }
                    break;
                case AlarmNote::None:
                    break;
                }
            }
        };
        setWakeUps();
        if (outcome.alarmLimitFound) {
            // The RTC cannot hold the earliest: plan again, with relays within a day of it.
            reach = std::min(kDayReach, *refused - now - WakeRelays::kMargin);
            if (reach > 2 * WakeRelays::kMargin) {
                m_learnedReach.store(reach);
                plannedWakeUps.clear();
                outcome.wakeUps = 0;
                outcome.relays = 0;
                if (calls.cancel(IPrivilegedOps::kWakeUps)) {
                    setWakeUps();
                }
            }
        }
        wakePlanned = true;
    }

    if (!outcome.shutdownOn) {
        return journalPlans();
    }
    // A recording handed over and not yet over counts as active: the shutdown waits for it.
    double const now = clock.now();
    double const handedOverEnd = m_handedOverEnd.load();
    bool const recording = handedOverEnd > now;
    // The computer came up for a relay, nothing is due: it goes off again soon.
    auto relayShutdown = [&] {
        double const reach = alarmReach();
        std::optional<double> const relay =
            reach > 0.0 && !recording ? WakeRelays::justPassed(reservationWakeUps, now, reach)
                                      : std::nullopt;
        if (!relay) {
            return;
        }
        double const at = std::max(*relay + kRelayShutdownAfter, now + 120.0);
        std::optional<Reservation> const next = m_list.next();
        if ((next && next->start < at + kRelayShutdownClearance) ||
            at == m_declinedShutdown.load() || !calls.shutdown(at)) {
            return;
        }
        outcome.relayShutdown = true;
        if (!outcome.shutdownPlanned || at < outcome.shutdownAt) {
            outcome.shutdownPlanned = true;
            outcome.shutdownAt = at;
            plannedShutdown = at;
        }
    };
    int const active = m_list.count(ReservationList::Active);
    if (active <= 0 && !recording) {
        // A shutdown planned for reservations that are gone must not stay behind.
        if (!wakePlanned) {
            shutdownCancelled = calls.cancel(IPrivilegedOps::kShutdowns) || shutdownCancelled;
        }
        relayShutdown();
        return journalPlans();
    }
    if (!wakePlanned) {
        wakeUpsCancelled = calls.cancel(IPrivilegedOps::kWakeUps) || wakeUpsCancelled;
    }
    shutdownCancelled = calls.cancel(IPrivilegedOps::kShutdowns) || shutdownCancelled;
    double latestEnd = 0.0;
    bool haveEnd = false;
    if (active > 0) {
        // None while an active weekly reservation exists: it would never be the last.
        if (std::optional<Reservation> const latest = m_list.latest()) {
            haveEnd = true;
            latestEnd = latest->end + margins.after; // its late end
            if (recording) {
                latestEnd = std::max(latestEnd, handedOverEnd);
            }
        }
    } else {
        haveEnd = true;
        latestEnd = handedOverEnd;
    }
    double const shutdownAt = latestEnd + kShutdownAfterEnd;
    if (haveEnd && shutdownAt != m_declinedShutdown.load() && calls.shutdown(shutdownAt)) {
        outcome.shutdownPlanned = true;
        outcome.shutdownAt = shutdownAt;
        plannedShutdown = shutdownAt;
    }
    relayShutdown();
    return journalPlans();
}

double WakePlanner::alarmReach() {
    double const learned = m_learnedReach.load();
    ISettings& settings = *m_services.settings;
    long const hours =
        settings.contains(kWakeAlarmLimitKey) ? settings.integer(kWakeAlarmLimitKey) : 0;
    // Whole hours, from one to a year; anything else says no limit.
    double const set = hours >= 1 && hours <= 366 * 24 ? static_cast<double>(hours) * 3600.0 : 0.0;
    if (set > 0.0 && learned > 0.0) {
        return std::min(set, learned);
    }
    return std::max(set, learned);
}
