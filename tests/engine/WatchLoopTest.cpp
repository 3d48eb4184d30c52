// One pass of the watch loop at a time, with the recording threads held back, so each test
// sees exactly what a pass did to the list.
#include "tests/engine/EngineTestFixture.h"

#include <future>

namespace {

class WatchLoopTest : public EngineTest {};

TEST_F(WatchLoopTest, StartsOnlyStrictlyAfterTheMinuteBeforeTheStart) {
    double const start = kMonday0900 + 3600.0;
    int const id = Add(MakeRec(start, start + 1800.0, "news"));

    fx.clock.advanceTo(start - 60.5);
    engine->WatchPass();
    EXPECT_EQ(Get(id).uState, 0u);

    // Exactly one minute before is not yet after it; the full precision of now counts.
    fx.clock.advanceTo(start - 60.0);
    engine->WatchPass();
    EXPECT_EQ(Get(id).uState, 0u);
    fx.clock.advanceTo(start - 60.0 + 0.001);
    engine->WatchPass();
    EXPECT_EQ(Get(id).uState, 1u);
    EXPECT_EQ(engine->launched(), std::vector<int>{id});

    // 59.5 s before: due in the first pass that looks.
    int const other = Add(MakeRec(start + 1800.0, start + 2400.0, "next"));
    fx.clock.advanceTo(start + 1800.0 - 59.5);
    engine->WatchPass();
    EXPECT_EQ(Get(other).uState, 1u);
    EXPECT_EQ(engine->launched(), (std::vector<int>{id, other}));
}

TEST_F(WatchLoopTest, PastStartWithFutureEndStartsLate) {
    int const id = Add(MakeRec(kMonday0900 - 600.0, kMonday0900 + 600.0, "late"));
    engine->WatchPass();
    EXPECT_EQ(Get(id).uState, 1u);
    EXPECT_EQ(Get(id).cPending, 1);
    EXPECT_EQ(engine->launched(), std::vector<int>{id});
}

TEST_F(WatchLoopTest, EndEqualToTheWholeSecondIsNotOverOneBelowIs) {
    fx.clock.advanceTo(kMonday0900 + 0.75);
    int const over = Add(MakeRec(kMonday0900 - 7200.0, kMonday0900 - 1.0, "ended"));
    int const atEdge = Add(MakeRec(kMonday0900 - 3600.0, kMonday0900, "edge"));

    engine->WatchPass();
    EXPECT_EQ(Get(over).cPending, 0);
    EXPECT_EQ(Get(over).uState, 0u);
    EXPECT_EQ(fx.mainThread.displayTheTable.load(), 1);
    // Not over, so it is due and starts late.
    EXPECT_EQ(Get(atEdge).cPending, 1);
    EXPECT_EQ(Get(atEdge).uState, 1u);
}

TEST_F(WatchLoopTest, ExpiryOnlyMarksTheRecordAndAsksForARedraw) {
    int const id = Add(MakeRec(kMonday0900 - 7200.0, kMonday0900 - 3600.0, "missed"));
    SCHEDULEITEM_TAG expected = Get(id);
    expected.cPending = 0;
    engine->WatchPass();
    EXPECT_EQ(Get(id), expected);
    EXPECT_TRUE(engine->launched().empty());
    EXPECT_EQ(fx.mainThread.displayTheTable.load(), 1);
    // The file is left to the next save.
    EXPECT_FALSE(std::filesystem::exists(engine->ReservationFilePath()));

    // Over stays over: later passes leave it alone.
    engine->WatchPass();
    EXPECT_EQ(fx.mainThread.displayTheTable.load(), 1);
}

TEST_F(WatchLoopTest, RecordingOrDisabledReservationsAreNeverTouched) {
    SCHEDULEITEM_TAG recording = MakeRec(kMonday0900 - 30.0, kMonday0900 + 600.0, "recording");
    recording.uState = 1;
    SCHEDULEITEM_TAG stale = MakeRec(kMonday0900 - 7200.0, kMonday0900 - 3600.0, "stale");
    stale.uState = 1;
    SCHEDULEITEM_TAG off = MakeRec(kMonday0900 + 10.0, kMonday0900 + 600.0, "off");
    off.cValid = 0;
    Add(recording);
    Add(stale);
    Add(off);
    auto const before = All();

    for (int pass = 0; pass < 3; ++pass) {
        engine->WatchPass();
        fx.clock.advance(1.0);
    }
    auto const after = All();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i], before[i]);
        EXPECT_EQ(after[i].uState, before[i].uState);
    }
    EXPECT_TRUE(engine->launched().empty());
    EXPECT_EQ(fx.mainThread.displayTheTable.load(), 0);
}

