// The recording run, called directly. Sleeps move virtual time at once (auto-advance), except
// in the test that watches a run wait for its start.
#include "tests/engine/EngineTest.h"

#include "engine/CompanionReports.h"
#include "store/ReservationRecord.h"

#include <filesystem>
#include <future>
#include <variant>

namespace {

class RecordingRunTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        fx.clock.setAutoAdvance(true);
    }

    // A reservation that the watch loop has just handed over: starts in 59 seconds.
    int addDue(char const* title, uint32_t freq = kFM800, uint32_t week = 0) {
        double const start = fx.clock.now() + 59.0;
        return Add(makeRec(start, start + 1800.0, title, freq, week));
    }

    FakeCompanionBus::Post onlyPost() {
        auto const posts = fx.bus.posts();
        EXPECT_EQ(posts.size(), 1u);
        return posts.empty() ? FakeCompanionBus::Post{} : posts.front();
    }
};

template <typename T> T as(FakeCompanionBus::Post const& post, char const* key) {
    auto const value = post.value(key);
    EXPECT_TRUE(value.has_value()) << key;
    EXPECT_TRUE(value && std::holds_alternative<T>(*value)) << key << " has the wrong type";
    return value && std::holds_alternative<T>(*value) ? std::get<T>(*value) : T{};
}

TEST_F(RecordingRunTest, MessageCarriesTheSixEntriesInOrderWithTheirTypes) {
    int const id = addDue("Morning FM");
    Reservation const rec = reservationById(id);
    engine->runRecording(id);

    auto const post = onlyPost();
    EXPECT_EQ(post.name, "Schedule_Notification_SendMessage");
    EXPECT_EQ(post.object, std::optional<std::string>("message"));
    std::vector<std::string> keys;
    for (auto const& entry : post.values) {
        keys.push_back(entry.first);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"CH", "BAND", "RecStartTime", "RecEndTime", "Title",
                                              "AppTerminate"}));
    EXPECT_EQ(as<int32_t>(post, "CH"), 8000);
    EXPECT_EQ(as<std::string>(post, "BAND"), "FM");
    EXPECT_EQ(as<double>(post, "RecStartTime"), rec.start);
    EXPECT_EQ(as<double>(post, "RecEndTime"), rec.end);
    EXPECT_EQ(as<std::string>(post, "Title"), "Morning FM");
    EXPECT_EQ(as<bool>(post, "AppTerminate"), false);
}

TEST_F(RecordingRunTest, ChannelIsTheLow16BitsAndAnyBandByteMeansFM) {
    struct Case {
        uint32_t freq;
        int32_t channel;
        char const* band;
    };
    Case const cases[] = {
        {kAM594, 594, "AM"},
        {kFM800, 8000, "FM"},
        {0x02000000u | 7650u, 7650, "FM"},
        {0x00050000u | 1000u, 1000, "AM"}, // bits 16-23 are not part of the channel
        {0xFF00FFFFu, 0xFFFF, "FM"},
    };
    for (auto const& c : cases) {
        int const id = addDue(("freq " + std::to_string(c.freq)).c_str(), c.freq);
        engine->runRecording(id);
        auto const posts = fx.bus.posts();
        ASSERT_FALSE(posts.empty());
        EXPECT_EQ(as<int32_t>(posts.back(), "CH"), c.channel) << c.freq;
        EXPECT_EQ(as<std::string>(posts.back(), "BAND"), c.band) << c.freq;
        // A companion's report echoing the message names the same station for the history.
        CompanionReport echoed;
        echoed.band = c.band;
        echoed.ch = c.channel;
        JournalEntry const entry = journalEntryOf(echoed, 0.0);
        EXPECT_EQ(entry.freq & 0xFFFFu, c.freq & 0xFFFFu) << c.freq;
        EXPECT_EQ((entry.freq >> 24) != 0, (c.freq >> 24) != 0) << c.freq;
    }
}

