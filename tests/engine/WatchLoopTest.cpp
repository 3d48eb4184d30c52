// One pass of the watch loop at a time, with the recording threads held back, so each test
// sees exactly what a pass did to the list.
#include "tests/engine/EngineTest.h"

#include <future>

namespace {

class WatchLoopTest : public EngineTest {};

TEST_F(WatchLoopTest, StartsOnlyStrictlyAfterTheMinuteBeforeTheStart) {
    double const start = kMonday0900 + 3600.0;
    int const id = Add(makeRec(start, start + 1800.0, "news"));

    fx.clock.advanceTo(start - 60.5);
    engine->watchPass();
    EXPECT_EQ(reservationById(id).state, 0u);

    // Exactly one minute before is not yet after it; the full precision of now counts.
    fx.clock.advanceTo(start - 60.0);
    engine->watchPass();
    EXPECT_EQ(reservationById(id).state, 0u);
    fx.clock.advanceTo(start - 60.0 + 0.001);
    engine->watchPass();
    EXPECT_EQ(reservationById(id).state, 1u);
    EXPECT_EQ(engine->launched(), std::vector<int>{id});

    // 59.5 s before: due in the first pass that looks.
    int const other = Add(makeRec(start + 1800.0, start + 2400.0, "next"));
    fx.clock.advanceTo(start + 1800.0 - 59.5);
    engine->watchPass();
    EXPECT_EQ(reservationById(other).state, 1u);
    EXPECT_EQ(engine->launched(), (std::vector<int>{id, other}));
}

// With a margin before, a reservation is due a minute before its early start; one that
// follows another on its station back to back a minute before its own start.
TEST_F(WatchLoopTest, MarginBeforeMakesItDueEarlierExceptAfterItsStation) {
    fx.settings.setInteger(kStartEarlyKey, 3);
    engine->refreshMargins();
    double const start = kMonday0900 + 3600.0;
    int const first = Add(makeRec(start, start + 1800.0, "first"));
    int const second = Add(makeRec(start + 1800.0, start + 3600.0, "second"));
    fx.clock.advanceTo(start - 240.0);
    engine->watchPass();
    EXPECT_EQ(reservationById(first).state, 0u);
    fx.clock.advanceTo(start - 240.0 + 0.001);
    engine->watchPass();
    EXPECT_EQ(reservationById(first).state, 1u);

    fx.clock.advanceTo(start + 1800.0 - 61.0);
    engine->watchPass();
    EXPECT_EQ(reservationById(second).state, 0u);
    fx.clock.advanceTo(start + 1800.0 - 59.0);
    engine->watchPass();
    EXPECT_EQ(reservationById(second).state, 1u);
}

TEST_F(WatchLoopTest, PastStartWithFutureEndStartsLate) {
    int const id = Add(makeRec(kMonday0900 - 600.0, kMonday0900 + 600.0, "late"));
    engine->watchPass();
    EXPECT_EQ(reservationById(id).state, 1u);
    EXPECT_EQ(reservationById(id).pending, 1);
    EXPECT_EQ(engine->launched(), std::vector<int>{id});
}

TEST_F(WatchLoopTest, EndEqualToTheWholeSecondIsNotOverOneBelowIs) {
    fx.clock.advanceTo(kMonday0900 + 0.75);
    int const over = Add(makeRec(kMonday0900 - 7200.0, kMonday0900 - 1.0, "ended"));
    int const atEdge = Add(makeRec(kMonday0900 - 3600.0, kMonday0900, "edge"));

    engine->watchPass();
    EXPECT_EQ(reservationById(over).pending, 0);
    EXPECT_EQ(reservationById(over).state, 0u);
    EXPECT_EQ(fx.listener.missed.load(), 1);
    // Not over, so it is due and starts late.
    EXPECT_EQ(reservationById(atEdge).pending, 1);
    EXPECT_EQ(reservationById(atEdge).state, 1u);
}

TEST_F(WatchLoopTest, ExpiryOnlyMarksTheRecordAndAsksForARedraw) {
    int const id = Add(makeRec(kMonday0900 - 7200.0, kMonday0900 - 3600.0, "missed"));
    Reservation expected = reservationById(id);
    expected.pending = 0;
    engine->watchPass();
    EXPECT_EQ(reservationById(id), expected);
    EXPECT_TRUE(engine->launched().empty());
    EXPECT_EQ(fx.listener.missed.load(), 1);
    // The file is left to the next save.
    EXPECT_FALSE(std::filesystem::exists(engine->reservationFilePath()));

    // Over stays over: later passes leave it alone.
    engine->watchPass();
    EXPECT_EQ(fx.listener.missed.load(), 1);
}

TEST_F(WatchLoopTest, RecordingOrDisabledReservationsAreNeverTouched) {
    Reservation recording = makeRec(kMonday0900 - 30.0, kMonday0900 + 600.0, "recording");
    recording.state = 1;
    Reservation stale = makeRec(kMonday0900 - 7200.0, kMonday0900 - 3600.0, "stale");
    stale.state = 1;
    Reservation off = makeRec(kMonday0900 + 10.0, kMonday0900 + 600.0, "off");
    off.enabled = 0;
    Add(recording);
    Add(stale);
    Add(off);
    auto const before = allReservations();

    for (int pass = 0; pass < 3; ++pass) {
        engine->watchPass();
        fx.clock.advance(1.0);
    }
    auto const after = allReservations();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i], before[i]);
        EXPECT_EQ(after[i].state, before[i].state);
    }
    EXPECT_TRUE(engine->launched().empty());
    EXPECT_EQ(fx.listener.missed.load(), 0);
}

