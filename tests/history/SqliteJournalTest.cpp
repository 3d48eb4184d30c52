// The recording history's own file: a damaged one is set aside with its log, an older one
// brought up to date, one shaped by someone else never run, and none changed by a mere
// reading.
#include "history/SqliteJournal.h"
#include "history/SqliteGuard.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr double kMonday0900 = 1705276800.0; // Mon 2024-01-15 09:00:00 JST

JournalEntry Row(JournalKind kind, double at) {
    JournalEntry entry;
    entry.kind = kind;
    entry.at = at;
    return entry;
}

class SqliteJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("resvman-journal-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / SqliteJournal::kFileName).string();
    }
    void TearDown() override {
        journal.reset();
        fs::remove_all(dir);
    }
    void open() {
        journal.reset();
        SqliteJournal::Options options;
        options.now = [this] { return now; };
        journal = std::make_unique<SqliteJournal>(path, options);
    }
    std::vector<JournalEntry> Rows() {
        EXPECT_TRUE(journal->flush());
        return journal->read(0);
    }

    fs::path dir;
    std::string path;
    double now = kMonday0900;
    std::unique_ptr<SqliteJournal> journal;
};

} // namespace

TEST_F(SqliteJournalTest, DamagedFileIsSetAsideWithItsLogAndANewOneBegun) {
    std::string const garbage(8192, '\x5a');
    std::ofstream(path, std::ios::binary) << garbage;
    std::ofstream(path + "-wal", std::ios::binary) << "log";
    std::vector<SqliteJournal::Trouble> troubles;
    open();
    journal->setTroubleListener(
        [&troubles](SqliteJournal::Trouble const& trouble) { troubles.push_back(trouble); });
    journal->record(Row(JournalKind::Sleep, kMonday0900));
    ASSERT_EQ(Rows().size(), 1u);

    journal->setTroubleListener({});
    ASSERT_EQ(troubles.size(), 1u);
    EXPECT_EQ(troubles[0].kind, SqliteJournal::Trouble::Kind::SetAside);
    EXPECT_NE(troubles[0].setAsidePath.find(".ResvHistory.db.damaged-"), std::string::npos);
    std::ifstream kept(troubles[0].setAsidePath, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), garbage);
    std::ifstream keptLog(troubles[0].setAsidePath + "-wal", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(keptLog), {}), "log");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(SqliteJournalTest, OlderSchemaIsBroughtUpToDateKeepingItsRows) {
    // A file of the first version, with the same miss recorded twice.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE events ( id INTEGER PRIMARY KEY, at REAL NOT NULL,"
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
    EXPECT_FALSE(SqliteJournal::readFile(path, 0, read, error));
    EXPECT_NE(error.find("schema version 1"), std::string::npos) << error;
    EXPECT_FALSE(SqliteJournal::readFile(path + ".none", 0, read, error));
    EXPECT_FALSE(fs::exists(path + ".none"));

    open();
    journal->record(Row(JournalKind::Sleep, kMonday0900));
    std::vector<JournalEntry> const rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].kind, JournalKind::Sleep);
    EXPECT_EQ(rows[1].title, "Lost");
    EXPECT_EQ(rows[1].reason, MissReason::NotRunning);
    EXPECT_EQ(rows[2].title, "Old");
    EXPECT_TRUE(rows[2].present); // not known in the first version: taken as there
    EXPECT_EQ(journal->findMiss("Lost", 594, 1705271000, 1705271500)->id, rows[1].id);
    ASSERT_TRUE(SqliteJournal::readFile(path, 2, read, error)) << error;
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].id, rows[1].id);

    // A file left with rows in its log (the program was killed): read where it lies, nothing
    // is moved from the log into the file.
    std::string const copy = (dir / "copy.db").string();
    fs::copy_file(path, copy);
    fs::copy_file(path + "-wal", copy + "-wal");
    auto const bytes = [](std::string const& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::string const before = bytes(copy);
    ASSERT_TRUE(SqliteJournal::readFile(copy, 0, read, error)) << error;
    EXPECT_EQ(read.size(), 3u);
    EXPECT_EQ(bytes(copy), before);
    EXPECT_TRUE(fs::exists(copy + "-wal"));
}

// A program that runs for days removes rows older than a year once a day, not only at start.
TEST_F(SqliteJournalTest, OldRowsGoWhileTheProgramRuns) {
    constexpr double kDay = 86400.0;
    open();
    journal->record(Row(JournalKind::Sleep, now - 365.5 * kDay)); // not yet a year and a day
    journal->record(Row(JournalKind::Woke, now));
    ASSERT_EQ(Rows().size(), 2u);
    now += kDay;
    journal->record(Row(JournalKind::Sleep, now));
    std::vector<JournalEntry> const rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].kind, JournalKind::Woke);
}

