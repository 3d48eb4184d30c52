// The engine's reports to the recording history, against a real SQLite file: the reasons of
// misses and the outcome of wake-ups as derived from the recorded rows on the virtual clock,
// and how the companion was reached at each hand-over.
#include "tests/engine/EngineTest.h"

#include "history/MissReasons.h"
#include "history/SqliteJournal.h"

#include <sqlite3.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr double kHour = 3600.0;
constexpr double kStart = kMonday0900 + kHour; // the reservation that is missed: 10:00
constexpr double kEnd = kStart + 1800.0;

JournalEntry Row(JournalKind kind, double at) {
    JournalEntry entry;
    entry.kind = kind;
    entry.at = at;
    return entry;
}
JournalEntry startedEntry(double at, char const* boot, double bootAt) {
    JournalEntry entry = Row(JournalKind::ProgramStarted, at);
    entry.bootId = boot;
    entry.bootAt = bootAt;
    return entry;
}
JournalEntry exited(double at, ExitCause cause) {
    JournalEntry entry = Row(JournalKind::ProgramExited, at);
    entry.exitCause = cause;
    return entry;
}
JournalEntry plannedEntry(double at, std::vector<double> wakeUps) {
    JournalEntry entry = Row(JournalKind::WakeUpsPlanned, at);
    entry.instants = std::move(wakeUps);
    return entry;
}

class EngineJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("resvman-journal-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / ".ResvHistory.db").string();
    }
    void TearDown() override {
        fx.clock.setAutoAdvance(true);
        engine.reset();
        journal.reset();
        fs::remove_all(dir);
    }

    // A journal on the file at path, and an engine that reports to it.
    void open() {
        engine.reset();
        journal.reset();
        SqliteJournal::Options options;
        options.now = [this] { return fx.clock.now(); };
        journal = std::make_unique<SqliteJournal>(path, options);
        journal->setListener([this](JournalEntry const& entry) {
            std::lock_guard lock(toldMutex);
            told.push_back(entry);
        });
        RecordingEngine::Services services = fx.services(nullptr, &calendar);
        services.journal = journal.get();
        engine = std::make_unique<TestEngine>(services, false);
    }

    // open() on a file of its own.
    void fresh() {
        engine.reset();
        journal.reset();
        fs::remove_all(dir);
        fs::create_directories(dir);
        {
            std::lock_guard lock(toldMutex);
            told.clear();
        }
        open();
    }

    std::vector<JournalEntry> Rows() {
        EXPECT_TRUE(journal->flush());
        return journal->read(0);
    }
    std::vector<JournalEntry> toldEntries(JournalKind kind) {
        EXPECT_TRUE(journal->flush());
        std::lock_guard lock(toldMutex);
        std::vector<JournalEntry> found;
        for (JournalEntry const& entry : told) {
            if (entry.kind == kind) {
                found.push_back(entry);
            }
        }
        return found;
    }

    // The reservation 10:00-10:30 passes unrecorded; the watch loop marks it at now.
    std::optional<JournalEntry> missIt(char const* title = "News") {
        Reservation rec = makeRec(kStart, kEnd, title);
        CheckResult result;
        EXPECT_TRUE(engine->list().add(rec, result, 1));
        engine->watchPass();
        EXPECT_TRUE(journal->flush());
        return journal->findMiss(title, kFM800, kStart, kEnd);
    }

    FakeEngineServices fx{kMonday0900};
    LocalCalendar calendar;
    fs::path dir;
    std::string path;
    std::unique_ptr<SqliteJournal> journal;
    std::unique_ptr<TestEngine> engine;
    std::mutex toldMutex;
    std::vector<JournalEntry> told;
};

