// Wake-up and shutdown planning: the exact privileged calls for each combination of the
// settings and the list, what a failed call does to the rest of a run, and the planning
// thread. Now is Monday 09:00 JST.
#include "tests/engine/EngineTestFixture.h"

#include <condition_variable>

namespace {

using Calls = std::vector<std::string>;

std::string Cancel(int kind) {
    return FakePrivilegedOps::Cancel(kind);
}
std::string Wake(double instant) {
    return FakePrivilegedOps::Wake(instant);
}
std::string Shutdown(double instant) {
    return FakePrivilegedOps::Shutdown(instant);
}

double At(int hour, int minute = 0) {
    return kMonday0900 + (hour - 9) * 3600.0 + minute * 60.0;
}

class PlanningTest : public EngineTest {
protected:
    // useAcpi/shutdown: absent when off (or present as 0 when zeroPresent), 1 when on.
    Calls Plan(bool useAcpi, bool shutdown, bool zeroPresent = false) {
        Set(kDefaultsUseAcpi, useAcpi, zeroPresent);
        Set(kDefaultsShutdown, shutdown, zeroPresent);
        fx.privileged.clear();
        PlanRequest request;
        request.plan = true;
        outcome = engine->RunPlan(request);
        return fx.privileged.calls();
    }
    void Set(char const* key, bool on, bool zeroPresent) {
        if (on || zeroPresent) {
            fx.defaults.setInteger(key, on ? 1 : 0);
        } else {
            fx.defaults.remove(key);
        }
    }

    void AddOver() {
        SCHEDULEITEM_TAG over = MakeRec(At(6), At(7), "over");
        over.cPending = 0;
        Add(over);
    }
    void AddDisabled() {
        SCHEDULEITEM_TAG off = MakeRec(At(14), At(15), "disabled");
        off.cValid = 0;
        Add(off);
    }
    // Over, started late, two future ones and a disabled one.
    void AddMixedList() {
        AddOver();
        Add(MakeRec(At(8, 30), At(9, 30), "started late"));
        Add(MakeRec(At(10), At(11), "A"));
        Add(MakeRec(At(12), At(13), "B"));
        AddDisabled();
    }
    // The one that started late has its wake-up behind it: nothing to plan.
    Calls MixedWakes() { return {Wake(At(9, 55)), Wake(At(11, 55)), Wake(At(13, 55))}; }

