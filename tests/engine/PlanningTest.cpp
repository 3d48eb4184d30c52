// Wake-up and shutdown planning: the exact privileged calls for each combination of the
// settings and the list. Now is Monday 09:00 JST.
#include "tests/engine/EngineTestFixture.h"

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
        EXPECT_TRUE(engine->ReSettingSchedule());
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
    Calls MixedWakes() {
        return {Wake(At(8, 25)), Wake(At(9, 55)), Wake(At(11, 55)), Wake(At(13, 55))};
    }
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
    EXPECT_EQ(Plan(true, true), (Calls{Cancel(1), Cancel(2), Wake(At(7, 25)), Cancel(2)}));
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
