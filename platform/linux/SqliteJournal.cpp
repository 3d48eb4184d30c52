#include "platform/linux/SqliteJournal.h"

#include "engine/JournalReasons.h"

#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kBusyTimeoutMs = 2000;
constexpr int kReadBusyTimeoutMs = 200; // reads come from the window: never wait long
constexpr auto kRetryUnavailable = std::chrono::seconds(60);
constexpr double kPruneEvery = 86400.0;

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
};
static_assert(std::size(kMigrations) == SqliteJournal::kSchemaVersion);

constexpr char const* kColumns = "id, at, kind, title, freq, start_at, end_at, week, lead, "
                                 "companion, present, outcome, planned, down_at, boot_id, "
                                 "boot_at, instants";

double WallClock() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string JoinInstants(std::vector<double> const& instants) {
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

std::vector<double> SplitInstants(char const* text) {
    std::vector<double> instants;
    if (text == nullptr) {
        return instants;
    }
    char const* cursor = text;
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
int OutcomeOf(JournalEntry const& entry) {
    switch (entry.kind) {
    case JournalKind::Missed:
        return static_cast<int>(entry.reason);
    case JournalKind::Woke:
        return static_cast<int>(entry.wake);
    case JournalKind::ProgramExited:
        return static_cast<int>(entry.exitCause);
    default:
        return 0;
    }
}

class Statement {
public:
    Statement(sqlite3* db, char const* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(Statement const&) = delete;
    Statement& operator=(Statement const&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }
    void bind(int i, double v) { sqlite3_bind_double(m_stmt, i, v); }
    void bind(int i, int64_t v) { sqlite3_bind_int64(m_stmt, i, v); }
    void bind(int i, std::string const& v) {
        sqlite3_bind_text(m_stmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    int step() { return m_stmt != nullptr ? sqlite3_step(m_stmt) : SQLITE_ERROR; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

JournalEntry EntryFromRow(sqlite3_stmt* row) {
    auto text = [row](int column) {
        auto const* bytes = sqlite3_column_text(row, column);
        return bytes != nullptr ? std::string(reinterpret_cast<char const*>(bytes)) : std::string();
    };
    JournalEntry entry;
    entry.id = sqlite3_column_int64(row, 0);
    entry.at = sqlite3_column_double(row, 1);
    entry.kind = static_cast<JournalKind>(sqlite3_column_int(row, 2));
    entry.title = text(3);
    entry.freq = static_cast<uint32_t>(sqlite3_column_int64(row, 4));
    entry.start = sqlite3_column_double(row, 5);
    entry.end = sqlite3_column_double(row, 6);
    entry.week = static_cast<uint32_t>(sqlite3_column_int64(row, 7));
    entry.lead = sqlite3_column_double(row, 8);
    entry.companion = static_cast<CompanionState>(sqlite3_column_int(row, 9));
    entry.present = sqlite3_column_int(row, 10) != 0;
    int const outcome = sqlite3_column_int(row, 11);
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
    default:
        break;
    }
    entry.planned = sqlite3_column_double(row, 12);
    entry.down = sqlite3_column_double(row, 13);
    entry.bootId = text(14);
    entry.bootAt = sqlite3_column_double(row, 15);
    entry.instants = SplitInstants(reinterpret_cast<char const*>(sqlite3_column_text(row, 16)));
    entry.boot = entry.kind == JournalKind::Woke && !entry.bootId.empty();
    return entry;
}

// The newest entries first, at most limit (0: all).
bool ReadNewest(sqlite3* db, std::size_t limit, std::vector<JournalEntry>& entries) {
    std::string const sql =
        std::string("SELECT ") + kColumns + " FROM events ORDER BY at DESC, id DESC LIMIT ?1";
    Statement ask(db, sql.c_str());
    if (!ask.ok()) {
        return false;
    }
    ask.bind(1, limit == 0 ? int64_t{-1} : static_cast<int64_t>(limit));
    if (limit != 0) {
        entries.reserve(limit);
    }
    int result = SQLITE_ROW;
    while ((result = ask.step()) == SQLITE_ROW) {
        entries.push_back(EntryFromRow(ask.get()));
    }
    return result == SQLITE_DONE;
}

bool FileExists(std::string const& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string DamagedName(std::string const& path) {
    time_t const now = ::time(nullptr);
    struct tm parts {};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
    std::string const base = path + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; FileExists(name) || FileExists(name + "-wal"); ++n) {
        name = base + "-" + std::to_string(n);
    }
    return name;
}

} // namespace

struct SqliteJournalImpl {
    using Options = SqliteJournal::Options;
    using Trouble = SqliteJournal::Trouble;
    using Listener = SqliteJournal::Listener;
    using TroubleListener = SqliteJournal::TroubleListener;
    static constexpr int kSchemaVersion = SqliteJournal::kSchemaVersion;

    std::string path;
    Options options;

    std::mutex queueMutex;
    std::condition_variable queueChanged; // entries waiting, or the stop
    std::condition_variable handledMore;  // for Flush
    std::deque<JournalEntry> queue;
    uint64_t recorded = 0;
    uint64_t handled = 0;
    bool opened = false; // the file was opened (or given up) for the first time
    bool stop = false;

    std::mutex listenerMutex;
    Listener listener;
    TroubleListener troubleListener;
    std::vector<Trouble> troubles; // told again to a trouble listener set later

    // The journal's thread only.
    sqlite3* db = nullptr;
    bool unavailable = false;
    std::chrono::steady_clock::time_point retryAt{};
    double lastPrune = 0.0;
    std::string error;

    // Bumped whenever the file is replaced, so that the reading connection opens anew.
    std::atomic<uint64_t> generation{0};
    std::mutex readMutex;
    sqlite3* reader = nullptr;
    uint64_t readerGeneration = 0;

    std::thread thread;

    double now() const { return options.now ? options.now() : WallClock(); }

    // ---- the file -------------------------------------------------------------------

    bool Fail(sqlite3* connection, char const* what) {
        error = what;
        if (connection != nullptr) {
            error += ": ";
            error += sqlite3_errmsg(connection);
        }
        return false;
    }

    bool Exec(char const* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            error = message != nullptr ? message : sqlite3_errmsg(db);
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    bool Open() {
        error.clear();
        // Made private: the history names the user's programmes. No symbolic links, and
        // nothing but a regular file.
        int const fd =
            ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = std::strerror(errno);
            return false;
        }
        struct stat st {};
        bool const regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        ::close(fd);
        if (!regular) {
            error = "not a regular file";
            return false;
        }
        if (sqlite3_open_v2(path.c_str(), &db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW,
                            nullptr) != SQLITE_OK) {
            return Fail(db, "cannot open");
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        {
            Statement wal(db, "PRAGMA journal_mode=WAL");
            if (wal.step() != SQLITE_ROW ||
                std::strcmp(reinterpret_cast<char const*>(sqlite3_column_text(wal.get(), 0)),
                            "wal") != 0) {
                return Fail(db, "cannot use write-ahead logging");
            }
        }
        if (!Exec("PRAGMA synchronous=NORMAL")) {
            return false;
        }
        {
            Statement check(db, "PRAGMA quick_check");
            auto const* answer =
                check.step() == SQLITE_ROW
                    ? reinterpret_cast<char const*>(sqlite3_column_text(check.get(), 0))
                    : nullptr;
            if (answer == nullptr || std::strcmp(answer, "ok") != 0) {
                error = answer != nullptr ? answer : sqlite3_errmsg(db);
                return false;
            }
        }
        int version = 0;
        {
            Statement ask(db, "PRAGMA user_version");
            if (ask.step() != SQLITE_ROW) {
                return Fail(db, "cannot read the schema version");
            }
            version = sqlite3_column_int(ask.get(), 0);
        }
        if (version < 0 || version > kSchemaVersion) {
            error = "written by a newer version (schema " + std::to_string(version) + ")";
            return false;
        }
        for (int step = version; step < kSchemaVersion; ++step) {
            std::string const sql = std::string("BEGIN IMMEDIATE;") + kMigrations[step] +
                                    "PRAGMA user_version=" + std::to_string(step + 1) + ";COMMIT;";
            if (!Exec(sql.c_str())) {
                std::string const why = error;
                Exec("ROLLBACK");
                error =
                    "cannot bring the schema to version " + std::to_string(step + 1) + ": " + why;
                return false;
            }
        }
        return Prune();
    }

    void Close() {
        if (db != nullptr) {
            sqlite3_close_v2(db);
            db = nullptr;
        }
    }

    bool Prune() {
        lastPrune = now();
        Statement prune(db, "DELETE FROM events WHERE at < ?1");
        prune.bind(1, lastPrune - options.keepSeconds);
        return prune.step() == SQLITE_DONE || Fail(db, "cannot remove old rows");
    }

    // Moves an unusable file (and its write-ahead log) out of the way under a new name, so
    // that nothing in it is lost. Answers that name, or "" when nothing needed keeping.
    std::string SetAside() {
        std::string const wal = path + "-wal";
        ::unlink((path + "-shm").c_str());
        struct stat st {};
        bool const hasFile = ::lstat(path.c_str(), &st) == 0;
        bool const hasWal = FileExists(wal);
        if (!hasFile || (S_ISREG(st.st_mode) && st.st_size == 0 && !hasWal)) {
            ::unlink(path.c_str());
            return {};
        }
        std::string const aside = DamagedName(path);
        if (::rename(path.c_str(), aside.c_str()) != 0) {
            return {};
        }
        if (hasWal) {
            ::rename(wal.c_str(), (aside + "-wal").c_str());
        }
        return aside;
    }

    void Tell(Trouble const& trouble) {
        std::lock_guard lock(listenerMutex);
        troubles.push_back(trouble);
        if (troubleListener) {
            troubleListener(trouble);
        }
    }

    // The file cannot be used: keep it aside and begin a new one.
    void Replace(std::string const& why) {
        Close();
        std::string const aside = SetAside();
        generation.fetch_add(1);
        if (Open()) {
            if (!aside.empty()) {
                Tell({Trouble::Kind::SetAside, why, aside});
            }
            return;
        }
        Close();
        // Not even a new file: carry on without, and try again later.
        unavailable = true;
        retryAt = std::chrono::steady_clock::now() + kRetryUnavailable;
        Tell({Trouble::Kind::Unavailable, error.empty() ? why : error, aside});
    }

    void OpenOrReplace() {
        if (!Open()) {
            Replace(error);
        }
    }

    void RetryIfDue() {
        if (!unavailable || std::chrono::steady_clock::now() < retryAt) {
            return;
        }
        if (Open()) {
            unavailable = false;
            generation.fetch_add(1);
            Tell({Trouble::Kind::Recovered, {}, {}});
        } else {
            Close();
            retryAt = std::chrono::steady_clock::now() + kRetryUnavailable;
        }
    }

    // ---- queries on the journal's thread ----------------------------------------------

    std::optional<JournalEntry> LastOf(char const* kinds, double atOrBefore) {
        std::string const sql = std::string("SELECT ") + kColumns + " FROM events WHERE kind IN (" +
                                kinds + ") AND at <= ?1 ORDER BY at DESC, id DESC LIMIT 1";
        Statement ask(db, sql.c_str());
        ask.bind(1, atOrBefore);
        if (ask.step() != SQLITE_ROW) {
            return std::nullopt;
        }
        return EntryFromRow(ask.get());
    }

    std::vector<double> PlanInForce(double at) {
        std::optional<JournalEntry> const plan = LastOf("7", at);
        return plan ? plan->instants : std::vector<double>();
    }

    // The rows a miss's reason is derived from: everything about runs, sleeps and plans
    // from the last program start before the reservation's start (and the plan in force
    // then) to now.
    bool Context(double start, std::vector<JournalEntry>& rows) {
        double from = start;
        if (std::optional<JournalEntry> const run = LastOf("4", start)) {
            from = run->at;
        }
        if (std::optional<JournalEntry> plan = LastOf("7", from)) {
            if (plan->at < from) {
                rows.push_back(std::move(*plan));
            }
        }
        std::string const sql = std::string("SELECT ") + kColumns +
                                " FROM events WHERE kind IN (3, 4, 5, 6, 7) AND at >= ?1 "
                                "ORDER BY at, id";
        Statement ask(db, sql.c_str());
        if (!ask.ok()) {
            return Fail(db, "cannot read");
        }
        ask.bind(1, from);
        int result = SQLITE_ROW;
        while ((result = ask.step()) == SQLITE_ROW) {
            rows.push_back(EntryFromRow(ask.get()));
        }
        return result == SQLITE_DONE || Fail(db, "cannot read");
    }

    bool Insert(JournalEntry& entry, bool ignoreRepeat) {
        std::string const sql =
            std::string(ignoreRepeat ? "INSERT OR IGNORE" : "INSERT") +
            " INTO events (at, kind, title, freq, start_at, end_at, week, lead, companion, "
            "present, outcome, planned, down_at, boot_id, boot_at, instants) VALUES "
            "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)";
        Statement insert(db, sql.c_str());
        if (!insert.ok()) {
            return Fail(db, "cannot write");
        }
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
        insert.bind(11, static_cast<int64_t>(OutcomeOf(entry)));
        insert.bind(12, entry.planned);
        insert.bind(13, entry.down);
        insert.bind(14, entry.bootId);
        insert.bind(15, entry.bootAt);
        insert.bind(16, JoinInstants(entry.instants));
        if (insert.step() != SQLITE_DONE) {
            return Fail(db, "cannot write");
        }
        entry.id = sqlite3_changes(db) > 0 ? sqlite3_last_insert_rowid(db) : 0;
        return true;
    }

    // Writes one entry, with what is derived from earlier rows; appends to told what the
    // listener is to hear.
    bool Handle(JournalEntry entry, std::vector<JournalEntry>& told) {
        switch (entry.kind) {
        case JournalKind::Missed: {
            std::vector<JournalEntry> rows;
            if (!Context(entry.start, rows)) {
                return false;
            }
            entry.reason = DeriveMissReason(rows, entry.start);
            if (!Insert(entry, true)) {
                return false;
            }
            if (entry.id != 0) { // not a miss already known
                told.push_back(std::move(entry));
            }
            return true;
        }
        case JournalKind::Woke: {
            std::optional<double> down;
            std::optional<JournalEntry> const last = LastOf("3, 4, 6", entry.at);
            if (last && last->kind == JournalKind::Sleep) {
                down = last->at;
            }
            WakeAssessment const wake = AssessWake(entry.at, down, PlanInForce(entry.at));
            entry.wake = wake.outcome;
            entry.planned = wake.planned;
            entry.down = down.value_or(0.0);
            break;
        }
        case JournalKind::ProgramStarted: {
            if (!entry.bootId.empty()) {
                Statement seen(db, "SELECT 1 FROM events WHERE kind = 4 AND boot_id = ?1");
                seen.bind(1, entry.bootId);
                if (seen.step() == SQLITE_DONE) {
                    // The first run of this boot: the computer came up for it. When it went
                    // down is known only if the last run ended with the session.
                    std::optional<double> down;
                    std::optional<JournalEntry> const last = LastOf("4, 5", entry.at);
                    if (last && last->kind == JournalKind::ProgramExited &&
                        last->exitCause == ExitCause::Ended) {
                        down = last->at;
                    }
                    JournalEntry woke;
                    woke.kind = JournalKind::Woke;
                    woke.at = entry.bootAt > 0.0 ? entry.bootAt : entry.at;
                    woke.boot = true;
                    woke.bootId = entry.bootId;
                    woke.bootAt = entry.bootAt;
                    WakeAssessment const wake = AssessWake(woke.at, down, PlanInForce(woke.at));
                    woke.wake = wake.outcome;
                    woke.planned = wake.planned;
                    woke.down = down.value_or(0.0);
                    if (!Insert(woke, false)) {
                        return false;
                    }
                    told.push_back(std::move(woke));
                }
            }
            break;
        }
        case JournalKind::WakeUpsPlanned: {
            // Only changes of plan: re-planning after every edit mostly plans the same.
            std::optional<JournalEntry> const last = LastOf("7", entry.at);
            if (last ? last->instants == entry.instants : entry.instants.empty()) {
                return true;
            }
            break;
        }
        case JournalKind::ShutdownPlanned:
        case JournalKind::ShutdownCancelled: {
            std::optional<JournalEntry> const last = LastOf("8, 9", entry.at);
            bool const cancelled = entry.kind == JournalKind::ShutdownCancelled;
            if (last ? (last->kind == entry.kind && (cancelled || last->instants == entry.instants))
                     : cancelled) {
                return true;
            }
            break;
        }
        default:
            break;
        }
        if (!Insert(entry, false)) {
            return false;
        }
        told.push_back(std::move(entry));
        return true;
    }

    bool WriteAll(std::deque<JournalEntry> const& batch, std::vector<JournalEntry>& told) {
        told.clear();
        if (!Exec("BEGIN IMMEDIATE")) {
            return false;
        }
        for (JournalEntry const& entry : batch) {
            if (!Handle(entry, told)) {
                std::string const why = error;
                Exec("ROLLBACK");
                error = why;
                return false;
            }
        }
        if (!Exec("COMMIT")) {
            std::string const why = error;
            Exec("ROLLBACK");
            error = why;
            return false;
        }
        return true;
    }

    // Without a file the listeners still hear of every entry, with what can be said
    // without history.
    static std::vector<JournalEntry> Unstored(std::deque<JournalEntry> const& batch) {
        std::vector<JournalEntry> told(batch.begin(), batch.end());
        for (JournalEntry& entry : told) {
            entry.id = 0;
            if (entry.kind == JournalKind::Missed) {
                entry.reason = MissReason::Unknown;
            } else if (entry.kind == JournalKind::Woke) {
                entry.wake = WakeOutcome::ByHand;
            }
        }
        return told;
    }

    std::vector<JournalEntry> Write(std::deque<JournalEntry> const& batch) {
        RetryIfDue();
        std::vector<JournalEntry> told;
        if (db != nullptr) {
            if (WriteAll(batch, told)) {
                if (now() - lastPrune >= kPruneEvery) {
                    Prune();
                }
                return told;
            }
            // The file failed mid-way (damaged, the disk full): the entries go into a new
            // one.
            Replace(error);
            if (db != nullptr && WriteAll(batch, told)) {
                return told;
            }
        }
        return Unstored(batch);
    }

    void Loop() {
        OpenOrReplace();
        std::unique_lock lock(queueMutex);
        opened = true;
        handledMore.notify_all();
        for (;;) {
            queueChanged.wait(lock, [this] { return stop || !queue.empty(); });
            if (queue.empty()) {
                break; // stopping, and everything is written
            }
            std::deque<JournalEntry> batch;
            batch.swap(queue);
            lock.unlock();
            std::vector<JournalEntry> const told = Write(batch);
            {
                std::lock_guard listening(listenerMutex);
                if (listener) {
                    for (JournalEntry const& entry : told) {
                        listener(entry);
                    }
                }
            }
            lock.lock();
            handled += batch.size();
            handledMore.notify_all();
        }
        lock.unlock();
        Close();
    }

    // ---- reading, on the caller's thread ----------------------------------------------

    sqlite3* Reader() {
        uint64_t const current = generation.load();
        if (reader != nullptr && readerGeneration == current) {
            return reader;
        }
        if (reader != nullptr) {
            sqlite3_close_v2(reader);
            reader = nullptr;
        }
        readerGeneration = current;
        // Not created here: that is the journal thread's work, migration included.
        if (sqlite3_open_v2(path.c_str(), &reader,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW,
                            nullptr) != SQLITE_OK) {
            sqlite3_close_v2(reader);
            reader = nullptr;
            return nullptr;
        }
        sqlite3_busy_timeout(reader, kReadBusyTimeoutMs);
        Statement ask(reader, "PRAGMA user_version");
        if (ask.step() != SQLITE_ROW || sqlite3_column_int(ask.get(), 0) != kSchemaVersion) {
            sqlite3_close_v2(reader); // not migrated yet: looked at again next time
            reader = nullptr;
        }
        return reader;
    }
};

SqliteJournal::SqliteJournal(std::string path) : SqliteJournal(std::move(path), Options()) {}

SqliteJournal::SqliteJournal(std::string path, Options options)
    : m(std::make_unique<SqliteJournalImpl>()) {
    m->path = std::move(path);
    m->options = std::move(options);
    m->thread = std::thread([impl = m.get()] { impl->Loop(); });
}

SqliteJournal::~SqliteJournal() {
    {
        std::lock_guard lock(m->queueMutex);
        m->stop = true;
    }
    m->queueChanged.notify_all();
    m->thread.join();
    std::lock_guard lock(m->readMutex);
    if (m->reader != nullptr) {
        sqlite3_close_v2(m->reader);
        m->reader = nullptr;
    }
}

void SqliteJournal::Record(JournalEntry const& entry) {
    {
        std::lock_guard lock(m->queueMutex);
        if (m->stop) {
            return;
        }
        if (m->queue.size() >= m->options.maxQueued) {
            m->queue.pop_front();
            ++m->handled;
        }
        m->queue.push_back(entry);
        ++m->recorded;
    }
    m->queueChanged.notify_one();
}

std::vector<JournalEntry> SqliteJournal::Read(std::size_t limit) {
    std::vector<JournalEntry> entries;
    std::lock_guard lock(m->readMutex);
    if (sqlite3* const db = m->Reader()) {
        ReadNewest(db, limit, entries);
    }
    return entries;
}

bool SqliteJournal::ReadFile(std::string const& path, std::size_t limit,
                             std::vector<JournalEntry>& entries, std::string& error) {
    entries.clear();
    sqlite3* db = nullptr;
    // Read-write so that the shared memory of a log left behind can be set up; nothing is
    // written. A file that does not exist is not created.
    int opened =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (opened == SQLITE_CANTOPEN || opened == SQLITE_READONLY || opened == SQLITE_PERM) {
        sqlite3_close_v2(db);
        db = nullptr;
        opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW,
                                 nullptr);
    }
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> const closer(db, &sqlite3_close_v2);
    if (opened != SQLITE_OK) {
        error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(opened);
        return false;
    }
    sqlite3_busy_timeout(db, kReadBusyTimeoutMs);
    Statement ask(db, "PRAGMA user_version");
    if (ask.step() != SQLITE_ROW) {
        error = sqlite3_errmsg(db);
        return false;
    }
    int const version = sqlite3_column_int(ask.get(), 0);
    if (version != kSchemaVersion) {
        error = "schema version " + std::to_string(version) + ", this program reads " +
                std::to_string(kSchemaVersion);
        return false;
    }
    if (!ReadNewest(db, limit, entries)) {
        error = sqlite3_errmsg(db);
        return false;
    }
    return true;
}

std::optional<JournalEntry> SqliteJournal::FindMiss(std::string const& title, uint32_t freq,
                                                    double start, double end) {
    std::lock_guard lock(m->readMutex);
    sqlite3* const db = m->Reader();
    if (db == nullptr) {
        return std::nullopt;
    }
    std::string const sql = std::string("SELECT ") + kColumns +
                            " FROM events WHERE kind = 2 AND title = ?1 AND freq = ?2 AND "
                            "start_at = ?3 AND end_at = ?4 LIMIT 1";
    Statement ask(db, sql.c_str());
    ask.bind(1, title);
    ask.bind(2, static_cast<int64_t>(freq));
    ask.bind(3, start);
    ask.bind(4, end);
    if (ask.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return EntryFromRow(ask.get());
}

void SqliteJournal::setListener(Listener listener) {
    std::lock_guard lock(m->listenerMutex);
    m->listener = std::move(listener);
}

void SqliteJournal::setTroubleListener(TroubleListener listener) {
    std::lock_guard lock(m->listenerMutex);
    m->troubleListener = std::move(listener);
    if (m->troubleListener) {
        for (Trouble const& trouble : m->troubles) {
            m->troubleListener(trouble);
        }
    }
}

bool SqliteJournal::Flush(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m->queueMutex);
    uint64_t const target = m->recorded;
    return m->handledMore.wait_for(lock, timeout,
                                   [&] { return m->opened && m->handled >= target; });
}

std::string const& SqliteJournal::path() const {
    return m->path;
}
