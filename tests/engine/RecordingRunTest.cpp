// The recording run, called directly. Sleeps move virtual time at once (auto-advance), except
// in the test that watches a run wait for its start.
#include "tests/engine/EngineTestFixture.h"

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
    int AddDue(char const* title, uint32_t freq = kFM800, uint32_t week = 0) {
        double const start = fx.clock.now() + 59.0;
        return Add(MakeRec(start, start + 1800.0, title, freq, week));
    }

    FakeNotificationCenter::Post OnlyPost() {
        auto const posts = fx.notifications.posts();
        EXPECT_EQ(posts.size(), 1u);
        return posts.empty() ? FakeNotificationCenter::Post{} : posts.front();
    }
};

template <typename T> T As(FakeNotificationCenter::Post const& post, char const* key) {
    auto const value = post.value(key);
    EXPECT_TRUE(value.has_value()) << key;
    EXPECT_TRUE(value && std::holds_alternative<T>(*value)) << key << " has the wrong type";
    return value && std::holds_alternative<T>(*value) ? std::get<T>(*value) : T{};
}

TEST_F(RecordingRunTest, MessageCarriesTheSixEntriesInOrderWithTheirTypes) {
    int const id = AddDue("Morning FM");
    SCHEDULEITEM_TAG const rec = Get(id);
    engine->RecordingProc(id);

    auto const post = OnlyPost();
    EXPECT_EQ(post.name, "Schedule_Notification_SendMessage");
    EXPECT_EQ(post.object, std::optional<std::string>("message"));
    std::vector<std::string> keys;
    for (auto const& entry : post.userInfo) {
        keys.push_back(entry.first);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"CH", "BAND", "RecStartTime", "RecEndTime", "Title",
                                              "AppTerminate"}));
    EXPECT_EQ(As<int32_t>(post, "CH"), 8000);
    EXPECT_EQ(As<std::string>(post, "BAND"), "FM");
    EXPECT_EQ(As<double>(post, "RecStartTime"), rec.dStartTime);
    EXPECT_EQ(As<double>(post, "RecEndTime"), rec.dEndTime);
    EXPECT_EQ(As<std::string>(post, "Title"), "Morning FM");
    EXPECT_EQ(As<bool>(post, "AppTerminate"), false);
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
        int const id = AddDue(("freq " + std::to_string(c.freq)).c_str(), c.freq);
        engine->RecordingProc(id);
        auto const posts = fx.notifications.posts();
        ASSERT_FALSE(posts.empty());
        EXPECT_EQ(As<int32_t>(posts.back(), "CH"), c.channel) << c.freq;
        EXPECT_EQ(As<std::string>(posts.back(), "BAND"), c.band) << c.freq;
    }
}

TEST_F(RecordingRunTest, TitleIsPassedAsUtf8AndNeverReadPastItsField) {
    double const now = fx.clock.now();
    std::string const japanese = "ラジオ深夜便 — Ö";
    SCHEDULEITEM_TAG text = MakeRec(now + 59.0, now + 300.0, japanese.c_str());
    // Damaged records: 256 text bytes and no terminator; bytes that are not UTF-8.
    SCHEDULEITEM_TAG full = MakeRec(now + 600.0, now + 900.0, "");
    std::memset(full.cTitle, 'x', sizeof full.cTitle);
    SCHEDULEITEM_TAG broken = MakeRec(now + 1200.0, now + 1500.0, "");
    std::memcpy(broken.cTitle, "ok\xFF\xC3(\xE3\x81", 7);
    SCHEDULE_RETURN result;
    for (SCHEDULEITEM_TAG* rec : {&text, &full, &broken}) {
        ASSERT_TRUE(list->addSchedule(rec, result, 1));
    }
    std::vector<int> ids;
    for (auto const& rec : All()) {
        ids.push_back(rec.nID);
    }
    ASSERT_EQ(ids.size(), 3u);
    for (int id : ids) {
        engine->RecordingProc(id);
    }

    auto const posts = fx.notifications.posts();
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(As<std::string>(posts[0], "Title"), japanese);
    EXPECT_EQ(As<std::string>(posts[1], "Title"), std::string(256, 'x'));
    EXPECT_EQ(As<std::string>(posts[2], "Title"), "ok\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD");
}

TEST_F(RecordingRunTest, AppTerminateFollowsExitAfterRecordReadAtTheRun) {
    // Absent: false, and the value is not even read.
    engine->RecordingProc(AddDue("absent"));
    auto const reads = fx.defaults.reads();
    EXPECT_EQ(reads, std::vector<std::string>{"object EXITAFTERRECORD"});

    fx.defaults.setInteger(kDefaultsExitAfterRecord, 1);
    engine->RecordingProc(AddDue("on"));
    fx.defaults.setInteger(kDefaultsExitAfterRecord, 0);
    engine->RecordingProc(AddDue("off"));

    auto const posts = fx.notifications.posts();
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_FALSE(As<bool>(posts[0], "AppTerminate"));
    EXPECT_TRUE(As<bool>(posts[1], "AppTerminate"));
    EXPECT_FALSE(As<bool>(posts[2], "AppTerminate"));
}