TEST_F(EngineJournalTest, MissReasonsComeFromWhatWasRecordedAroundTheStart) {
    struct Case {
        char const* what;
        std::vector<JournalEntry> before; // recorded before the watch loop marks the miss
        MissReason reason;
    };
    double const now = kEnd + 2 * kHour; // this run began at kEnd + 1 h
    Case const cases[] = {
        {"nothing known", {}, MissReason::Unknown},
        {"quit by the user, this run later in the same boot",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          exited(kStart - 2 * kHour, ExitCause::ExitCommand),
          startedEntry(kEnd + kHour, "a", kStart - 5 * kHour)},
         MissReason::NotRunning},
        {"quit by the user, then the computer was restarted",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          exited(kStart - 2 * kHour, ExitCause::ExitCommand),
          startedEntry(kEnd + kHour, "b", kEnd + 0.5 * kHour)},
         MissReason::NotRunning},
        {"ended with the session, started again later in the same boot",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          exited(kStart - 2 * kHour, ExitCause::Ended),
          startedEntry(kEnd + kHour, "a", kStart - 5 * kHour)},
         MissReason::NotRunning},
        {"ended with the session, computer started after the reservation",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          exited(kStart - 2 * kHour, ExitCause::Ended),
          startedEntry(kEnd + kHour, "b", kEnd + 0.5 * kHour)},
         MissReason::AsleepOrOff},
        {"no exit recorded (power cut), computer started after the reservation",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          startedEntry(kEnd + kHour, "b", kEnd + 0.5 * kHour)},
         MissReason::AsleepOrOff},
        {"asleep across the start, no wake-up planned",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Row(JournalKind::Sleep, kStart - kHour), Row(JournalKind::Woke, kEnd + kHour)},
         MissReason::AsleepOrOff},
        {"asleep across the start with a wake-up planned before it",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          plannedEntry(kStart - 2 * kHour, {kStart - 300.0}),
          Row(JournalKind::Sleep, kStart - kHour), Row(JournalKind::Woke, kStart + 600.0)},
         MissReason::WokeLate},
        {"slept and woke before the start: it ran and was awake",
         {startedEntry(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Row(JournalKind::Sleep, kStart - 2 * kHour), Row(JournalKind::Woke, kStart - kHour)},
         MissReason::SwitchedOff},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        fx.clock.advanceTo(now);
        fresh();
        for (JournalEntry const& entry : c.before) {
            journal->record(entry);
        }
        std::optional<JournalEntry> const miss = missIt();
        ASSERT_TRUE(miss.has_value());
        EXPECT_EQ(miss->reason, c.reason);
        EXPECT_EQ(miss->at, now);
        EXPECT_EQ(miss->title, "News");
    }
}

