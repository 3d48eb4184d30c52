// The engine with its real threads: the watch thread and the recording runs, stepped on the
// virtual clock; stopping the engine under them; and a stress run against user commands.
#include "tests/engine/EngineTest.h"
#include "tests/support/ScaledClock.h"

#include <filesystem>
#include <future>
#include <map>
#include <random>
#include <set>

namespace {

using namespace std::chrono_literals;

class EngineThreadsTest : public EngineTest {
protected:
    void SetUp() override { makeEngine(true); }

    // After a step, waits until the watch thread and every live run are asleep again.
    void settle() {
        ASSERT_TRUE(waitFor(
            [&] { return fx.clock.blockedSleepers() >= 1 + engine->activeRecordingRuns(); }));
    }
    void Step() {
        fx.clock.advance(1.0);
        settle();
    }
};

TEST_F(EngineThreadsTest, WatchThreadHandsADueReservationToItsRun) {
    double const start = kMonday0900 + 63.0;
    int const id = Add(makeRec(start, start + 1800.0, "evening"));
    engine->startWatching();
    settle();

    for (int second = 1; second <= 3; ++second) {
        Step(); // 62, 61 and exactly 60 seconds before: not yet
        EXPECT_EQ(reservationById(id).state, 0u) << second;
    }
    Step(); // 59 seconds before: due, the run starts and holds the engine lock
    EXPECT_EQ(engine->launched(), std::vector<int>{id});
    EXPECT_EQ(engine->activeRecordingRuns(), 1);
    EXPECT_EQ(fx.launcher.calls().size(), 1u);
    EXPECT_TRUE(fx.bus.posts().empty());

    for (int second = 5; second <= 9; ++second) {
        Step();
    }
    ASSERT_TRUE(waitFor([&] { return engine->activeRecordingRuns() == 0; }));
    auto const posts = fx.bus.posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].at, start - 54.0);
    EXPECT_TRUE(allReservations().empty());
    EXPECT_EQ(std::filesystem::file_size(engine->reservationFilePath()), 0u);

    for (int second = 0; second < 5; ++second) {
        Step();
    }
    EXPECT_EQ(fx.bus.posts().size(), 1u);
    EXPECT_EQ(engine->launched().size(), 1u);
}

TEST_F(EngineThreadsTest, IdleWatchThreadOnlySleepsASecondAtATime) {
    Add(makeRec(kMonday0900 + 3600.0, kMonday0900 + 5400.0, "later"));
    auto const before = allReservations();
    engine->startWatching();
    engine->startWatching(); // a second start is ignored
    settle();
    int const passes = 30;
    for (int i = 0; i < passes; ++i) {
        Step();
    }
    EXPECT_EQ(fx.clock.sleepCalls(), passes + 1);
    EXPECT_EQ(fx.clock.blockedSleepers(), 1);
    EXPECT_EQ(fx.listener.missed.load(), 0);
    EXPECT_TRUE(fx.launcher.calls().empty());
    ASSERT_EQ(allReservations().size(), before.size());
    EXPECT_EQ(allReservations()[0], before[0]);
}

TEST_F(EngineThreadsTest, StoppingTheEngineCutsItsWaitsShort) {
    double const start = kMonday0900 + 600.0;
    int const id = Add(makeRec(start, start + 1800.0, "in ten minutes"));
    engine->startWatching();
    engine->launch(id);
    ASSERT_TRUE(fx.clock.waitForSleepers(2));

    // No time passes: neither the watch thread's second nor the run's wait for its start is
    // waited out.
    auto stopped = std::async(std::launch::async, [&] { engine.reset(); });
    bool const quick = stopped.wait_for(10s) == std::future_status::ready;
    fx.clock.setAutoAdvance(true); // lets a stuck engine go before the check
    ASSERT_TRUE(quick);
    EXPECT_TRUE(fx.launcher.calls().empty());
    EXPECT_TRUE(fx.bus.posts().empty());
    EXPECT_FALSE(std::filesystem::exists(fx.location.dataFolder() + "/.ResvInfo.dat"));
}