// A history file is the user's, but whatever wrote it may have added what SQLite would run
// on reading or pruning: such a file is never run, neither by the program nor by the
// command line, and the program sets it aside as a damaged one.
TEST_F(SqliteJournalTest, AFileWithAnotherSchemaIsNeverRun) {
    char const* const forever =
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) SELECT x FROM n";
    struct Case {
        char const* what;
        std::string sql;
    } const cases[] = {
        {"a trigger on pruning that never ends",
         std::string("CREATE TRIGGER t BEFORE DELETE ON events BEGIN SELECT count(*) FROM (") +
             forever + "); END;"},
        {"events a view that never ends",
         std::string("DROP TABLE events; CREATE VIEW events AS SELECT x AS id, x AS at, 1 AS "
                     "kind, '' AS title, 0 AS freq, 0 AS start_at, 0 AS end_at, 0 AS week, 0 AS "
                     "lead, 0 AS companion, 1 AS present, 0 AS outcome, 0 AS planned, 0 AS "
                     "down_at, '' AS boot_id, 0 AS boot_at, '' AS instants FROM (") +
             forever + ");"},
        {"a table of its own", "CREATE TABLE notes (text TEXT);"},
        {"a column of its own", "ALTER TABLE events ADD COLUMN note TEXT;"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        journal.reset();
        fs::remove_all(dir);
        fs::create_directories(dir);
        open(); // a history of this program, with an old row that pruning would remove
        journal->record(Row(JournalKind::Sleep, kMonday0900 - 400 * 86400.0));
        ASSERT_TRUE(journal->flush());
        journal.reset();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, c.sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);

        std::vector<JournalEntry> read;
        std::string error;
        EXPECT_FALSE(SqliteJournal::readFile(path, 0, read, error));
        EXPECT_NE(error.find("not this program's history"), std::string::npos) << error;

        std::vector<SqliteJournal::Trouble> troubles;
        open();
        journal->setTroubleListener(
            [&troubles](SqliteJournal::Trouble const& t) { troubles.push_back(t); });
        journal->record(Row(JournalKind::Sleep, kMonday0900));
        ASSERT_EQ(Rows().size(), 1u);
        journal->setTroubleListener({});
        ASSERT_EQ(troubles.size(), 1u);
        EXPECT_EQ(troubles[0].kind, SqliteJournal::Trouble::Kind::SetAside);
        EXPECT_NE(troubles[0].reason.find("not this program's history"), std::string::npos)
            << troubles[0].reason;
        EXPECT_TRUE(fs::exists(troubles[0].setAsidePath));
    }
}

// Whatever a file asks of SQLite, work on it ends at its deadline, and at once once the
// program ends.
TEST(SqliteGuard, WorkEndsAtTheDeadlineOrTheStop) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    SqliteGuard guard;
    guard.attach(db, std::chrono::milliseconds(0));
    char const* const forever = "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n)"
                                " SELECT count(*) FROM n";
    guard.arm(std::chrono::milliseconds(100));
    EXPECT_EQ(sqlite3_exec(db, forever, nullptr, nullptr, nullptr), SQLITE_INTERRUPT);
    EXPECT_FALSE(guard.stopped());
    guard.arm(std::chrono::hours(1));
    guard.stop(std::chrono::milliseconds(50));
    EXPECT_EQ(sqlite3_exec(db, forever, nullptr, nullptr, nullptr), SQLITE_INTERRUPT);
    EXPECT_TRUE(guard.stopped());
    guard.arm(std::chrono::hours(1)); // no later than the stop
    EXPECT_EQ(sqlite3_exec(db, forever, nullptr, nullptr, nullptr), SQLITE_INTERRUPT);
    sqlite3_close(db);
}

// A companion's report is kept only for a hand-over it matches, once, and comes back whole.
TEST_F(SqliteJournalTest, CompanionReportsAreKeptForTheirHandOverOnly) {
    open();
    JournalEntry handed = Row(JournalKind::HandedOver, kMonday0900 - 3600);
    handed.title = "朝のニュース";
    handed.freq = (1u << 24) | 8000u; // FM 80.0
    handed.start = kMonday0900 - 3550;
    handed.end = kMonday0900 - 10;
    handed.week = 0x3e;
    journal->record(handed);

    auto report = [&](JournalKind kind) {
        JournalEntry r = Row(kind, kMonday0900);
        r.title = handed.title;
        r.freq = (1u << 24) | 8000u;
        r.start = handed.start;
        r.end = handed.end;
        r.result = RecordingOutcome::Partial;
        r.file = "/music/a.opus";
        r.seconds = 3538.5;
        r.reasonKey = "source-lost";
        r.reasonText = "The receiver was lost.";
        r.dropouts = 3;
        r.source = "receiver";
        return r;
    };
    ASSERT_TRUE(journal->flush());
    std::vector<JournalEntry> told;
    journal->setListener([&told](JournalEntry const& e) { told.push_back(e); });
    JournalEntry longOver = report(JournalKind::RecordingFinished);
    longOver.at = handed.end + 86400.0 + 1.0; // about a hand-over long over
    journal->record(longOver);
    journal->record(report(JournalKind::RecordingStarted));
    journal->record(report(JournalKind::RecordingFinished));
    journal->record(report(JournalKind::RecordingFinished)); // repeated: kept once
    JournalEntry other = report(JournalKind::RecordingFinished);
    other.freq = 8000u; // AM 8000: another station
    journal->record(other);
    other = report(JournalKind::RecordingFinished);
    other.title = "Other";
    journal->record(other);
    std::vector<JournalEntry> const rows = Rows();
    journal->setListener({});

    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(told.size(), 2u);
    JournalEntry const& finished = rows[0];
    EXPECT_EQ(finished.kind, JournalKind::RecordingFinished);
    EXPECT_EQ(finished.at, kMonday0900);
    EXPECT_EQ(rows[1].kind, JournalKind::RecordingStarted);
    EXPECT_EQ(finished.week, 0x3eu);
    EXPECT_EQ(finished.result, RecordingOutcome::Partial);
    EXPECT_TRUE(finished.failed());
    EXPECT_EQ(finished.file, "/music/a.opus");
    EXPECT_EQ(finished.seconds, 3538.5);
    EXPECT_EQ(finished.reasonKey, "source-lost");
    EXPECT_EQ(finished.reasonText, "The receiver was lost.");
    EXPECT_EQ(finished.dropouts, 3);
    EXPECT_EQ(finished.source, "receiver");
}
