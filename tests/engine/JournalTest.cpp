// The recording history against a real SQLite file: the reasons of misses and the outcome of
// wake-ups as derived from the recorded rows on the virtual clock, hand-overs, and what
// happens to damaged and older files.
#include "tests/engine/EngineTestFixture.h"

#include "engine/JournalReasons.h"
#include "platform/linux/SqliteJournal.h"

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
JournalEntry Started(double at, char const* boot, double bootAt) {
    JournalEntry entry = Row(JournalKind::ProgramStarted, at);
    entry.bootId = boot;
    entry.bootAt = bootAt;
    return entry;
}
JournalEntry Exited(double at, ExitCause cause) {
    JournalEntry entry = Row(JournalKind::ProgramExited, at);
    entry.exitCause = cause;
    return entry;
}
JournalEntry Planned(double at, std::vector<double> wakeUps) {
    JournalEntry entry = Row(JournalKind::WakeUpsPlanned, at);
    entry.instants = std::move(wakeUps);
    return entry;
}

class JournalTest : public ::testing::Test {
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
    void Open() {
        engine.reset();
        journal.reset();
        SqliteJournal::Options options;
        options.now = [this] { return fx.clock.now(); };
        journal = std::make_unique<SqliteJournal>(path, options);
        journal->setListener([this](JournalEntry const& entry) {
            std::lock_guard lock(toldMutex);
            told.push_back(entry);
        });
        CRecEngine::Services services = fx.services(nullptr, &calendar);
        services.journal = journal.get();
        engine = std::make_unique<TestEngine>(services, false);
        engine->CreateSchedule();
    }

    // Open() on a file of its own.
    void Fresh() {
        engine.reset();
        journal.reset();
        fs::remove_all(dir);
        fs::create_directories(dir);
        {
            std::lock_guard lock(toldMutex);
            told.clear();
        }
        Open();
    }