TEST_F(RecordingRunTest, TitleIsPassedAsUtf8AndNeverReadPastItsField) {
    double const now = fx.clock.now();
    std::string const japanese = "ラジオ深夜便 — Ö";
    Reservation text = makeRec(now + 59.0, now + 300.0, japanese.c_str());
    // Damaged records: 256 text bytes and no terminator; bytes that are not UTF-8.
    Reservation full = makeRec(now + 600.0, now + 900.0, "");
    std::memset(full.title, 'x', sizeof full.title);
    Reservation broken = makeRec(now + 1200.0, now + 1500.0, "");
    std::memcpy(broken.title, "ok\xFF\xC3(\xE3\x81", 7);
    CheckResult result;
    for (Reservation* rec : {&text, &full, &broken}) {
        ASSERT_TRUE(list->add(*rec, result, 1));
    }
    std::vector<int> ids;
    for (auto const& rec : allReservations()) {
        ids.push_back(rec.id);
    }
    ASSERT_EQ(ids.size(), 3u);
    for (int id : ids) {
        engine->runRecording(id);
    }

    auto const posts = fx.bus.posts();
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(as<std::string>(posts[0], "Title"), japanese);
    EXPECT_EQ(as<std::string>(posts[1], "Title"), std::string(256, 'x'));
    EXPECT_EQ(as<std::string>(posts[2], "Title"), "ok\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD");
}

TEST_F(RecordingRunTest, AppTerminateFollowsExitAfterRecordReadAtTheRun) {
    // Absent: false, and the value is not even read.
    engine->runRecording(addDue("absent"));
    // Only this key's reads: the planning thread the run wakes reads its own keys meanwhile.
    std::vector<std::string> reads;
    for (std::string const& read : fx.settings.reads()) {
        if (read.find(kQuitCompanionKey) != std::string::npos) {
            reads.push_back(read);
        }
    }
    EXPECT_EQ(reads, std::vector<std::string>{"contains EXITAFTERRECORD"});

    fx.settings.setInteger(kQuitCompanionKey, 1);
    engine->runRecording(addDue("on"));
    fx.settings.setInteger(kQuitCompanionKey, 0);
    engine->runRecording(addDue("off"));

    auto const posts = fx.bus.posts();
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_FALSE(as<bool>(posts[0], "AppTerminate"));
    EXPECT_TRUE(as<bool>(posts[1], "AppTerminate"));
    EXPECT_FALSE(as<bool>(posts[2], "AppTerminate"));
}

// Margins of 2 minutes before and 5 after, read at the run: A and B back to back on one
// station record as one span; C, on another station right after B, gets both margins.
TEST_F(RecordingRunTest, MarginsWidenTheMessageExceptBetweenBackToBackOnOneStation) {
    fx.settings.setInteger(kStartEarlyKey, 2);
    fx.settings.setInteger(kEndLateKey, 5);
    double const s = fx.clock.now() + 600.0;
    int const a = Add(makeRec(s, s + 1800.0, "A"));
    int const b = Add(makeRec(s + 1800.0, s + 3600.0, "B"));
    int const c = Add(makeRec(s + 3600.0, s + 5400.0, "C", 0x01000000 + 9160));
    struct Expected {
        int id;
        double start;
        double end;
    } const expected[] = {
        {a, s - 120.0, s + 1800.0},          // B goes on from its end
        {b, s + 1800.0, s + 3600.0 + 300.0}, // A, handed over, ended at its start
        {c, s + 3600.0 - 120.0, s + 5400.0 + 300.0},
    };
    for (Expected const& e : expected) {
        engine->runRecording(e.id);
        auto const post = fx.bus.posts().back();
        EXPECT_EQ(as<double>(post, "RecStartTime"), e.start) << e.id;
        EXPECT_EQ(as<double>(post, "RecEndTime"), e.end) << e.id;
        // Handed over 49 to 55 s before the early start.
        EXPECT_GE(e.start - post.at, 49.0) << e.id;
        EXPECT_LE(e.start - post.at, 55.0) << e.id;
    }
    EXPECT_EQ(as<int32_t>(fx.bus.posts().back(), "CH"), 9160); // FM 91.6, wide FM
    // The computer stays awake, and the shutdown waits, to the last late end.
    EXPECT_EQ(engine->recordingUntil(), s + 5700.0);
    EXPECT_EQ(engine->planner().handedOverEnd(), s + 5700.0);
}