    PlanOutcome outcome;
};

Calls Concat(std::initializer_list<Calls> parts) {
    Calls all;
    for (auto const& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(PlanningTest, TheSixCombinationsWithActiveReservations) {
    AddMixedList();
    EXPECT_EQ(Plan(false, false), Calls{});
    EXPECT_EQ(Plan(false, false, true), Calls{});
    EXPECT_EQ(Plan(false, true), (Calls{Cancel(1), Cancel(2), Shutdown(At(13) + 35.0)}));
    EXPECT_EQ(Plan(true, false), Concat({{Cancel(1), Cancel(2)}, MixedWakes()}));
    EXPECT_EQ(Plan(true, true),
              Concat({{Cancel(1), Cancel(2)}, MixedWakes(), {Cancel(2), Shutdown(At(13) + 35.0)}}));
    EXPECT_EQ(outcome.failure, PrivilegedFailure::None);
    EXPECT_EQ(outcome.wakeUps, 3);
    EXPECT_TRUE(outcome.shutdownPlanned);
    EXPECT_EQ(outcome.shutdownAt, At(13) + 35.0);
}

TEST_F(PlanningTest, OnlyTheEarliestWakeUpsStillAheadArePlanned) {
    // Added latest first, an hour apart, so neither list order nor ids give the answer.
    int const count = CRecEngine::kMaxPlannedWakeUps + 6;
    for (int i = count - 1; i >= 0; --i) {
        double const start = At(10) + i * 3600.0;
        Add(MakeRec(start, start + 1800.0, ("r" + std::to_string(i)).c_str()));
    }
    Add(MakeRec(At(9, 3), At(9, 30), "wake-up already behind"));
    Calls wanted{Cancel(1), Cancel(2)};
    for (int i = 0; i < CRecEngine::kMaxPlannedWakeUps; ++i) {
        wanted.push_back(Wake(At(9, 55) + i * 3600.0));
    }
    EXPECT_EQ(Plan(true, false), wanted);
    EXPECT_EQ(outcome.wakeUps, CRecEngine::kMaxPlannedWakeUps);
    EXPECT_EQ(outcome.wakeUpsLeftOut, 6);
}

TEST_F(PlanningTest, AFailureEndsTheRunOnlyWhereLaterCallsWouldFailToo) {
    Add(MakeRec(At(10), At(11), "A"));
    Add(MakeRec(At(12), At(13), "B"));
    struct Case {
        std::string failing; // the first call that fails, and every later one of its kind
        PrivilegedFailure failure;
        Calls calls;
        int wakeUps;
        bool shutdownPlanned;
    };
    Case const cases[] = {
        {Cancel(1), PrivilegedFailure::NotAuthorized, {Cancel(1)}, 0, false},
        {Cancel(1), PrivilegedFailure::NoSystemd, {Cancel(1)}, 0, false},
        {"wake", PrivilegedFailure::TimedOut, {Cancel(1), Cancel(2), Wake(At(9, 55))}, 0, false},
        // No wake-up can work, but the shutdown still can.
        {"wake",
         PrivilegedFailure::NotWakeable,
         {Cancel(1), Cancel(2), Wake(At(9, 55)), Cancel(2), Shutdown(At(13) + 35.0)},
         0,
         true},
        // One tool run that failed says nothing about the next.
        {Wake(At(9, 55)),
         PrivilegedFailure::ToolFailed,
         {Cancel(1), Cancel(2), Wake(At(9, 55)), Wake(At(11, 55)), Cancel(2),
          Shutdown(At(13) + 35.0)},
         1,
         true},
        {"shutdown",
         PrivilegedFailure::Unavailable,
         {Cancel(1), Cancel(2), Wake(At(9, 55)), Wake(At(11, 55)), Cancel(2),
          Shutdown(At(13) + 35.0)},
         2,
         false},
    };
    for (auto const& c : cases) {
        fx.privileged.setAnswer([&c](std::string const& call) {
            return call.rfind(c.failing, 0) == 0 ? c.failure : PrivilegedFailure::None;
        });
        EXPECT_EQ(Plan(true, true), c.calls) << c.failing;
        EXPECT_EQ(outcome.failure, c.failure) << c.failing;
        EXPECT_EQ(outcome.wakeUps, c.wakeUps) << c.failing;
        EXPECT_EQ(outcome.shutdownPlanned, c.shutdownPlanned) << c.failing;
    }
}

// Holds the first privileged call of a run until the test lets it go.
class Gate {
public:
    PrivilegedFailure Pass() {
        std::unique_lock lock(m_mutex);
        ++m_arrived;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        return PrivilegedFailure::None;
    }
    bool WaitArrived(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return m_arrived >= count; });
    }
    void Open() {
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

TEST_F(PlanningTest, RequestsDuringARunFoldIntoOneMoreRunAfterIt) {
    Add(MakeRec(At(10), At(11), "A"));
    fx.defaults.setInteger(kDefaultsUseAcpi, 1);
    Gate gate;
    fx.privileged.setAnswer([&gate](std::string const&) { return gate.Pass(); });

    EXPECT_TRUE(engine->ReSettingSchedule()); // returns while the run waits at the gate
    ASSERT_TRUE(gate.WaitArrived(1));
    engine->ReSettingSchedule();
    engine->ReSettingScheduleAfterSettings();
    engine->ReSettingSchedule();
    gate.Open();
    ASSERT_TRUE(engine->WaitForPlanning());

    EXPECT_EQ(engine->outcomes().size(), 2u);
    EXPECT_EQ(fx.privileged.calls(), (Calls{Cancel(1), Cancel(2), Wake(At(9, 55)), // the first run
                                            Cancel(1), Cancel(2), // the settings' own cancels
                                            Cancel(1), Cancel(2), Wake(At(9, 55))}));
}

TEST_F(PlanningTest, StoppingAbandonsTheRestOfTheRunUnderWay) {
    Add(MakeRec(At(10), At(11), "A"));
    Add(MakeRec(At(12), At(13), "B"));
    fx.defaults.setInteger(kDefaultsUseAcpi, 1);
    Gate gate;
    fx.privileged.setAnswer([&gate](std::string const&) { return gate.Pass(); });
    engine->ReSettingSchedule();
    ASSERT_TRUE(gate.WaitArrived(1));
    std::thread stopper([this] { engine->StopPlanning(); });
    // The stop waits for the call under way, then no other call is made.
    ASSERT_TRUE(WaitFor([this] { return engine->PlanningStopped(); }));
    EXPECT_TRUE(engine->outcomes().empty());
    gate.Open();
    stopper.join();
    EXPECT_EQ(fx.privileged.calls(), Calls{Cancel(1)});
    ASSERT_EQ(engine->outcomes().size(), 1u);
    EXPECT_TRUE(engine->outcomes().front().abandoned);
    engine->ReSettingSchedule(); // ignored from now on
    EXPECT_TRUE(engine->WaitForPlanning());
    EXPECT_EQ(fx.privileged.calls().size(), 1u);
}

TEST_F(PlanningTest, WithoutActiveReservationsAStaleShutdownIsCancelled) {
    AddOver();
    AddDisabled();
    // A shutdown planned for reservations since deleted would otherwise still power off.
    EXPECT_EQ(Plan(false, true), Calls{Cancel(2)});
    EXPECT_EQ(Plan(true, true), (Calls{Cancel(1), Cancel(2), Wake(At(13, 55))}));
    EXPECT_EQ(Plan(false, false), Calls{});

    // An empty list is the same case.
    list->Initialize();
    EXPECT_EQ(Plan(false, true), Calls{Cancel(2)});
    EXPECT_EQ(Plan(true, true), (Calls{Cancel(1), Cancel(2)}));
}

TEST_F(PlanningTest, WakeLeadComesFromRestoreTime) {
    double const start = At(9) + kDay; // Tuesday 09:00
    Add(MakeRec(start, start + 3600.0, "tomorrow"));
    struct Case {
        std::optional<long> restore;
        double wake;
    };
    Case const cases[] = {
        {std::nullopt, start - 300.0}, {0, start}, {10, start - 600.0}, {-3, start + 180.0}};
    for (auto const& c : cases) {
        if (c.restore) {
            fx.defaults.setInteger(kDefaultsRestoreTime, *c.restore);
        } else {
            fx.defaults.remove(kDefaultsRestoreTime);
        }
        EXPECT_EQ(Plan(true, false), (Calls{Cancel(1), Cancel(2), Wake(c.wake)}))
            << (c.restore ? *c.restore : -999);
    }
}

TEST_F(PlanningTest, ActiveWeeklyReservationPreventsTheShutdown) {
    Add(MakeRec(At(10), At(11), "once"));
    Add(MakeRec(At(12), At(13), "weekly", kFM800, kWeeklyKeys[1]));
    EXPECT_EQ(Plan(true, true),
              (Calls{Cancel(1), Cancel(2), Wake(At(9, 55)), Wake(At(11, 55)), Cancel(2)}));
    EXPECT_EQ(Plan(false, true), (Calls{Cancel(1), Cancel(2)}));
}

TEST_F(PlanningTest, NoShutdownWhenTheLatestEndHasPassed) {
    Add(MakeRec(At(7, 30), At(8, 30), "ended, not yet marked"));
    EXPECT_EQ(Plan(true, true), (Calls{Cancel(1), Cancel(2), Cancel(2)}));
    EXPECT_FALSE(outcome.shutdownPlanned);
    double latest = -1.0;
    EXPECT_FALSE(engine->GetScheduleLatestDateTime(&latest));
    EXPECT_EQ(latest, -1.0);
}

TEST_F(PlanningTest, NextAndLatestAnswerOnTheEngineClock) {
    AddOver();
    AddDisabled();
    Add(MakeRec(At(9), At(9, 30), "starts now"));
    double next = -1.0;
    // Only a disabled one lies ahead; a start equal to now is not ahead.
    EXPECT_FALSE(engine->GetScheduleNearDateTime(&next));
    EXPECT_EQ(next, -1.0);

    // The virtual clock says 2024, long before the real now: these lie ahead on it.
    Add(MakeRec(At(10), At(11), "A"));
    Add(MakeRec(At(12), At(13), "B"));
    EXPECT_TRUE(engine->GetScheduleNearDateTime(&next));
    EXPECT_EQ(next, At(10));
    double latest = -1.0;
    EXPECT_TRUE(engine->GetScheduleLatestDateTime(&latest));
    EXPECT_EQ(latest, At(13));

    fx.clock.advanceTo(At(10));
    EXPECT_TRUE(engine->GetScheduleNearDateTime(&next));
    EXPECT_EQ(next, At(12));
}

} // namespace
