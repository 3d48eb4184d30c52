#include "history/JournalSchema.h"

#include "history/SqliteStatement.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

// Each step takes the schema from the version before it to its own number.
constexpr char const* kMigrations[] = {
    // 1: one table of events, every kind in the same row shape.
    "CREATE TABLE events ("
    " id INTEGER PRIMARY KEY,"
    " at REAL NOT NULL,"
    " kind INTEGER NOT NULL,"
    " title TEXT NOT NULL DEFAULT '',"
    " freq INTEGER NOT NULL DEFAULT 0,"
    " start_at REAL NOT NULL DEFAULT 0,"
    " end_at REAL NOT NULL DEFAULT 0,"
    " week INTEGER NOT NULL DEFAULT 0,"
    " lead REAL NOT NULL DEFAULT 0,"
    " companion INTEGER NOT NULL DEFAULT 0,"
    " outcome INTEGER NOT NULL DEFAULT 0,"
    " planned REAL NOT NULL DEFAULT 0,"
    " boot_id TEXT NOT NULL DEFAULT '',"
    " boot_at REAL NOT NULL DEFAULT 0,"
    " instants TEXT NOT NULL DEFAULT '');"
    "CREATE INDEX events_at ON events(at);",
    // 2: whether the companion's bus name was there at a hand-over (not known for older
    // rows, taken as there), when the computer went down before it woke, and one miss per
    // occurrence of a reservation.
    "ALTER TABLE events ADD COLUMN present INTEGER NOT NULL DEFAULT 1;"
    "ALTER TABLE events ADD COLUMN down_at REAL NOT NULL DEFAULT 0;"
    "DELETE FROM events WHERE kind = 2 AND id NOT IN"
    " (SELECT min(id) FROM events WHERE kind = 2 GROUP BY title, freq, start_at, end_at);"
    "CREATE UNIQUE INDEX events_one_miss ON events(title, freq, start_at, end_at)"
    " WHERE kind = 2;",
    // 3: the companion's reports on a hand-over (kinds 12 and 13, "outcome" their result),
    // one of each kind per occurrence of a reservation.
    "ALTER TABLE events ADD COLUMN file TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE events ADD COLUMN seconds REAL NOT NULL DEFAULT 0;"
    "ALTER TABLE events ADD COLUMN reason_key TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE events ADD COLUMN reason_text TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE events ADD COLUMN dropouts INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE events ADD COLUMN source TEXT NOT NULL DEFAULT '';"
    "CREATE UNIQUE INDEX events_one_report ON events(kind, title, freq, start_at, end_at)"
    " WHERE kind IN (12, 13);",
};
static_assert(std::size(kMigrations) == JournalSchema::kVersion);

constexpr char const* kColumns = "id, at, kind, title, freq, start_at, end_at, week, lead, "
                                 "companion, present, outcome, planned, down_at, boot_id, "
                                 "boot_at, instants, file, seconds, reason_key, reason_text, "
                                 "dropouts, source";

std::string select(char const* rest) {
    return std::string("SELECT ") + kColumns + " FROM events " + rest;
}

std::string joinInstants(std::vector<double> const& instants) {
    std::string text;
    char number[64];
    for (double const instant : instants) {
        std::snprintf(number, sizeof number, "%.3f", instant);
        if (!text.empty()) {
            text.push_back(' ');
        }
        text += number;
    }
    return text;
}

std::vector<double> splitInstants(std::string const& text) {
    std::vector<double> instants;
    char const* cursor = text.c_str();
    for (;;) {
        char* next = nullptr;
        double const value = std::strtod(cursor, &next);
        if (next == cursor) {
            break;
        }
        instants.push_back(value);
        cursor = next;
    }
    return instants;
}

// The one integer column that says how it went, read according to the kind.
int outcomeOf(JournalEntry const& entry) {
    switch (entry.kind) {
    case JournalKind::Missed:
        return static_cast<int>(entry.reason);
    case JournalKind::Woke:
        return static_cast<int>(entry.wake);
    case JournalKind::ProgramExited:
        return static_cast<int>(entry.exitCause);
    case JournalKind::TestWakeUp:
        return static_cast<int>(entry.test);
    case JournalKind::RecordingFinished:
        return static_cast<int>(entry.result);
    default:
        return 0;
    }
}