TEST_F(RecordingRunTest, OnceOnlyReservationLeavesTheListAndTheFile) {
    int const id = addDue("once");
    Add(makeRec(kMonday0900 + 7200.0, kMonday0900 + 9000.0, "stays"));
    engine->runRecording(id);

    EXPECT_EQ(titlesOf(), std::vector<std::string>{"stays"});
    EXPECT_EQ(fx.listener.handedOver.load(), 1);
    std::string const path = engine->reservationFilePath();
    EXPECT_EQ(path, fx.location.dataFolder() + "/.ResvInfo.dat");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), ReservationRecord::kSize);
    ReservationList reloaded;
    ASSERT_TRUE(ReservationFile(path).load(reloaded));
    Reservation rec;
    ASSERT_TRUE(reloaded.readAt(0, rec));
    EXPECT_STREQ(rec.title, "stays");
}

TEST_F(RecordingRunTest, WeeklyMondayWednesdayMovesToWednesdayUnderANewIdAndIsPlanned) {
    fx.settings.setInteger(kWakeBeforeKey, 1);
    uint32_t const monWed = kWeekdayBits[1] | kWeekdayBits[3];
    int const id = addDue("weekly", kFM800, monWed); // Monday 09:00:59 JST
    Reservation const before = reservationById(id);
    engine->runRecording(id);
    // The hand-off plans the next occurrence's wake-up by itself.
    ASSERT_TRUE(engine->waitForPlanning());
    EXPECT_EQ(fx.privileged.calls(),
              (std::vector<std::string>{
                  FakePrivilegedOps::cancelCall(1), FakePrivilegedOps::cancelCall(2),
                  FakePrivilegedOps::wakeCall(before.start + 2 * kDay - 300.0)}));

    auto const all = allReservations();
    ASSERT_EQ(all.size(), 1u);
    Reservation const next = all.front();
    EXPECT_NE(next.id, id);
    EXPECT_EQ(next.start, before.start + 2 * kDay);
    EXPECT_EQ(next.end, before.end + 2 * kDay);
    EXPECT_EQ(calendar.dayOfWeek(next.start), 3);
    EXPECT_EQ(next.state, 0u);
    EXPECT_EQ(next.weekdays, monWed);
    EXPECT_EQ(next.frequency, before.frequency);
    EXPECT_STREQ(next.title, "weekly");
    // The file holds the next occurrence.
    ReservationList reloaded;
    ASSERT_TRUE(ReservationFile(engine->reservationFilePath()).load(reloaded));
    EXPECT_EQ(reloaded.size(), 1);
}

TEST_F(RecordingRunTest, CompanionAlreadyRunningGetsTheMessageFiveSecondsLater) {
    int const id = addDue("running");
    double const t0 = fx.clock.now();
    engine->runRecording(id);

    auto const calls = fx.launcher.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, "open");
    EXPECT_EQ(calls[0].arg, fx.location.dataFolder() + "/Velto.app");
    EXPECT_EQ(onlyPost().at, t0 + 5.0);
}

TEST_F(RecordingRunTest, CompanionStartedByNameIsOpenedOnTheNextAttempt) {
    fx.launcher.scriptOpen({false, true}, true);
    int const id = addDue("second try");
    double const t0 = fx.clock.now();
    engine->runRecording(id);

    auto const calls = fx.launcher.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].op, "open");
    EXPECT_EQ(calls[1].op, "launch");
    EXPECT_EQ(calls[1].arg, "Velto");
    EXPECT_EQ(calls[2].op, "open");
    EXPECT_EQ(calls[2].at, t0 + 1.0);
    EXPECT_EQ(onlyPost().at, t0 + 6.0);
}

TEST_F(RecordingRunTest, MissingCompanionGivesUpAfterFiveSecondsAndStillSettles) {
    fx.launcher.scriptOpen({}, false);
    int const id = addDue("nobody home");
    double const t0 = fx.clock.now();
    engine->runRecording(id);

    auto const calls = fx.launcher.calls();
    int opens = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].op == "open") {
            ++opens;
            ASSERT_LT(i + 1, calls.size());
            EXPECT_EQ(calls[i + 1].op, "launch");
            EXPECT_LT(calls[i].at - t0, 5.0);
        }
    }
    EXPECT_EQ(opens, 5);
    double const took = onlyPost().at - t0;
    EXPECT_GE(took, 10.0);
    EXPECT_LE(took, 11.0);
    EXPECT_TRUE(allReservations().empty());
    EXPECT_EQ(fx.listener.handedOver.load(), 1);
}