    std::vector<JournalEntry> Rows() {
        EXPECT_TRUE(journal->Flush());
        return journal->Read(0);
    }
    std::vector<JournalEntry> Told(JournalKind kind) {
        EXPECT_TRUE(journal->Flush());
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
    std::optional<JournalEntry> MissIt(char const* title = "News") {
        SCHEDULEITEM_TAG rec = MakeRec(kStart, kEnd, title);
        SCHEDULE_RETURN result;
        EXPECT_TRUE(engine->m_Schedule->addSchedule(&rec, result, 1));
        engine->WatchPass();
        EXPECT_TRUE(journal->Flush());
        return journal->FindMiss(title, kFM800, kStart, kEnd);
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

TEST_F(JournalTest, MissReasonsComeFromWhatWasRecordedAroundTheStart) {
    struct Case {
        char const* what;
        std::vector<JournalEntry> before; // recorded before the watch loop marks the miss
        MissReason reason;
    };
    double const now = kEnd + 2 * kHour; // this run began at kEnd + 1 h
    Case const cases[] = {
        {"nothing known", {}, MissReason::Unknown},
        {"quit by the user, this run later in the same boot",
         {Started(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Exited(kStart - 2 * kHour, ExitCause::ExitCommand),
          Started(kEnd + kHour, "a", kStart - 5 * kHour)},
         MissReason::NotRunning},
        {"quit by the user, then the computer was restarted",
         {Started(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Exited(kStart - 2 * kHour, ExitCause::ExitCommand),
          Started(kEnd + kHour, "b", kEnd + 0.5 * kHour)},
         MissReason::NotRunning},
        {"ended with the session, computer started after the reservation",
         {Started(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Exited(kStart - 2 * kHour, ExitCause::Ended),
          Started(kEnd + kHour, "b", kEnd + 0.5 * kHour)},
         MissReason::AsleepOrOff},
        {"no exit recorded (power cut), computer started after the reservation",
         {Started(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Started(kEnd + kHour, "b", kEnd + 0.5 * kHour)},
         MissReason::AsleepOrOff},
        {"asleep across the start, no wake-up planned",
         {Started(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Row(JournalKind::Sleep, kStart - kHour), Row(JournalKind::Woke, kEnd + kHour)},
         MissReason::AsleepOrOff},
        {"asleep across the start with a wake-up planned before it",
         {Started(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Planned(kStart - 2 * kHour, {kStart - 300.0}), Row(JournalKind::Sleep, kStart - kHour),
          Row(JournalKind::Woke, kStart + 600.0)},
         MissReason::WokeLate},
        {"slept and woke before the start: it ran and was awake",
         {Started(kStart - 3 * kHour, "a", kStart - 5 * kHour),
          Row(JournalKind::Sleep, kStart - 2 * kHour), Row(JournalKind::Woke, kStart - kHour)},
         MissReason::SwitchedOff},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        fx.clock.advanceTo(now);
        Fresh();
        for (JournalEntry const& entry : c.before) {
            journal->Record(entry);
        }
        std::optional<JournalEntry> const miss = MissIt();
        ASSERT_TRUE(miss.has_value());
        EXPECT_EQ(miss->reason, c.reason);
        EXPECT_EQ(miss->at, now);
        EXPECT_EQ(miss->title, "News");
    }
}

TEST_F(JournalTest, ResumesAndBootsAreMatchedWithThePlannedWakeUps) {
    struct Case {
        char const* what;
        std::vector<JournalEntry> rows;
        WakeOutcome outcome;
        double planned;
    };
    double const wake = kStart - 300.0;
    Case const cases[] = {
        {"resumed a minute after the wake-up",
         {Planned(kMonday0900, {wake, wake + kHour}), Row(JournalKind::Sleep, kMonday0900 + 60.0),
          Row(JournalKind::Woke, wake + 60.0)},
         WakeOutcome::OnTime,
         wake},
        {"resumed a quarter of an hour after the wake-up",
         {Planned(kMonday0900, {wake}), Row(JournalKind::Sleep, kMonday0900 + 60.0),
          Row(JournalKind::Woke, wake + 900.0)},
         WakeOutcome::Late,
         wake},
        {"resumed by hand before any wake-up",
         {Planned(kMonday0900, {wake}), Row(JournalKind::Sleep, kMonday0900 + 60.0),
          Row(JournalKind::Woke, kMonday0900 + 600.0)},
         WakeOutcome::ByHand,
         0.0},
        {"booted for the wake-up after the session ended",
         {Started(kMonday0900 - kHour, "a", kMonday0900 - 2 * kHour), Planned(kMonday0900, {wake}),
          Exited(kMonday0900 + 60.0, ExitCause::Ended), Started(wake + 90.0, "b", wake + 30.0)},
         WakeOutcome::OnTime,
         wake},
        {"booted late after the session ended",
         {Started(kMonday0900 - kHour, "a", kMonday0900 - 2 * kHour), Planned(kMonday0900, {wake}),
          Exited(kMonday0900 + 60.0, ExitCause::Ended), Started(kEnd, "b", kEnd - 60.0)},
         WakeOutcome::Late,
         wake},
        {"booted long after the user quit: the computer may have run past the wake-up",
         {Started(kMonday0900 - kHour, "a", kMonday0900 - 2 * kHour), Planned(kMonday0900, {wake}),
          Exited(kMonday0900 + 60.0, ExitCause::ExitCommand), Started(kEnd, "b", kEnd - 60.0)},
         WakeOutcome::ByHand,
         0.0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        for (JournalEntry const& entry : c.rows) {
            journal->Record(entry);
        }
        std::vector<JournalEntry> const woke = Told(JournalKind::Woke);
        ASSERT_FALSE(woke.empty());
        EXPECT_EQ(woke.back().wake, c.outcome);
        EXPECT_EQ(woke.back().planned, c.planned);
        EXPECT_EQ(woke.back().failed(), c.outcome == WakeOutcome::Late);
    }
}

TEST_F(JournalTest, HandOverRecordsHowTheCompanionWasReachedAndWhetherItListened) {
    Open();
    fx.clock.setAutoAdvance(true);
    double const start = fx.clock.now() + 59.0;
    SCHEDULEITEM_TAG first = MakeRec(start, start + 600.0, "Running");
    SCHEDULEITEM_TAG second = MakeRec(start + kHour, start + kHour + 600.0, "Absent");
    SCHEDULE_RETURN result;
    ASSERT_TRUE(engine->m_Schedule->addSchedule(&first, result, 1));
    ASSERT_TRUE(engine->m_Schedule->addSchedule(&second, result, 1));

    fx.launcher.setRunning(true);
    engine->RecordingProc(engine->m_Schedule->readScheduleByIndex(0, &first) ? first.nID : -1);
    fx.launcher.setRunning(false);
    fx.launcher.scriptOpen({}, false); // the companion cannot be started
    fx.clock.advanceTo(start + kHour - 60.0);
    engine->RecordingProc(engine->m_Schedule->readScheduleByIndex(0, &second) ? second.nID : -1);

    std::vector<JournalEntry> const handed = Told(JournalKind::HandedOver);
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].title, "Running");
    EXPECT_EQ(handed[0].companion, CompanionState::AlreadyRunning);
    EXPECT_TRUE(handed[0].present);
    EXPECT_FALSE(handed[0].failed());
    EXPECT_NEAR(handed[0].lead, 54.0, 0.001); // 59 s ahead, then the five-second settle
    EXPECT_EQ(handed[1].title, "Absent");
    EXPECT_EQ(handed[1].companion, CompanionState::NotStarted);
    EXPECT_FALSE(handed[1].present);
    EXPECT_TRUE(handed[1].failed());
    EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(JournalTest, EachMissAndEachPlanIsKeptOnceAndRowsOlderThanAYearGo) {
    fx.clock.advanceTo(kEnd + kHour);
    Open();
    journal->Record(Row(JournalKind::ProgramStarted, kMonday0900 - 400 * kDay)); // too old
    journal->Record(Planned(kMonday0900, {kStart - 300.0}));
    journal->Record(Planned(kMonday0900 + 1.0, {kStart - 300.0})); // re-planned, same plan
    journal->Record(Planned(kMonday0900 + 2.0, {}));               // cancelled
    ASSERT_TRUE(MissIt().has_value());
    // Marked over again, as after a restart that had not saved the mark.
    SCHEDULEITEM_TAG rec;
    ASSERT_TRUE(engine->m_Schedule->readScheduleByIndex(0, &rec));
    rec.cPending = 1;
    SCHEDULE_RETURN result;
    ASSERT_TRUE(engine->m_Schedule->editSchedule(&rec, result));
    engine->WatchPass();
    Open(); // opening prunes

    std::vector<JournalEntry> const rows = Rows();
    std::vector<JournalKind> kinds;
    for (JournalEntry const& row : rows) {
        kinds.push_back(row.kind);
    }
    EXPECT_EQ(kinds, (std::vector<JournalKind>{JournalKind::Missed, JournalKind::WakeUpsPlanned,
                                               JournalKind::WakeUpsPlanned}));
    EXPECT_TRUE(rows[1].instants.empty());
    EXPECT_EQ(rows[2].instants, std::vector<double>{kStart - 300.0});
    EXPECT_EQ(Told(JournalKind::Missed).size(), 1u);
}

TEST_F(JournalTest, DamagedFileIsSetAsideAndANewOneBegun) {
    std::string const garbage(8192, '\x5a');
    std::ofstream(path, std::ios::binary) << garbage;
    std::vector<SqliteJournal::Trouble> troubles;
    Open();
    journal->setTroubleListener(
        [&troubles](SqliteJournal::Trouble const& trouble) { troubles.push_back(trouble); });
    journal->Record(Row(JournalKind::Sleep, kMonday0900));
    ASSERT_EQ(Rows().size(), 1u);

    journal->setTroubleListener({});
    ASSERT_EQ(troubles.size(), 1u);
    EXPECT_EQ(troubles[0].kind, SqliteJournal::Trouble::Kind::SetAside);
    EXPECT_NE(troubles[0].setAsidePath.find(".ResvHistory.db.damaged-"), std::string::npos);
    std::ifstream kept(troubles[0].setAsidePath, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), garbage);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(JournalTest, OlderSchemaIsBroughtUpToDateKeepingItsRows) {
    // A file of the first version, with the same miss recorded twice.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE events (id INTEGER PRIMARY KEY, at REAL NOT NULL,"
                           " kind INTEGER NOT NULL, title TEXT NOT NULL DEFAULT '',"
                           " freq INTEGER NOT NULL DEFAULT 0, start_at REAL NOT NULL DEFAULT 0,"
                           " end_at REAL NOT NULL DEFAULT 0, week INTEGER NOT NULL DEFAULT 0,"
                           " lead REAL NOT NULL DEFAULT 0, companion INTEGER NOT NULL DEFAULT 0,"
                           " outcome INTEGER NOT NULL DEFAULT 0, planned REAL NOT NULL DEFAULT 0,"
                           " boot_id TEXT NOT NULL DEFAULT '', boot_at REAL NOT NULL DEFAULT 0,"
                           " instants TEXT NOT NULL DEFAULT '');"
                           "CREATE INDEX events_at ON events(at);"
                           "INSERT INTO events (at, kind, title, freq, start_at, end_at, lead)"
                           " VALUES (1705270000, 1, 'Old', 594, 1705270050, 1705271000, 50);"
                           "INSERT INTO events (at, kind, title, freq, start_at, end_at, outcome)"
                           " VALUES (1705272000, 2, 'Lost', 594, 1705271000, 1705271500, 1),"
                           " (1705273000, 2, 'Lost', 594, 1705271000, 1705271500, 1);"
                           "PRAGMA user_version=1;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    // Read as it is (the command line does), an older file is refused, not changed.
    std::vector<JournalEntry> read;
    std::string error;
    EXPECT_FALSE(SqliteJournal::ReadFile(path, 0, read, error));
    EXPECT_NE(error.find("schema version 1"), std::string::npos) << error;
    EXPECT_FALSE(SqliteJournal::ReadFile(path + ".none", 0, read, error));
    EXPECT_FALSE(fs::exists(path + ".none"));

    Open();
    journal->Record(Row(JournalKind::Sleep, kMonday0900));
    std::vector<JournalEntry> const rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].kind, JournalKind::Sleep);
    EXPECT_EQ(rows[1].title, "Lost");
    EXPECT_EQ(rows[1].reason, MissReason::NotRunning);
    EXPECT_EQ(rows[2].title, "Old");
    EXPECT_TRUE(rows[2].present); // not known in the first version: taken as there
    EXPECT_EQ(journal->FindMiss("Lost", 594, 1705271000, 1705271500)->id, rows[1].id);
    ASSERT_TRUE(SqliteJournal::ReadFile(path, 2, read, error)) << error;
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].id, rows[1].id);
}

} // namespace
