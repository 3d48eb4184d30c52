// Wake-up and shutdown planning: the exact privileged calls for each combination of the
// settings and the list, what a failed call does to the rest of a run, and the planning
// thread. Now is Monday 09:00 JST.
#include "tests/engine/EngineTest.h"
#include "tests/support/FakeJournal.h"

#include <condition_variable>

namespace {

using Calls = std::vector<std::string>;

std::string cancel(int kind) {
    return FakePrivilegedOps::cancelCall(kind);
}
std::string wakeCall(double instant) {
    return FakePrivilegedOps::wakeCall(instant);
}
std::string shutdownCall(double instant) {
    return FakePrivilegedOps::shutdownCall(instant);
}

double timeAt(int hour, int minute = 0) {
    return kMonday0900 + (hour - 9) * 3600.0 + minute * 60.0;
}

class WakePlannerTest : public EngineTest {
protected:
    // useAcpi/shutdown: absent when off (or present as 0 when zeroPresent), 1 when on.
    Calls planCalls(bool useAcpi, bool shutdown, bool zeroPresent = false) {
        set(kWakeBeforeKey, useAcpi, zeroPresent);
        set(kShutdownAfterKey, shutdown, zeroPresent);
        fx.privileged.clear();
        PlanRequest request;
        request.plan = true;
        outcome = engine->planner().plan(request);
        return fx.privileged.calls();
    }
    void set(char const* key, bool on, bool zeroPresent) {
        if (on || zeroPresent) {
            fx.settings.setInteger(key, on ? 1 : 0);
        } else {
            fx.settings.remove(key);
        }
    }

    void addOver() {
        Reservation over = makeRec(timeAt(6), timeAt(7), "over");
        over.pending = 0;
        Add(over);
    }
    void addDisabled() {
        Reservation off = makeRec(timeAt(14), timeAt(15), "disabled");
        off.enabled = 0;
        Add(off);
    }
    // Over, started late, two future ones and a disabled one.
    void addMixedList() {
        addOver();
        Add(makeRec(timeAt(8, 30), timeAt(9, 30), "started late"));
        Add(makeRec(timeAt(10), timeAt(11), "A"));
        Add(makeRec(timeAt(12), timeAt(13), "B"));
        addDisabled();
    }
    // The one that started late has its wake-up behind it: nothing to plan.
    Calls mixedWakes() {
        return {wakeCall(timeAt(9, 55)), wakeCall(timeAt(11, 55)), wakeCall(timeAt(13, 55))};
    }