TEST_F(RecordingRunTest, UnknownIdDoesNothingAtAll) {
    Add(makeRec(kMonday0900 + 30.0, kMonday0900 + 600.0, "other"));
    int const sleepsBefore = fx.clock.sleepCalls();
    engine->runRecording(4242);
    EXPECT_TRUE(fx.bus.posts().empty());
    EXPECT_TRUE(fx.launcher.calls().empty());
    EXPECT_TRUE(fx.settings.reads().empty());
    EXPECT_EQ(fx.clock.sleepCalls(), sleepsBefore);
    EXPECT_EQ(fx.listener.handedOver.load(), 0);
    EXPECT_FALSE(std::filesystem::exists(engine->reservationFilePath()));
    EXPECT_EQ(titlesOf(), std::vector<std::string>{"other"});
}

TEST_F(RecordingRunTest, RunForALaterStartWaitsWithoutTheEngineLock) {
    fx.clock.setAutoAdvance(false);
    double const start = kMonday0900 + 600.0;
    int const id = Add(makeRec(start, start + 1800.0, "in ten minutes"));

    std::thread run([&] { engine->runRecording(id); });
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    fx.clock.advanceTo(start - 61.0);
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    EXPECT_TRUE(fx.launcher.calls().empty());
    ASSERT_TRUE(engine->engineLock().try_lock()) << "the waiting run holds the engine lock";
    engine->engineLock().unlock();

    // At the minute before the start it addresses the companion and holds the lock.
    fx.clock.advanceTo(start - 60.0);
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    auto const calls = fx.launcher.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].at, start - 60.0);
    EXPECT_FALSE(engine->engineLock().try_lock());

    fx.clock.advance(5.0);
    run.join();
    EXPECT_EQ(onlyPost().at, start - 55.0);
    EXPECT_TRUE(allReservations().empty());
}

TEST_F(RecordingRunTest, ANewReservationThatReusedTheIdSurvivesTheHandOff) {
    fx.clock.setAutoAdvance(false);
    double const start = kMonday0900 + 59.0;
    Reservation handed = makeRec(start, start + 600.0, "handed over");
    handed.state = 1;
    int const id = Add(handed);
    Add(makeRec(start + 3600.0, start + 4200.0, "other"));

    std::thread run([&] { engine->runRecording(id); });
    ASSERT_TRUE(fx.clock.waitForSleepers(1)); // holding the lock through its five seconds
    // Meanwhile the user deletes it and adds another, which takes the freed id.
    ASSERT_TRUE(list->remove(id));
    EXPECT_EQ(Add(makeRec(start + 7200.0, start + 7800.0, "new")), id);
    fx.clock.advance(5.0);
    run.join();

    EXPECT_EQ(fx.bus.posts().size(), 1u);
    EXPECT_EQ(titlesOf(), (std::vector<std::string>{"other", "new"}));

    // Edited during its hand-off from a copy the dialog took before the watch loop marked
    // it (uState 0): it still leaves with the hand-off, and is not handed over again.
    Reservation again = makeRec(start + 10000.0, start + 10600.0, "again");
    int const againId = Add(again);
    Reservation changed = reservationById(againId);
    fx.clock.advanceTo(start + 10000.0 - 59.0);
    engine->watchPass();
    ASSERT_EQ(engine->launched(), std::vector<int>{againId});
    std::thread second([&] { engine->runRecording(againId); });
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    std::strcpy(changed.title, "again, renamed");
    CheckResult result;
    ASSERT_TRUE(list->update(changed, result));
    fx.clock.advance(5.0);
    second.join();
    EXPECT_EQ(titlesOf(), (std::vector<std::string>{"other", "new"}));
    engine->watchPass();
    EXPECT_EQ(engine->launched().size(), 1u);
    EXPECT_EQ(fx.bus.posts().size(), 2u);
}