TEST_F(WatchLoopTest, AtMostOneStartPerPass) {
    int const first = Add(makeRec(kMonday0900 - 120.0, kMonday0900 + 600.0, "first"));
    int const second = Add(makeRec(kMonday0900 + 30.0, kMonday0900 + 900.0, "second"));
    engine->watchPass();
    EXPECT_EQ(engine->launched(), std::vector<int>{first});
    EXPECT_EQ(reservationById(second).state, 0u);
    engine->watchPass();
    EXPECT_EQ(engine->launched(), (std::vector<int>{first, second}));
}

TEST_F(WatchLoopTest, WeeklyAndOnceOnlyOnTheSameMondayStart) {
    double const start = kMonday0900 + 3600.0; // Monday 10:00 JST
    int const weekly = Add(makeRec(start, start + 3600.0, "weekly", kFM800, kWeekdayBits[1]));
    int const once = Add(makeRec(start, start + 5400.0, "once"));
    fx.clock.advanceTo(start - 30.0);

    engine->watchPass();

    EXPECT_EQ(engine->launched(), std::vector<int>{once});
    EXPECT_EQ(reservationById(once).state, 1u);
    Reservation gone;
    EXPECT_FALSE(list->read(weekly, gone));

    // The weekly one comes back one week on, same clock times, waiting, under a new id.
    ASSERT_EQ(list->size(), 2);
    int const next = idOf("weekly");
    ASSERT_GE(next, 0);
    EXPECT_NE(next, weekly);
    EXPECT_NE(next, once);
    Reservation const rearmed = reservationById(next);
    EXPECT_EQ(rearmed.start, start + 7 * kDay);
    EXPECT_EQ(rearmed.end, start + 3600.0 + 7 * kDay);
    EXPECT_EQ(rearmed.state, 0u);
    EXPECT_EQ(rearmed.weekdays, kWeekdayBits[1]);
    EXPECT_EQ(rearmed.frequency, kFM800);
}

TEST_F(WatchLoopTest, AmongThreeWithOneStartTheLastInListOrderRecords) {
    double const start = kMonday0900 + 3600.0;
    Add(makeRec(start, start + 1800.0, "to 10:30"));
    int const longest = Add(makeRec(start, start + 3600.0, "to 11:00"));
    Add(makeRec(start, start + 2700.0, "to 10:45"));
    fx.clock.advanceTo(start - 59.0);

    engine->watchPass();

    EXPECT_EQ(engine->launched(), std::vector<int>{longest});
    EXPECT_EQ(titlesOf(), std::vector<std::string>{"to 11:00"});
    EXPECT_EQ(reservationById(longest).state, 1u);
}

TEST_F(WatchLoopTest, DisabledReservationBetweenTwoWithTheSameStartIsLeftAlone) {
    double const start = kMonday0900 + 3600.0;
    Add(makeRec(start, start + 1800.0, "first"));
    Reservation off = makeRec(start, start + 2400.0, "off");
    off.enabled = 0;
    int const offId = Add(off);
    int const last = Add(makeRec(start, start + 3000.0, "last"));
    Reservation const offBefore = reservationById(offId);
    fx.clock.advanceTo(start - 59.0);

    engine->watchPass();

    EXPECT_EQ(engine->launched(), std::vector<int>{last});
    EXPECT_EQ(titlesOf(), (std::vector<std::string>{"off", "last"}));
    EXPECT_EQ(reservationById(offId), offBefore);
    EXPECT_EQ(reservationById(offId).state, 0u);
}

TEST_F(WatchLoopTest, BusyEngineLockAbandonsThePassAndTheNextPassCatchesUp) {
    int const missed = Add(makeRec(kMonday0900 - 7200.0, kMonday0900 - 3600.0, "missed"));
    int const due = Add(makeRec(kMonday0900 + 30.0, kMonday0900 + 600.0, "due"));

    // A recording run holds the lock on a thread of its own.
    std::promise<void> held;
    std::promise<void> release;
    std::thread holder([&] {
        std::lock_guard lock(engine->engineLock());
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    engine->watchPass();
    EXPECT_EQ(reservationById(missed).pending, 1);
    EXPECT_EQ(reservationById(due).state, 0u);
    EXPECT_TRUE(engine->launched().empty());
    EXPECT_EQ(fx.listener.missed.load(), 0);
    release.set_value();
    holder.join();

    fx.clock.advance(1.0);
    engine->watchPass();
    EXPECT_EQ(reservationById(missed).pending, 0);
    EXPECT_EQ(reservationById(due).state, 1u);
    EXPECT_EQ(engine->launched(), std::vector<int>{due});
}

} // namespace