TEST_F(WatchLoopTest, AtMostOneStartPerPass) {
    int const first = Add(MakeRec(kMonday0900 - 120.0, kMonday0900 + 600.0, "first"));
    int const second = Add(MakeRec(kMonday0900 + 30.0, kMonday0900 + 900.0, "second"));
    engine->WatchPass();
    EXPECT_EQ(engine->launched(), std::vector<int>{first});
    EXPECT_EQ(Get(second).uState, 0u);
    engine->WatchPass();
    EXPECT_EQ(engine->launched(), (std::vector<int>{first, second}));
}

TEST_F(WatchLoopTest, WeeklyAndOnceOnlyOnTheSameMondayStart) {
    double const start = kMonday0900 + 3600.0; // Monday 10:00 JST
    int const weekly = Add(MakeRec(start, start + 3600.0, "weekly", kFM800, kWeeklyKeys[1]));
    int const once = Add(MakeRec(start, start + 5400.0, "once"));
    fx.clock.advanceTo(start - 30.0);

    engine->WatchPass();

    EXPECT_EQ(engine->launched(), std::vector<int>{once});
    EXPECT_EQ(Get(once).uState, 1u);
    SCHEDULEITEM_TAG gone;
    EXPECT_FALSE(list->readSchedule(weekly, &gone));

    // The weekly one comes back one week on, same clock times, waiting, under a new id.
    ASSERT_EQ(list->m_nCount.load(), 2);
    int const next = IdOf("weekly");
    ASSERT_GE(next, 0);
    EXPECT_NE(next, weekly);
    EXPECT_NE(next, once);
    SCHEDULEITEM_TAG const rearmed = Get(next);
    EXPECT_EQ(rearmed.dStartTime, start + 7 * kDay);
    EXPECT_EQ(rearmed.dEndTime, start + 3600.0 + 7 * kDay);
    EXPECT_EQ(rearmed.uState, 0u);
    EXPECT_EQ(rearmed.uWeek, kWeeklyKeys[1]);
    EXPECT_EQ(rearmed.uFreq, kFM800);
}

TEST_F(WatchLoopTest, AmongThreeWithOneStartTheLastInListOrderRecords) {
    double const start = kMonday0900 + 3600.0;
    Add(MakeRec(start, start + 1800.0, "to 10:30"));
    int const longest = Add(MakeRec(start, start + 3600.0, "to 11:00"));
    Add(MakeRec(start, start + 2700.0, "to 10:45"));
    fx.clock.advanceTo(start - 59.0);

    engine->WatchPass();

    EXPECT_EQ(engine->launched(), std::vector<int>{longest});
    EXPECT_EQ(Titles(), std::vector<std::string>{"to 11:00"});
    EXPECT_EQ(Get(longest).uState, 1u);
}

TEST_F(WatchLoopTest, DisabledReservationBetweenTwoWithTheSameStartIsLeftAlone) {
    double const start = kMonday0900 + 3600.0;
    Add(MakeRec(start, start + 1800.0, "first"));
    SCHEDULEITEM_TAG off = MakeRec(start, start + 2400.0, "off");
    off.cValid = 0;
    int const offId = Add(off);
    int const last = Add(MakeRec(start, start + 3000.0, "last"));
    SCHEDULEITEM_TAG const offBefore = Get(offId);
    fx.clock.advanceTo(start - 59.0);

    engine->WatchPass();

    EXPECT_EQ(engine->launched(), std::vector<int>{last});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"off", "last"}));
    EXPECT_EQ(Get(offId), offBefore);
    EXPECT_EQ(Get(offId).uState, 0u);
}

TEST_F(WatchLoopTest, BusyEngineLockAbandonsThePassAndTheNextPassCatchesUp) {
    int const missed = Add(MakeRec(kMonday0900 - 7200.0, kMonday0900 - 3600.0, "missed"));
    int const due = Add(MakeRec(kMonday0900 + 30.0, kMonday0900 + 600.0, "due"));

    // A recording run holds the lock on a thread of its own.
    std::promise<void> held;
    std::promise<void> release;
    std::thread holder([&] {
        std::lock_guard lock(engine->m_RecLock);
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    engine->WatchPass();
    EXPECT_EQ(Get(missed).cPending, 1);
    EXPECT_EQ(Get(due).uState, 0u);
    EXPECT_TRUE(engine->launched().empty());
    EXPECT_EQ(fx.mainThread.displayTheTable.load(), 0);
    release.set_value();
    holder.join();

    fx.clock.advance(1.0);
    engine->WatchPass();
    EXPECT_EQ(Get(missed).cPending, 0);
    EXPECT_EQ(Get(due).uState, 1u);
    EXPECT_EQ(engine->launched(), std::vector<int>{due});
}

} // namespace