JournalEntry entryFromRow(SqliteStatement const& row) {
    sqlite3_stmt* const r = row.get();
    JournalEntry entry;
    entry.id = sqlite3_column_int64(r, 0);
    entry.at = sqlite3_column_double(r, 1);
    entry.kind = static_cast<JournalKind>(sqlite3_column_int(r, 2));
    entry.title = row.text(3);
    entry.freq = static_cast<uint32_t>(sqlite3_column_int64(r, 4));
    entry.start = sqlite3_column_double(r, 5);
    entry.end = sqlite3_column_double(r, 6);
    entry.week = static_cast<uint32_t>(sqlite3_column_int64(r, 7));
    entry.lead = sqlite3_column_double(r, 8);
    entry.companion = static_cast<CompanionState>(sqlite3_column_int(r, 9));
    entry.present = sqlite3_column_int(r, 10) != 0;
    int const outcome = sqlite3_column_int(r, 11);
    switch (entry.kind) {
    case JournalKind::Missed:
        entry.reason = static_cast<MissReason>(outcome);
        break;
    case JournalKind::Woke:
        entry.wake = static_cast<WakeOutcome>(outcome);
        break;
    case JournalKind::ProgramExited:
        entry.exitCause = static_cast<ExitCause>(outcome);
        break;
    case JournalKind::TestWakeUp:
        entry.test = static_cast<TestWakeOutcome>(outcome);
        break;
    case JournalKind::RecordingFinished:
        // A damaged row holds anything: an unknown result is not a recording.
        entry.result = outcome >= 0 && outcome <= static_cast<int>(RecordingOutcome::Failed)
                           ? static_cast<RecordingOutcome>(outcome)
                           : RecordingOutcome::Failed;
        break;
    default:
        break;
    }
    entry.planned = sqlite3_column_double(r, 12);
    entry.down = sqlite3_column_double(r, 13);
    entry.bootId = row.text(14);
    entry.bootAt = sqlite3_column_double(r, 15);
    entry.instants = splitInstants(row.text(16));
    entry.file = row.text(17);
    entry.seconds = sqlite3_column_double(r, 18);
    entry.reasonKey = row.text(19);
    entry.reasonText = row.text(20);
    entry.dropouts = sqlite3_column_int(r, 21);
    entry.source = row.text(22);
    entry.boot = entry.kind == JournalKind::Woke && !entry.bootId.empty();
    return entry;
}

// The schema's objects as the file lists them, in one comparable text.
bool schemaText(sqlite3* db, std::string& text) {
    SqliteStatement ask(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY name");
    int result = SQLITE_ROW;
    while ((result = ask.step()) == SQLITE_ROW) {
        for (int column = 0; column < 4; ++column) {
            text += ask.text(column);
            text.push_back('\x1f');
        }
        text.push_back('\n');
    }
    return result == SQLITE_DONE;
}

bool exec(sqlite3* db, std::string const& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = message != nullptr ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        return false;
    }
    return true;
}

} // namespace