TEST_F(RecordingRunTest, WeeklyRearmSteps) {
    struct Case {
        char const* what;
        double start;
        uint32_t week;
        double expectedDays;
    };
    double const saturday = kMonday0900 + 5 * kDay;
    double const monday0800 = kMonday0900 - 3600.0; // Sunday 23:00 in UTC
    Case const cases[] = {
        {"Monday only, from Monday", kMonday0900, kWeekdayBits[1], 7},
        {"Monday and Wednesday, from Monday", kMonday0900, kWeekdayBits[1] | kWeekdayBits[3], 2},
        {"weekend, from Saturday", saturday, kWeekdayBits[0] | kWeekdayBits[6], 1},
        {"every day", kMonday0900, 0x7F, 1},
        // The weekday is the local one: Tuesday 08:00 JST is still Monday in UTC.
        {"Tuesday, local weekday", monday0800, kWeekdayBits[2], 1},
        {"no weekday bit", kMonday0900, 0x80, 8},
    };
    for (auto const& c : cases) {
        Reservation rec = makeRec(c.start, c.start + 1800.0, "w", kFM800, c.week);
        rec.id = 7;
        rec.state = 1;
        rec.enabled = 0;
        RecordingEngine::rearmWeekly(rec, calendar);
        EXPECT_EQ(rec.start, c.start + c.expectedDays * kDay) << c.what;
        EXPECT_EQ(rec.end, c.start + 1800.0 + c.expectedDays * kDay) << c.what;
        EXPECT_EQ(rec.state, 0u) << c.what;
        EXPECT_EQ(rec.id, 7) << c.what;
        EXPECT_EQ(rec.enabled, 0) << c.what;
        EXPECT_EQ(rec.weekdays, c.week) << c.what;
    }
}

} // namespace

TEST(WeeklyRearm, KeepsTheLocalClockTimesAcrossDaylightSaving) {
    struct Case {
        char const* zone;
        double start;
        double end;
        int weekday;
        double wantStart;
        double wantEnd;
    };
    Case const cases[] = {
        {"Asia/Tokyo", utc(2024, 3, 25, 11, 0), utc(2024, 3, 25, 12, 0), 1, utc(2024, 4, 1, 11, 0),
         utc(2024, 4, 1, 12, 0)},
        {"Europe/Berlin", utc(2024, 3, 25, 19, 0), utc(2024, 3, 25, 20, 0), 1,
         utc(2024, 4, 1, 18, 0), utc(2024, 4, 1, 19, 0)},
        {"Europe/Berlin", utc(2024, 10, 21, 18, 0), utc(2024, 10, 21, 19, 0), 1,
         utc(2024, 10, 28, 19, 0), utc(2024, 10, 28, 20, 0)},
        {"America/New_York", utc(2024, 3, 5, 1, 0), utc(2024, 3, 5, 2, 0), 1,
         utc(2024, 3, 12, 0, 0), utc(2024, 3, 12, 1, 0)},
        {"America/New_York", utc(2024, 10, 29, 0, 0), utc(2024, 10, 29, 1, 0), 1,
         utc(2024, 11, 5, 1, 0), utc(2024, 11, 5, 2, 0)},
        // Sunday 01:30 CET to 03:30 CEST, across the change itself: a week later each end
        // keeps its own clock time, 01:30 to 03:30 CEST.
        {"Europe/Berlin", utc(2024, 3, 31, 0, 30), utc(2024, 3, 31, 1, 30), 0,
         utc(2024, 4, 6, 23, 30), utc(2024, 4, 7, 1, 30)},
    };
    LocalCalendar calendar;
    for (Case const& c : cases) {
        ZoneScope zone(c.zone);
        Reservation rec;
        rec.start = c.start;
        rec.end = c.end;
        rec.weekdays = kWeekdayBits[c.weekday];
        RecordingEngine::rearmWeekly(rec, calendar);
        EXPECT_EQ(rec.start, c.wantStart) << c.zone;
        EXPECT_EQ(rec.end, c.wantEnd) << c.zone;
    }
}