TEST_F(RecordingRunTest, OnceOnlyReservationLeavesTheListAndTheFile) {
    int const id = AddDue("once");
    Add(MakeRec(kMonday0900 + 7200.0, kMonday0900 + 9000.0, "stays"));
    engine->RecordingProc(id);

    EXPECT_EQ(Titles(), std::vector<std::string>{"stays"});
    EXPECT_EQ(fx.mainThread.tableReload.load(), 1);
    std::string const path = engine->ReservationFilePath();
    EXPECT_EQ(path, fx.bundle.homeDirectory() + "/.ResvInfo.dat");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), kScheduleRecordSize);
    CScheduleItem reloaded;
    ASSERT_TRUE(reloaded.Load(path.c_str()));
    SCHEDULEITEM_TAG rec;
    ASSERT_TRUE(reloaded.readScheduleByIndex(0, &rec));
    EXPECT_STREQ(rec.cTitle, "stays");
}

TEST_F(RecordingRunTest, WeeklyMondayWednesdayMovesToWednesdayUnderANewIdAndIsPlanned) {
    fx.defaults.setInteger(kDefaultsUseAcpi, 1);
    uint32_t const monWed = kWeeklyKeys[1] | kWeeklyKeys[3];
    int const id = AddDue("weekly", kFM800, monWed); // Monday 09:00:59 JST
    SCHEDULEITEM_TAG const before = Get(id);
    engine->RecordingProc(id);
    // The hand-off plans the next occurrence's wake-up by itself.
    ASSERT_TRUE(engine->WaitForPlanning());
    EXPECT_EQ(
        fx.privileged.calls(),
        (std::vector<std::string>{FakePrivilegedOps::Cancel(1), FakePrivilegedOps::Cancel(2),
                                  FakePrivilegedOps::Wake(before.dStartTime + 2 * kDay - 300.0)}));

    auto const all = All();
    ASSERT_EQ(all.size(), 1u);
    SCHEDULEITEM_TAG const next = all.front();
    EXPECT_NE(next.nID, id);
    EXPECT_EQ(next.dStartTime, before.dStartTime + 2 * kDay);
    EXPECT_EQ(next.dEndTime, before.dEndTime + 2 * kDay);
    EXPECT_EQ(calendar.dayOfWeek(next.dStartTime), 3);
    EXPECT_EQ(next.uState, 0u);
    EXPECT_EQ(next.uWeek, monWed);
    EXPECT_EQ(next.uFreq, before.uFreq);
    EXPECT_STREQ(next.cTitle, "weekly");
    // The file holds the next occurrence.
    CScheduleItem reloaded;
    ASSERT_TRUE(reloaded.Load(engine->ReservationFilePath().c_str()));
    EXPECT_EQ(reloaded.m_nCount.load(), 1);
}

TEST_F(RecordingRunTest, CompanionAlreadyRunningGetsTheMessageFiveSecondsLater) {
    int const id = AddDue("running");
    double const t0 = fx.clock.now();
    engine->RecordingProc(id);

    auto const calls = fx.launcher.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, "open");
    EXPECT_EQ(calls[0].arg, fx.bundle.homeDirectory() + "/Velto.app");
    EXPECT_EQ(OnlyPost().at, t0 + 5.0);
}

TEST_F(RecordingRunTest, CompanionStartedByNameIsOpenedOnTheNextAttempt) {
    fx.launcher.scriptOpen({false, true}, true);
    int const id = AddDue("second try");
    double const t0 = fx.clock.now();
    engine->RecordingProc(id);

    auto const calls = fx.launcher.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].op, "open");
    EXPECT_EQ(calls[1].op, "launch");
    EXPECT_EQ(calls[1].arg, "Velto");
    EXPECT_EQ(calls[2].op, "open");
    EXPECT_EQ(calls[2].at, t0 + 1.0);
    EXPECT_EQ(OnlyPost().at, t0 + 6.0);
}

TEST_F(RecordingRunTest, MissingCompanionGivesUpAfterFiveSecondsAndStillSettles) {
    fx.launcher.scriptOpen({}, false);
    int const id = AddDue("nobody home");
    double const t0 = fx.clock.now();
    engine->RecordingProc(id);

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
    double const took = OnlyPost().at - t0;
    EXPECT_GE(took, 10.0);
    EXPECT_LE(took, 11.0);
    EXPECT_TRUE(All().empty());
    EXPECT_EQ(fx.mainThread.tableReload.load(), 1);
}