std::optional<int> JournalSchema::versionOf(sqlite3* db) {
    SqliteStatement ask(db, "PRAGMA user_version");
    if (ask.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return sqlite3_column_int(ask.get(), 0);
}

bool JournalSchema::isOwn(sqlite3* db, std::string& error) {
    std::optional<int> const version = versionOf(db);
    std::string found;
    if (!version || !schemaText(db, found)) {
        error = std::string("cannot read the schema: ") + sqlite3_errmsg(db);
        return false;
    }
    if (*version < 0 || *version > kVersion) {
        return true; // a newer program's: refused as such by migrate()
    }
    // What the migrations up to the file's version make, made afresh in memory.
    sqlite3* reference = nullptr;
    std::string expected;
    std::string ignored;
    bool made =
        sqlite3_open_v2(":memory:", &reference, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    for (int step = 0; made && step < *version; ++step) {
        made = exec(reference, kMigrations[step], ignored);
    }
    made = made && schemaText(reference, expected);
    sqlite3_close_v2(reference);
    if (!made) {
        error = "cannot make the schema to compare with";
        return false;
    }
    if (found != expected) {
        error = "its tables are not this program's history (schema version " +
                std::to_string(*version) + ")";
        return false;
    }
    return true;
}

bool JournalSchema::migrate(sqlite3* db, std::string& error) {
    std::optional<int> const read = versionOf(db);
    if (!read) {
        error = std::string("cannot read the schema version: ") + sqlite3_errmsg(db);
        return false;
    }
    int const version = *read;
    if (version < 0 || version > kVersion) {
        error = "written by a newer version (schema " + std::to_string(version) + ")";
        return false;
    }
    for (int step = version; step < kVersion; ++step) {
        std::string const sql = std::string("BEGIN IMMEDIATE;") + kMigrations[step] +
                                "PRAGMA user_version=" + std::to_string(step + 1) + ";COMMIT;";
        if (!exec(db, sql, error)) {
            std::string const why = error;
            exec(db, "ROLLBACK", error);
            error = "cannot bring the schema to version " + std::to_string(step + 1) + ": " + why;
            return false;
        }
    }
    return true;
}

bool JournalSchema::insert(sqlite3* db, JournalEntry& entry, bool ignoreRepeat,
                           std::string& error) {
    std::string const sql =
        std::string(ignoreRepeat ? "INSERT OR IGNORE" : "INSERT") +
        " INTO events (at, kind, title, freq, start_at, end_at, week, lead, companion, "
        "present, outcome, planned, down_at, boot_id, boot_at, instants, file, seconds, "
        "reason_key, reason_text, dropouts, source) VALUES "
        "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, "
        "?20, ?21, ?22)";
    SqliteStatement insert(db, sql.c_str());
    if (insert.ok()) {
        insert.bind(1, entry.at);
        insert.bind(2, static_cast<int64_t>(entry.kind));
        insert.bind(3, entry.title);
        insert.bind(4, static_cast<int64_t>(entry.freq));
        insert.bind(5, entry.start);
        insert.bind(6, entry.end);
        insert.bind(7, static_cast<int64_t>(entry.week));
        insert.bind(8, entry.lead);
        insert.bind(9, static_cast<int64_t>(entry.companion));
        insert.bind(10, static_cast<int64_t>(entry.present ? 1 : 0));
        insert.bind(11, static_cast<int64_t>(outcomeOf(entry)));
        insert.bind(12, entry.planned);
        insert.bind(13, entry.down);
        insert.bind(14, entry.bootId);
        insert.bind(15, entry.bootAt);
        insert.bind(16, joinInstants(entry.instants));
        insert.bind(17, entry.file);
        insert.bind(18, entry.seconds);
        insert.bind(19, entry.reasonKey);
        insert.bind(20, entry.reasonText);
        insert.bind(21, static_cast<int64_t>(entry.dropouts));
        insert.bind(22, entry.source);
        if (insert.step() == SQLITE_DONE) {
            entry.id = sqlite3_changes(db) > 0 ? sqlite3_last_insert_rowid(db) : 0;
            return true;
        }
    }
    error = std::string("cannot write: ") + sqlite3_errmsg(db);
    return false;
}

bool JournalSchema::readNewest(sqlite3* db, std::size_t limit, std::vector<JournalEntry>& entries) {
    SqliteStatement ask(db, select("ORDER BY at DESC, id DESC LIMIT ?1").c_str());
    if (!ask.ok()) {
        return false;
    }
    ask.bind(1, limit == 0 ? int64_t{-1} : static_cast<int64_t>(limit));
    if (limit != 0) {
        entries.reserve(limit);
    }
    int result = SQLITE_ROW;
    while ((result = ask.step()) == SQLITE_ROW) {
        entries.push_back(entryFromRow(ask));
    }
    return result == SQLITE_DONE;
}

std::optional<JournalEntry> JournalSchema::lastOf(sqlite3* db, char const* kinds,
                                                  double atOrBefore) {
    std::string const sql =
        select("WHERE kind IN (") + kinds + ") AND at <= ?1 ORDER BY at DESC, id DESC LIMIT 1";
    SqliteStatement ask(db, sql.c_str());
    ask.bind(1, atOrBefore);
    if (ask.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return entryFromRow(ask);
}

bool JournalSchema::readFrom(sqlite3* db, char const* kinds, double from,
                             std::vector<JournalEntry>& rows) {
    std::string const sql = select("WHERE kind IN (") + kinds + ") AND at >= ?1 ORDER BY at, id";
    SqliteStatement ask(db, sql.c_str());
    if (!ask.ok()) {
        return false;
    }
    ask.bind(1, from);
    int result = SQLITE_ROW;
    while ((result = ask.step()) == SQLITE_ROW) {
        rows.push_back(entryFromRow(ask));
    }
    return result == SQLITE_DONE;
}

std::optional<JournalEntry> JournalSchema::findMiss(sqlite3* db, std::string const& title,
                                                    uint32_t freq, double start, double end) {
    SqliteStatement ask(db, select("WHERE kind = 2 AND title = ?1 AND freq = ?2 AND "
                                   "start_at = ?3 AND end_at = ?4 LIMIT 1")
                                .c_str());
    ask.bind(1, title);
    ask.bind(2, static_cast<int64_t>(freq));
    ask.bind(3, start);
    ask.bind(4, end);
    if (ask.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return entryFromRow(ask);
}

std::optional<JournalEntry> JournalSchema::findHandOver(sqlite3* db, JournalEntry const& report,
                                                        double endedAfter) {
    SqliteStatement ask(db, select("WHERE kind = 1 AND title = ?1 AND (freq & 65535) = ?2 AND "
                                   "((freq >> 24) != 0) = ?3 AND start_at = ?4 AND end_at = ?5 "
                                   "AND end_at >= ?6 ORDER BY at DESC, id DESC LIMIT 1")
                                .c_str());
    ask.bind(1, report.title);
    ask.bind(2, static_cast<int64_t>(report.freq & 0xFFFFu));
    ask.bind(3, static_cast<int64_t>((report.freq >> 24) != 0 ? 1 : 0));
    ask.bind(4, report.start);
    ask.bind(5, report.end);
    ask.bind(6, endedAfter);
    if (ask.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return entryFromRow(ask);
}

bool JournalSchema::bootSeen(sqlite3* db, std::string const& bootId) {
    SqliteStatement seen(db, "SELECT 1 FROM events WHERE kind = 4 AND boot_id = ?1");
    seen.bind(1, bootId);
    return seen.step() != SQLITE_DONE;
}

bool JournalSchema::pruneBefore(sqlite3* db, double instant) {
    SqliteStatement prune(db, "DELETE FROM events WHERE at < ?1");
    prune.bind(1, instant);
    return prune.step() == SQLITE_DONE;
}