    PlanOutcome outcome;
};

Calls concat(std::initializer_list<Calls> parts) {
    Calls all;
    for (auto const& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(WakePlannerTest, TheSixCombinationsWithActiveReservations) {
    addMixedList();
    EXPECT_EQ(planCalls(false, false), Calls{});
    EXPECT_EQ(planCalls(false, false, true), Calls{});
    EXPECT_EQ(planCalls(false, true),
              (Calls{cancel(1), cancel(2), shutdownCall(timeAt(13) + 35.0)}));
    EXPECT_EQ(planCalls(true, false), concat({{cancel(1), cancel(2)}, mixedWakes()}));
    EXPECT_EQ(planCalls(true, true), concat({{cancel(1), cancel(2)},
                                             mixedWakes(),
                                             {cancel(2), shutdownCall(timeAt(13) + 35.0)}}));
    EXPECT_EQ(outcome.failure, PrivilegedFailure::None);
    EXPECT_EQ(outcome.wakeUps, 3);
    EXPECT_TRUE(outcome.shutdownPlanned);
    EXPECT_EQ(outcome.shutdownAt, timeAt(13) + 35.0);
}

TEST_F(WakePlannerTest, OnlyTheEarliestWakeUpsStillAheadArePlanned) {
    // Added latest first, an hour apart, so neither list order nor ids give the answer.
    int const count = WakePlanner::kMaxWakeUps + 6;
    for (int i = count - 1; i >= 0; --i) {
        double const start = timeAt(10) + i * 3600.0;
        Add(makeRec(start, start + 1800.0, ("r" + std::to_string(i)).c_str()));
    }
    Add(makeRec(timeAt(9, 3), timeAt(9, 30), "wake-up already behind"));
    Calls wanted{cancel(1), cancel(2)};
    for (int i = 0; i < WakePlanner::kMaxWakeUps; ++i) {
        wanted.push_back(wakeCall(timeAt(9, 55) + i * 3600.0));
    }
    EXPECT_EQ(planCalls(true, false), wanted);
    EXPECT_EQ(outcome.wakeUps, WakePlanner::kMaxWakeUps);
    EXPECT_EQ(outcome.wakeUpsLeftOut, 6);
}

TEST_F(WakePlannerTest, AFailureEndsTheRunOnlyWhereLaterCallsWouldFailToo) {
    Add(makeRec(timeAt(10), timeAt(11), "A"));
    Add(makeRec(timeAt(12), timeAt(13), "B"));
    struct Case {
        std::string failing; // the first call that fails, and every later one of its kind
        PrivilegedFailure failure;
        Calls calls;
        int wakeUps;
        bool shutdownPlanned;
    };
    Case const cases[] = {
        {cancel(1), PrivilegedFailure::NotAuthorized, {cancel(1)}, 0, false},
        {cancel(1), PrivilegedFailure::NoSystemd, {cancel(1)}, 0, false},
        {"wake",
         PrivilegedFailure::TimedOut,
         {cancel(1), cancel(2), wakeCall(timeAt(9, 55))},
         0,
         false},
        // No wake-up can work, but the shutdown still can.
        {"wake",
         PrivilegedFailure::NotWakeable,
         {cancel(1), cancel(2), wakeCall(timeAt(9, 55)), cancel(2),
          shutdownCall(timeAt(13) + 35.0)},
         0,
         true},
        // One tool run that failed says nothing about the next.
        {wakeCall(timeAt(9, 55)),
         PrivilegedFailure::ToolFailed,
         {cancel(1), cancel(2), wakeCall(timeAt(9, 55)), wakeCall(timeAt(11, 55)), cancel(2),
          shutdownCall(timeAt(13) + 35.0)},
         1,
         true},
        {"shutdown",
         PrivilegedFailure::Unavailable,
         {cancel(1), cancel(2), wakeCall(timeAt(9, 55)), wakeCall(timeAt(11, 55)), cancel(2),
          shutdownCall(timeAt(13) + 35.0)},
         2,
         false},
    };
    for (auto const& c : cases) {
        fx.privileged.setAnswer([&c](std::string const& call) {
            return call.rfind(c.failing, 0) == 0 ? c.failure : PrivilegedFailure::None;
        });
        EXPECT_EQ(planCalls(true, true), c.calls) << c.failing;
        EXPECT_EQ(outcome.failure, c.failure) << c.failing;
        EXPECT_EQ(outcome.wakeUps, c.wakeUps) << c.failing;
        EXPECT_EQ(outcome.shutdownPlanned, c.shutdownPlanned) << c.failing;
    }
}

// Holds the first privileged call of a run until the test lets it go.
class Gate {
public:
    PrivilegedFailure pass() {
        std::unique_lock lock(m_mutex);
        ++m_arrived;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        return PrivilegedFailure::None;
    }
    bool waitArrived(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return m_arrived >= count; });
    }
    void open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_arrived = 0;
    bool m_open = false;
};

TEST_F(WakePlannerTest, RequestsDuringARunFoldIntoOneMoreRunAfterIt) {
    Add(makeRec(timeAt(10), timeAt(11), "A"));
    fx.settings.setInteger(kWakeBeforeKey, 1);
    Gate gate;
    fx.privileged.setAnswer([&gate](std::string const&) { return gate.pass(); });

    engine->requestReplan(); // returns while the run waits at the gate
    ASSERT_TRUE(gate.waitArrived(1));
    engine->requestReplan();
    engine->requestReplanAfterSettings();
    engine->requestReplan();
    gate.open();
    ASSERT_TRUE(engine->waitForPlanning());

    EXPECT_EQ(fx.listener.outcomes().size(), 2u);
    EXPECT_EQ(fx.privileged.calls(),
              (Calls{cancel(1), cancel(2), wakeCall(timeAt(9, 55)), // the first run
                     cancel(1), cancel(2),                          // the settings' own cancels
                     cancel(1), cancel(2), wakeCall(timeAt(9, 55))}));
}

TEST_F(WakePlannerTest, StoppingAbandonsTheRestOfTheRunUnderWay) {
    Add(makeRec(timeAt(10), timeAt(11), "A"));
    Add(makeRec(timeAt(12), timeAt(13), "B"));
    fx.settings.setInteger(kWakeBeforeKey, 1);
    Gate gate;
    fx.privileged.setAnswer([&gate](std::string const&) { return gate.pass(); });
    engine->requestReplan();
    ASSERT_TRUE(gate.waitArrived(1));
    std::thread stopper([this] { engine->stopPlanning(); });
    // The stop waits for the call under way, then no other call is made.
    ASSERT_TRUE(waitFor([this] { return engine->planner().stopping(); }));
    EXPECT_TRUE(fx.listener.outcomes().empty());
    gate.open();
    stopper.join();
    EXPECT_EQ(fx.privileged.calls(), Calls{cancel(1)});
    ASSERT_EQ(fx.listener.outcomes().size(), 1u);
    EXPECT_TRUE(fx.listener.outcomes().front().abandoned);
    engine->requestReplan(); // ignored from now on
    EXPECT_TRUE(engine->waitForPlanning());
    EXPECT_EQ(fx.privileged.calls().size(), 1u);
}

TEST_F(WakePlannerTest, WithoutActiveReservationsAStaleShutdownIsCancelled) {
    addOver();
    addDisabled();
    // A shutdown planned for reservations since deleted would otherwise still power off.
    EXPECT_EQ(planCalls(false, true), Calls{cancel(2)});
    EXPECT_EQ(planCalls(true, true), (Calls{cancel(1), cancel(2), wakeCall(timeAt(13, 55))}));
    EXPECT_EQ(planCalls(false, false), Calls{});

    // An empty list is the same case.
    list->clear();
    EXPECT_EQ(planCalls(false, true), Calls{cancel(2)});
    EXPECT_EQ(planCalls(true, true), (Calls{cancel(1), cancel(2)}));
}

TEST_F(WakePlannerTest, MarginsMoveTheWakeUpsTheShutdownAndTheNextStart) {
    addMixedList();
    fx.settings.setInteger(kStartEarlyKey, 2);
    fx.settings.setInteger(kEndLateKey, 10);
    engine->refreshMargins();
    // The wake-up comes RESTORETIME before the early start; the shutdown after the late end.
    EXPECT_EQ(planCalls(true, true),
              (Calls{cancel(1), cancel(2), wakeCall(timeAt(9, 53)), wakeCall(timeAt(11, 53)),
                     wakeCall(timeAt(13, 53)), cancel(2), shutdownCall(timeAt(13, 10) + 35.0)}));
    EXPECT_EQ(engine->nextStart(), timeAt(9, 58));
}

TEST_F(WakePlannerTest, WakeLeadComesFromRestoreTime) {
    double const start = timeAt(9) + kDay; // Tuesday 09:00
    Add(makeRec(start, start + 3600.0, "tomorrow"));
    struct Case {
        std::optional<long> restore;
        double wake;
    };
    Case const cases[] = {
        {std::nullopt, start - 300.0}, {0, start}, {10, start - 600.0}, {-3, start + 180.0}};
    for (auto const& c : cases) {
        if (c.restore) {
            fx.settings.setInteger(kWakeLeadKey, *c.restore);
        } else {
            fx.settings.remove(kWakeLeadKey);
        }
        EXPECT_EQ(planCalls(true, false), (Calls{cancel(1), cancel(2), wakeCall(c.wake)}))
            << (c.restore ? *c.restore : -999);
    }
}

TEST_F(WakePlannerTest, ActiveWeeklyReservationPreventsTheShutdown) {
    Add(makeRec(timeAt(10), timeAt(11), "once"));
    Add(makeRec(timeAt(12), timeAt(13), "weekly", kFM800, kWeekdayBits[1]));
    EXPECT_EQ(planCalls(true, true), (Calls{cancel(1), cancel(2), wakeCall(timeAt(9, 55)),
                                            wakeCall(timeAt(11, 55)), cancel(2)}));
    EXPECT_EQ(planCalls(false, true), (Calls{cancel(1), cancel(2)}));
}

TEST_F(WakePlannerTest, NoShutdownWhenTheLatestEndHasPassed) {
    Add(makeRec(timeAt(7, 30), timeAt(8, 30), "ended, not yet marked"));
    EXPECT_EQ(planCalls(true, true), (Calls{cancel(1), cancel(2), cancel(2)}));
    EXPECT_FALSE(outcome.shutdownPlanned);
    EXPECT_FALSE(engine->list().latest());
}

// The instants of a run's wake calls, in order.
std::vector<double> wakeInstants(Calls const& calls) {
    std::vector<double> instants;
    for (std::string const& call : calls) {
        if (call.rfind("wake", 0) == 0) {
            instants.push_back(std::stod(call.substr(call.find(' ') + 1)));
        }
    }
    return instants;
}

TEST_F(WakePlannerTest, AnRtcThatReachesADayGetsRelaysEachWithinIt) {
    double const start = timeAt(9) + 3 * kDay; // Thursday 09:00
    // Every wake-up lands within a day of the one before (of now, for the first).
    auto expectChain = [](std::vector<double> const& wakes, double last) {
        ASSERT_GE(wakes.size(), 4u);
        EXPECT_EQ(wakes.back(), last);
        double previous = kMonday0900;
        for (double const wake : wakes) {
            EXPECT_GT(wake, previous);
            EXPECT_LE(wake - previous, kDay) << "a wake-up beyond what the RTC can hold";
            previous = wake;
        }
    };
    // The limit the check found.
    fx.settings.setInteger(kWakeAlarmLimitKey, 24);
    Add(makeRec(start, start + 3600.0, "in three days"));
    Add(makeRec(timeAt(12), timeAt(13), "today"));
    std::vector<double> wakes = wakeInstants(planCalls(true, false));
    expectChain(wakes, start - 300.0);
    EXPECT_EQ(wakes.front(), timeAt(11, 55)) << "today's own wake-up comes first";
    EXPECT_EQ(outcome.relays, static_cast<int>(wakes.size()) - 2);

    // Learned when the tool says the RTC cannot hold the earliest: planned again at once.
    list->clear();
    fx.settings.remove(kWakeAlarmLimitKey);
    Add(makeRec(start, start + 3600.0, "in three days"));
    fx.privileged.setAlarmNote([](std::string const& call) {
        double const at = std::stod(call.substr(call.find(' ') + 1));
        return at > kMonday0900 + kDay ? AlarmNote::OutOfRange : AlarmNote::None;
    });
    Calls const learning = planCalls(true, false);
    EXPECT_TRUE(outcome.alarmLimitFound);
    ASSERT_GE(learning.size(), 4u);
    EXPECT_EQ(learning[2], wakeCall(start - 300.0));
    EXPECT_EQ(learning[3], cancel(1));
    expectChain(wakeInstants(Calls(learning.begin() + 4, learning.end())), start - 300.0);
    wakes = wakeInstants(planCalls(true, false));
    EXPECT_FALSE(outcome.alarmLimitFound) << "known from then on";
    expectChain(wakes, start - 300.0);
    fx.privileged.setAlarmNote({});

    // The computer comes up at a relay: with shutdown on it goes off again soon, once the
    // program has planned; at any other time, only after the last reservation.
    fx.settings.setInteger(kWakeAlarmLimitKey, 24);
    list->clear();
    Add(makeRec(start, start + 3600.0, "in three days"));
    double const relay = wakeInstants(planCalls(true, true))[1];
    fx.clock.advanceTo(relay + 90.0);
    Calls const calls = planCalls(true, true);
    EXPECT_EQ(calls.back(), shutdownCall(relay + 600.0)) << testing::PrintToString(calls);
    EXPECT_TRUE(outcome.relayShutdown);
    EXPECT_EQ(outcome.shutdownAt, relay + 600.0) << "the warning comes for the earlier one";
    EXPECT_NE(std::find(calls.begin(), calls.end(), shutdownCall(start + 3635.0)), calls.end());
    fx.clock.advanceTo(relay + 3 * 3600.0);
    EXPECT_EQ(planCalls(true, true).back(), shutdownCall(start + 3635.0));
    EXPECT_FALSE(outcome.relayShutdown);
}

TEST_F(WakePlannerTest, AnRtcInLocalTimeAndAnotherProgramsAlarmAreTold) {
    Add(makeRec(timeAt(10), timeAt(11), "A"));
    fx.settings.setInteger(kWakeBeforeKey, 1);
    FakeJournal journal;
    WakePlanner::Services services;
    services.clock = &fx.clock;
    services.settings = &fx.settings;
    services.privileged = &fx.privileged;
    services.journal = &journal;
    WakePlanner planner(*list, services, {});
    // The RTC reads Japan's clock, and holds an alarm of someone else's for 12:00.
    planner.setRtcFacts([] {
        RtcFacts rtc;
        rtc.present = rtc.wakeAlarm = true;
        rtc.clock = static_cast<std::int64_t>(kMonday0900) + 9 * 3600;
        rtc.alarm = static_cast<std::int64_t>(timeAt(12)) + 9 * 3600;
        return rtc;
    });
    fx.privileged.setAlarmNote([](std::string const&) { return AlarmNote::ReplacedOther; });
    PlanRequest request;
    request.plan = true;
    PlanOutcome const planned = planner.plan(request);
    EXPECT_EQ(fx.privileged.calls(), (Calls{FakePrivilegedOps::cancelCall(1, true), cancel(2),
                                            FakePrivilegedOps::wakeCall(timeAt(9, 55), true)}));
    EXPECT_TRUE(planned.alarmReplaced);
    std::vector<JournalEntry> const told = journal.entries();
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.front().kind, JournalKind::AlarmReplaced);
    EXPECT_EQ(told.front().planned, timeAt(12));
    EXPECT_EQ(told.front().instants, std::vector<double>{timeAt(9, 55)});
}