TEST_F(RecordingRunTest, UnknownIdDoesNothingAtAll) {
    Add(MakeRec(kMonday0900 + 30.0, kMonday0900 + 600.0, "other"));
    int const sleepsBefore = fx.clock.sleepCalls();
    engine->RecordingProc(4242);
    EXPECT_TRUE(fx.notifications.posts().empty());
    EXPECT_TRUE(fx.launcher.calls().empty());
    EXPECT_TRUE(fx.defaults.reads().empty());
    EXPECT_EQ(fx.clock.sleepCalls(), sleepsBefore);
    EXPECT_EQ(fx.mainThread.tableReload.load(), 0);
    EXPECT_FALSE(std::filesystem::exists(engine->ReservationFilePath()));
    EXPECT_EQ(Titles(), std::vector<std::string>{"other"});
}

TEST_F(RecordingRunTest, RunForALaterStartWaitsWithoutTheEngineLock) {
    fx.clock.setAutoAdvance(false);
    double const start = kMonday0900 + 600.0;
    int const id = Add(MakeRec(start, start + 1800.0, "in ten minutes"));

    std::thread run([&] { engine->RecordingProc(id); });
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    fx.clock.advanceTo(start - 61.0);
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    EXPECT_TRUE(fx.launcher.calls().empty());
    ASSERT_TRUE(engine->m_RecLock.try_lock()) << "the waiting run holds the engine lock";
    engine->m_RecLock.unlock();

    // At the minute before the start it addresses the companion and holds the lock.
    fx.clock.advanceTo(start - 60.0);
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    auto const calls = fx.launcher.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].at, start - 60.0);
    EXPECT_FALSE(engine->m_RecLock.try_lock());

    fx.clock.advance(5.0);
    run.join();
    EXPECT_EQ(OnlyPost().at, start - 55.0);
    EXPECT_TRUE(All().empty());
}

TEST_F(RecordingRunTest, ANewReservationThatReusedTheIdSurvivesTheHandOff) {
    fx.clock.setAutoAdvance(false);
    double const start = kMonday0900 + 59.0;
    SCHEDULEITEM_TAG handed = MakeRec(start, start + 600.0, "handed over");
    handed.uState = 1;
    int const id = Add(handed);
    Add(MakeRec(start + 3600.0, start + 4200.0, "other"));

    std::thread run([&] { engine->RecordingProc(id); });
    ASSERT_TRUE(fx.clock.waitForSleepers(1)); // holding the lock through its five seconds
    // Meanwhile the user deletes it and adds another, which takes the freed id.
    ASSERT_TRUE(list->deleteSchedule(id));
    EXPECT_EQ(Add(MakeRec(start + 7200.0, start + 7800.0, "new")), id);
    fx.clock.advance(5.0);
    run.join();

    EXPECT_EQ(fx.notifications.posts().size(), 1u);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"other", "new"}));

    // Edited during its hand-off from a copy the dialog took before the watch loop marked
    // it (uState 0): it still leaves with the hand-off, and is not handed over again.
    SCHEDULEITEM_TAG again = MakeRec(start + 10000.0, start + 10600.0, "again");
    int const againId = Add(again);
    SCHEDULEITEM_TAG changed = Get(againId);
    fx.clock.advanceTo(start + 10000.0 - 59.0);
    engine->WatchPass();
    ASSERT_EQ(engine->launched(), std::vector<int>{againId});
    std::thread second([&] { engine->RecordingProc(againId); });
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    std::strcpy(changed.cTitle, "again, renamed");
    SCHEDULE_RETURN result;
    ASSERT_TRUE(list->editSchedule(&changed, result));
    fx.clock.advance(5.0);
    second.join();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"other", "new"}));
    engine->WatchPass();
    EXPECT_EQ(engine->launched().size(), 1u);
    EXPECT_EQ(fx.notifications.posts().size(), 2u);
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
        {"Monday only, from Monday", kMonday0900, kWeeklyKeys[1], 7},
        {"Monday and Wednesday, from Monday", kMonday0900, kWeeklyKeys[1] | kWeeklyKeys[3], 2},
        {"weekend, from Saturday", saturday, kWeeklyKeys[0] | kWeeklyKeys[6], 1},
        {"every day", kMonday0900, 0x7F, 1},
        // The weekday is the local one: Tuesday 08:00 JST is still Monday in UTC.
        {"Tuesday, local weekday", monday0800, kWeeklyKeys[2], 1},
        {"no weekday bit", kMonday0900, 0x80, 8},
    };
    for (auto const& c : cases) {
        SCHEDULEITEM_TAG rec = MakeRec(c.start, c.start + 1800.0, "w", kFM800, c.week);
        rec.nID = 7;
        rec.uState = 1;
        rec.cValid = 0;
        CRecEngine::WeeklyRearm(rec, calendar);
        EXPECT_EQ(rec.dStartTime, c.start + c.expectedDays * kDay) << c.what;
        EXPECT_EQ(rec.dEndTime, c.start + 1800.0 + c.expectedDays * kDay) << c.what;
        EXPECT_EQ(rec.uState, 0u) << c.what;
        EXPECT_EQ(rec.nID, 7) << c.what;
        EXPECT_EQ(rec.cValid, 0) << c.what;
        EXPECT_EQ(rec.uWeek, c.week) << c.what;
    }
}

} // namespace