TEST_F(EngineThreadsTest, ExitWaitAndStoppingLetAHandOffInProgressFinish) {
    int const first = Add(makeRec(kMonday0900 + 59.0, kMonday0900 + 600.0, "first"));
    engine->launch(first);
    ASSERT_TRUE(fx.clock.waitForSleepers(1)); // holds the lock through its five seconds

    auto waited = std::async(std::launch::async, [&] { engine->waitForRunningHandOff(); });
    EXPECT_EQ(waited.wait_for(100ms), std::future_status::timeout);
    fx.clock.advance(5.0);
    ASSERT_EQ(waited.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(fx.bus.posts().size(), 1u);
    ASSERT_TRUE(waitFor([&] { return engine->activeRecordingRuns() == 0; }));

    double const now = fx.clock.now();
    int const second = Add(makeRec(now + 59.0, now + 600.0, "second"));
    engine->launch(second);
    ASSERT_TRUE(fx.clock.waitForSleepers(1));
    auto stopped = std::async(std::launch::async, [&] { engine.reset(); });
    EXPECT_EQ(stopped.wait_for(100ms), std::future_status::timeout);
    fx.clock.advance(5.0);
    ASSERT_EQ(stopped.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(fx.bus.posts().size(), 2u);
    EXPECT_EQ(std::filesystem::file_size(fx.location.dataFolder() + "/.ResvInfo.dat"), 0u);
}

// At start-up the reservation file is read on a thread of its own while the windows are made;
// load() waits for it and answers what the load answered.
TEST_F(EngineThreadsTest, ReservationFileReadOnAThreadOfItsOwn) {
    Add(makeRec(kMonday0900 + 7200.0, kMonday0900 + 9000.0, "second"));
    Add(makeRec(kMonday0900 + 3600.0, kMonday0900 + 5400.0, "first"));
    ASSERT_TRUE(engine->save());
    list->clear();

    engine->startLoading();
    EXPECT_TRUE(engine->load());
    EXPECT_EQ(titlesOf(), (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(engine->load()) << "without a reading under way it reads itself";
    EXPECT_EQ(titlesOf().size(), 2u);
}

// Real threads on a clock running 50 times as fast: the watch thread and the recording runs
// against a thread doing what the user's commands do. No reservation may be handed over
// twice, and none may vanish without being handed over or deleted by the user.
TEST(EngineStressTest, WatchRunsAndUserCommandsShareTheList) {
    ScaledClock clock(kMonday0900, 50.0);
    FakeEngineServices fx(kMonday0900);
    LocalCalendar calendar;
    auto engine = std::make_unique<RecordingEngine>(fx.services(&clock, &calendar));
    engine->startWatching();
    ReservationList* list = &engine->list();

    std::mt19937 random(20240115);
    std::set<std::string> nearTitles;
    std::set<std::string> weeklyTitles;
    std::set<std::string> farTitles;
    std::set<std::string> deletedByUser;
    double lastNearStart = 0.0;
    int nearCount = 0;
    int farCount = 0;

    auto deleteTitle = [&](std::string const& title) {
        Reservation rec;
        for (int i = 0; list->readAt(i, rec); ++i) {
            if (title == rec.title) {
                if (list->remove(rec.id)) {
                    deletedByUser.insert(title);
                }
                return;
            }
        }
    };

    auto const until = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < until) {
        double const now = clock.now();
        CheckResult result;
        switch (random() % 6) {
        case 0: { // a reservation a little more than a minute ahead
            double const start = std::max(std::ceil(now) + 65.0, lastNearStart + 8.0);
            if (start > now + 90.0) {
                break;
            }
            std::string const title = "near " + std::to_string(nearCount++);
            uint32_t const week = nearCount % 4 == 0 ? 0x7F : 0;
            Reservation rec = makeRec(start, start + 60.0, title.c_str(), kFM800, week);
            ASSERT_TRUE(list->add(rec, result, 1));
            nearTitles.insert(title);
            if (week != 0) {
                weeklyTitles.insert(title);
            }
            lastNearStart = start;
            break;
        }
        case 1: { // one far ahead
            if (farCount >= 300) {
                break;
            }
            std::string const title = "far " + std::to_string(farCount++);
            double const start = kMonday0900 + 3 * kDay + farCount * 600.0;
            Reservation rec = makeRec(start, start + 300.0, title.c_str());
            ASSERT_TRUE(list->add(rec, result, 1));
            farTitles.insert(title);
            break;
        }
        case 2: { // switch a far one off or on, as the menu command does
            int const count = list->size();
            Reservation rec;
            if (count > 0 && list->readAt(int(random() % count), rec) &&
                std::string(rec.title).rfind("far", 0) == 0) {
                rec.enabled = rec.enabled != 0 ? 0 : 1;
                list->update(rec, result);
            }
            break;
        }
        case 3: // delete now and then; a third of the near ones may go
            if (random() % 16 == 0 && nearCount > 0) {
                deleteTitle("near " + std::to_string(random() % nearCount / 3 * 3));
            } else if (random() % 4 == 0 && farCount > 0) {
                deleteTitle("far " + std::to_string(random() % farCount));
            }
            break;
        case 4: { // what the table and the sleep veto read
            Reservation rec;
            for (int i = 0; list->readAt(i, rec); ++i) {
            }
            list->count(0x13);
            (void)engine->nextStart();
            break;
        }
        default:
            break;
        }
        std::this_thread::sleep_for(1ms);
    }

    // Let every near reservation come due and its run finish.
    ASSERT_TRUE(waitFor([&] { return clock.now() > lastNearStart; }, 20s));
    ASSERT_TRUE(waitFor([&] { return engine->activeRecordingRuns() == 0; }, 20s));
    engine->stopThreads();

    std::map<std::string, int> posted;
    for (auto const& post : fx.bus.posts()) {
        ++posted[std::get<std::string>(*post.value("Title"))];
    }
    std::map<std::string, std::vector<Reservation>> stored;
    Reservation rec;
    for (int i = 0; list->readAt(i, rec); ++i) {
        stored[rec.title].push_back(rec);
    }

    int recorded = 0;
    for (auto const& [title, count] : posted) {
        EXPECT_EQ(count, 1) << title << " was handed over " << count << " times";
        EXPECT_TRUE(nearTitles.count(title)) << title;
        ++recorded;
    }
    for (auto const& [title, copies] : stored) {
        EXPECT_EQ(copies.size(), 1u) << title << " is stored " << copies.size() << " times";
    }
    for (auto const& title : nearTitles) {
        bool const kept = stored.count(title) != 0;
        bool const handedOver = posted.count(title) != 0;
        EXPECT_TRUE(kept || handedOver || deletedByUser.count(title)) << title << " was lost";
        if (handedOver && weeklyTitles.count(title) && !deletedByUser.count(title)) {
            ASSERT_TRUE(kept) << title << " lost its next occurrence";
            EXPECT_EQ(stored[title][0].state, 0u);
        }
    }
    for (auto const& title : farTitles) {
        EXPECT_TRUE(stored.count(title) || deletedByUser.count(title)) << title << " was lost";
    }
    EXPECT_GE(recorded, 5) << "too few hand-overs to exercise the engine";
    engine.reset();
}

} // namespace