TEST_F(WakePlannerTest, ATestWakeUpOutlivesEveryRunUntilItPasses) {
    Add(makeRec(timeAt(10), timeAt(11), "A"));
    double const test = kMonday0900 + 120.0;
    engine->planner().holdWakeUp(test);
    EXPECT_EQ(planCalls(true, false),
              (Calls{cancel(1), cancel(2), wakeCall(test), wakeCall(timeAt(9, 55))}));
    EXPECT_EQ(outcome.relays, 0);
    // Waking switched off: the run that cancels everything puts it back.
    fx.privileged.clear();
    PlanRequest off;
    off.cancelBothFirst = true;
    engine->planner().plan(off);
    EXPECT_EQ(fx.privileged.calls(), (Calls{cancel(1), cancel(2), wakeCall(test)}));
    fx.clock.advanceTo(test + 1.0);
    EXPECT_EQ(wakeInstants(planCalls(true, false)), std::vector<double>{timeAt(9, 55)});
}

TEST_F(WakePlannerTest, NextAndLatestAnswerOnTheEngineClock) {
    addOver();
    addDisabled();
    Add(makeRec(timeAt(9), timeAt(9, 30), "starts now"));
    // Only a disabled one lies ahead; a start equal to now is not ahead.
    EXPECT_FALSE(engine->nextStart());

    // The virtual clock says 2024, long before the real now: these lie ahead on it.
    Add(makeRec(timeAt(10), timeAt(11), "A"));
    Add(makeRec(timeAt(12), timeAt(13), "B"));
    EXPECT_EQ(engine->nextStart(), timeAt(10));
    ASSERT_TRUE(engine->list().latest());
    EXPECT_EQ(engine->list().latest()->end, timeAt(13));

    fx.clock.advanceTo(timeAt(10));
    EXPECT_EQ(engine->nextStart(), timeAt(12));
}

} // namespace