TEST_F(EngineJournalTest, ResumesAndBootsAreMatchedWithThePlannedWakeUps) {
    struct Case {
        char const* what;
        std::vector<JournalEntry> rows;
        WakeOutcome outcome;
        double planned;
    };
    double const wake = kStart - 300.0;
    Case const cases[] = {
        {"resumed a minute after the wake-up",
         {plannedEntry(kMonday0900, {wake, wake + kHour}),
          Row(JournalKind::Sleep, kMonday0900 + 60.0), Row(JournalKind::Woke, wake + 60.0)},
         WakeOutcome::OnTime,
         wake},
        {"resumed a quarter of an hour after the wake-up",
         {plannedEntry(kMonday0900, {wake}), Row(JournalKind::Sleep, kMonday0900 + 60.0),
          Row(JournalKind::Woke, wake + 900.0)},
         WakeOutcome::Late,
         wake},
        {"resumed by hand before any wake-up",
         {plannedEntry(kMonday0900, {wake}), Row(JournalKind::Sleep, kMonday0900 + 60.0),
          Row(JournalKind::Woke, kMonday0900 + 600.0)},
         WakeOutcome::ByHand,
         0.0},
        {"booted for the wake-up after the session ended",
         {startedEntry(kMonday0900 - kHour, "a", kMonday0900 - 2 * kHour),
          plannedEntry(kMonday0900, {wake}), exited(kMonday0900 + 60.0, ExitCause::Ended),
          startedEntry(wake + 90.0, "b", wake + 30.0)},
         WakeOutcome::OnTime,
         wake},
        {"booted late after the session ended",
         {startedEntry(kMonday0900 - kHour, "a", kMonday0900 - 2 * kHour),
          plannedEntry(kMonday0900, {wake}), exited(kMonday0900 + 60.0, ExitCause::Ended),
          startedEntry(kEnd, "b", kEnd - 60.0)},
         WakeOutcome::Late,
         wake},
        {"booted long after the user quit: the computer may have run past the wake-up",
         {startedEntry(kMonday0900 - kHour, "a", kMonday0900 - 2 * kHour),
          plannedEntry(kMonday0900, {wake}), exited(kMonday0900 + 60.0, ExitCause::ExitCommand),
          startedEntry(kEnd, "b", kEnd - 60.0)},
         WakeOutcome::ByHand,
         0.0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        for (JournalEntry const& entry : c.rows) {
            journal->record(entry);
        }
        std::vector<JournalEntry> const woke = toldEntries(JournalKind::Woke);
        ASSERT_FALSE(woke.empty());
        EXPECT_EQ(woke.back().wake, c.outcome);
        EXPECT_EQ(woke.back().planned, c.planned);
        EXPECT_EQ(woke.back().failed(), c.outcome == WakeOutcome::Late);
    }
}

TEST_F(EngineJournalTest, HandOverRecordsHowTheCompanionWasReachedAndWhetherItListened) {
    open();
    fx.clock.setAutoAdvance(true);
    double const start = fx.clock.now() + 59.0;
    Reservation first = makeRec(start, start + 600.0, "Running");
    Reservation second = makeRec(start + kHour, start + kHour + 600.0, "Absent");
    CheckResult result;
    ASSERT_TRUE(engine->list().add(first, result, 1));
    ASSERT_TRUE(engine->list().add(second, result, 1));

    fx.launcher.setRunning(true);
    engine->runRecording(engine->list().readAt(0, first) ? first.id : -1);
    fx.launcher.setRunning(false);
    fx.launcher.scriptOpen({}, false);      // the companion cannot be started
    fx.settings.setInteger(kEndLateKey, 3); // the span recorded is kept beside the programme
    fx.clock.advanceTo(start + kHour - 60.0);
    engine->runRecording(engine->list().readAt(0, second) ? second.id : -1);

    std::vector<JournalEntry> const handed = toldEntries(JournalKind::HandedOver);
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].title, "Running");
    EXPECT_EQ(handed[0].companion, CompanionState::AlreadyRunning);
    EXPECT_TRUE(handed[0].present);
    EXPECT_FALSE(handed[0].failed());
    EXPECT_NEAR(handed[0].lead, 54.0, 0.001); // 59 s ahead, then the five-second settle
    EXPECT_TRUE(handed[0].instants.empty());  // no margins: the programme's own times
    EXPECT_EQ(handed[1].instants, (std::vector<double>{start + kHour, start + kHour + 780.0}));
    EXPECT_EQ(handed[1].title, "Absent");
    EXPECT_EQ(handed[1].companion, CompanionState::NotStarted);
    EXPECT_FALSE(handed[1].present);
    EXPECT_TRUE(handed[1].failed());
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(EngineJournalTest, EachMissAndEachPlanIsKeptOnceAndRowsOlderThanAYearGo) {
    fx.clock.advanceTo(kEnd + kHour);
    open();
    journal->record(Row(JournalKind::ProgramStarted, kMonday0900 - 400 * kDay)); // too old
    journal->record(plannedEntry(kMonday0900, {kStart - 300.0}));
    journal->record(plannedEntry(kMonday0900 + 1.0, {kStart - 300.0})); // re-planned, same plan
    journal->record(plannedEntry(kMonday0900 + 2.0, {}));               // cancelled
    ASSERT_TRUE(missIt().has_value());
    // Marked over again, as after a restart that had not saved the mark.
    Reservation rec;
    ASSERT_TRUE(engine->list().readAt(0, rec));
    rec.pending = 1;
    CheckResult result;
    ASSERT_TRUE(engine->list().update(rec, result));
    engine->watchPass();
    open(); // opening prunes

    std::vector<JournalEntry> const rows = Rows();
    std::vector<JournalKind> kinds;
    for (JournalEntry const& row : rows) {
        kinds.push_back(row.kind);
    }
    ASSERT_EQ(kinds, (std::vector<JournalKind>{JournalKind::Missed, JournalKind::WakeUpsPlanned,
                                               JournalKind::WakeUpsPlanned}));
    EXPECT_TRUE(rows[1].instants.empty());
    EXPECT_EQ(rows[2].instants, std::vector<double>{kStart - 300.0});
    EXPECT_EQ(toldEntries(JournalKind::Missed).size(), 1u);
}

} // namespace
