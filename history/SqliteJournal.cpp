#include "history/SqliteJournal.h"

#include "history/JournalSchema.h"
#include "history/MissReasons.h"
#include "history/SqliteGuard.h"
#include "history/SqliteStatement.h"

#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kBusyWait = std::chrono::milliseconds(2000);
constexpr auto kReadBusyWait = std::chrono::milliseconds(200); // reads come from the window
// The longest the file may keep the journal's thread, or a reader, on one piece of work.
constexpr auto kWorkDeadline = std::chrono::seconds(30);
constexpr auto kReadDeadline = std::chrono::seconds(2);
constexpr auto kFileReadDeadline = std::chrono::seconds(10);
// How long the end of the program waits for what is still to be written.
constexpr auto kStopGrace = std::chrono::seconds(1);
constexpr auto kRetryUnavailable = std::chrono::seconds(60);
constexpr double kPruneEvery = 86400.0;
// A companion's report is matched to hand-overs whose end is at most this long ago.
constexpr double kReportWithinSeconds = 86400.0;

double wallClock() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

bool fileExists(std::string const& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string damagedName(std::string const& path) {
    time_t const now = ::time(nullptr);
    struct tm parts {};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
    std::string const base = path + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; fileExists(name) || fileExists(name + "-wal"); ++n) {
        name = base + "-" + std::to_string(n);
    }
    return name;
}

} // namespace

// The journal's thread and its file: entries wait in a queue and are written in batches, one
// transaction each, with what the rows before them say about them.
class SqliteJournalPrivate {
public:
    using Options = SqliteJournal::Options;
    using Trouble = SqliteJournal::Trouble;

    std::string path;
    Options options;

    std::mutex queueMutex;
    std::condition_variable queueChanged; // entries waiting, or the stop
    std::condition_variable handledMore;  // for flush()
    std::deque<JournalEntry> queue;
    uint64_t recorded = 0;
    uint64_t handled = 0;
    bool opened = false; // the file was opened (or given up) for the first time
    bool stop = false;

    std::mutex listenerMutex;
    SqliteJournal::Listener listener;
    SqliteJournal::TroubleListener troubleListener;
    std::vector<Trouble> troubles; // told again to a trouble listener set later

    // The journal's thread only (the guard's stop() from any thread).
    SqliteGuard guard;
    sqlite3* db = nullptr;
    bool unavailable = false;
    std::chrono::steady_clock::time_point retryAt{};
    double lastPrune = 0.0;
    std::string error;

    // Bumped whenever the file is replaced, so that the reading connection opens anew.
    std::atomic<uint64_t> generation{0};
    std::mutex readMutex;
    SqliteGuard readGuard;
    sqlite3* readConnection = nullptr;
    uint64_t readGeneration = 0;

    std::thread thread;

    double now() const { return options.now ? options.now() : wallClock(); }

    // ---- the file -------------------------------------------------------------------

    bool fail(sqlite3* connection, char const* what) {
        error = what;
        if (connection != nullptr) {
            error += ": ";
            error += sqlite3_errmsg(connection);
        }
        return false;
    }

    bool exec(char const* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            error = message != nullptr ? message : sqlite3_errmsg(db);
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    bool open() {
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
            return fail(db, "cannot open");
        }
        guard.attach(db, kBusyWait);
        guard.arm(kWorkDeadline);
        // Nothing of a file shaped by someone else runs: not even the log is switched on.
        if (!JournalSchema::isOwn(db, error)) {
            return false;
        }
        {
            SqliteStatement wal(db, "PRAGMA journal_mode=WAL");
            if (wal.step() != SQLITE_ROW || wal.text(0) != "wal") {
                return fail(db, "cannot use write-ahead logging");
            }
        }
        if (!exec("PRAGMA synchronous=NORMAL")) {
            return false;
        }
        {
            SqliteStatement check(db, "PRAGMA quick_check");
            bool const answered = check.step() == SQLITE_ROW && sqlite3_column_text(check.get(), 0);
            if (!answered || check.text(0) != "ok") {
                error = answered ? check.text(0) : sqlite3_errmsg(db);
                return false;
            }
        }
        return JournalSchema::migrate(db, error) && prune();
    }

    void close() {
        if (db != nullptr) {
            sqlite3_close_v2(db);
            db = nullptr;
        }
    }

    bool prune() {
        lastPrune = now();
        return JournalSchema::pruneBefore(db, lastPrune - options.keepSeconds) ||
               fail(db, "cannot remove old rows");
    }

    // Moves an unusable file (and its write-ahead log) out of the way under a new name, so
    // that nothing in it is lost. Answers that name, or "" when nothing needed keeping.
    std::string setAside() {
        std::string const wal = path + "-wal";
        ::unlink((path + "-shm").c_str());
        struct stat st {};
        bool const hasFile = ::lstat(path.c_str(), &st) == 0;
        bool const hasWal = fileExists(wal);
        if (!hasFile || (S_ISREG(st.st_mode) && st.st_size == 0 && !hasWal)) {
            ::unlink(path.c_str());
            return {};
        }
        std::string const aside = damagedName(path);
        if (::rename(path.c_str(), aside.c_str()) != 0) {
            return {};
        }
        if (hasWal) {
            ::rename(wal.c_str(), (aside + "-wal").c_str());
        }
        return aside;
    }

    void tell(Trouble const& trouble) {
        std::lock_guard lock(listenerMutex);
        troubles.push_back(trouble);
        if (troubleListener) {
            troubleListener(trouble);
        }
    }

    // The file cannot be used: keep it aside and begin a new one.
    // why is taken by value: it is often error, which open() clears.
    void replace(std::string why) {
        if (db != nullptr) {
            // Closing would fold the log into the file, or delete it: it goes aside as it is.
            sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        }
        close();
        std::string const aside = setAside();
        generation.fetch_add(1);
        if (open()) {
            if (!aside.empty()) {
                tell({Trouble::Kind::SetAside, why, aside});
            }
            return;
        }
        close();
        // Not even a new file: carry on without, and try again later.
        unavailable = true;
        retryAt = std::chrono::steady_clock::now() + kRetryUnavailable;
        tell({Trouble::Kind::Unavailable, error.empty() ? why : error, aside});
    }

    void openOrReplace() {
        if (!open() && !guard.stopped()) {
            replace(error);
        }
    }

    void retryIfDue() {
        if (!unavailable || std::chrono::steady_clock::now() < retryAt) {
            return;
        }
        if (open()) {
            unavailable = false;
            generation.fetch_add(1);
            tell({Trouble::Kind::Recovered, {}, {}});
        } else {
            close();
            retryAt = std::chrono::steady_clock::now() + kRetryUnavailable;
        }
    }

    // ---- writing, on the journal's thread ---------------------------------------------

    std::vector<double> planInForce(double at) {
        std::optional<JournalEntry> const plan = JournalSchema::lastOf(db, "7", at);
        return plan ? plan->instants : std::vector<double>();
    }

    // The rows a miss's reason is derived from: everything about runs, sleeps and plans
    // from the last program start before the reservation's start (and the plan in force
    // then) to now.
    bool context(double start, std::vector<JournalEntry>& rows) {
        double from = start;
        if (std::optional<JournalEntry> const run = JournalSchema::lastOf(db, "4", start)) {
            from = run->at;
        }
        if (std::optional<JournalEntry> plan = JournalSchema::lastOf(db, "7", from)) {
            if (plan->at < from) {
                rows.push_back(std::move(*plan));
            }
        }
        return JournalSchema::readFrom(db, "3, 4, 5, 6, 7", from, rows) || fail(db, "cannot read");
    }

    bool insert(JournalEntry& entry, bool ignoreRepeat) {
        return JournalSchema::insert(db, entry, ignoreRepeat, error);
    }

    // Writes one entry, with what is derived from earlier rows; appends to told what the
    // listener is to hear.
    bool handle(JournalEntry entry, std::vector<JournalEntry>& told) {
        switch (entry.kind) {
        case JournalKind::Missed: {
            std::vector<JournalEntry> rows;
            if (!context(entry.start, rows)) {
                return false;
            }
            entry.reason = deriveMissReason(rows, entry.start);
            if (!insert(entry, true)) {
                return false;
            }
            if (entry.id != 0) { // not a miss already known
                told.push_back(std::move(entry));
            }
            return true;
        }
        case JournalKind::Woke: {
            std::optional<double> down;
            std::optional<JournalEntry> const last = JournalSchema::lastOf(db, "3, 4, 6", entry.at);
            if (last && last->kind == JournalKind::Sleep) {
                down = last->at;
            }
            WakeAssessment const wake = assessWake(entry.at, down, planInForce(entry.at));
            entry.wake = wake.outcome;
            entry.planned = wake.planned;
            entry.down = down.value_or(0.0);
            break;
        }
        case JournalKind::ProgramStarted: {
            if (!entry.bootId.empty() && !JournalSchema::bootSeen(db, entry.bootId)) {
                // The first run of this boot: the computer came up for it. When it went down
                // is known only if the last run ended with the session.
                std::optional<double> down;
                std::optional<JournalEntry> const last =
                    JournalSchema::lastOf(db, "4, 5", entry.at);
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
                WakeAssessment const wake = assessWake(woke.at, down, planInForce(woke.at));
                woke.wake = wake.outcome;
                woke.planned = wake.planned;
                woke.down = down.value_or(0.0);
                if (!insert(woke, false)) {
                    return false;
                }
                told.push_back(std::move(woke));
            }
            break;
        }
        case JournalKind::RecordingStarted:
        case JournalKind::RecordingFinished: {
            // Kept only for a reservation handed over and not long over, and once: anyone on
            // the bus can post a report, and a companion may repeat one.
            std::optional<JournalEntry> const handed =
                JournalSchema::findHandOver(db, entry, entry.at - kReportWithinSeconds);
            if (!handed) {
                return true;
            }
            entry.freq = handed->freq;
            entry.week = handed->week;
            if (!insert(entry, true)) {
                return false;
            }
            if (entry.id != 0) {
                told.push_back(std::move(entry));
            }
            return true;
        }
        case JournalKind::WakeUpsPlanned: {
            // Only changes of plan: re-planning after every edit mostly plans the same.
            std::optional<JournalEntry> const last = JournalSchema::lastOf(db, "7", entry.at);
            if (last ? last->instants == entry.instants : entry.instants.empty()) {
                return true;
            }
            break;
        }
        case JournalKind::ShutdownPlanned:
        case JournalKind::ShutdownCancelled: {
            std::optional<JournalEntry> const last = JournalSchema::lastOf(db, "8, 9", entry.at);
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
        if (!insert(entry, false)) {
            return false;
        }
        told.push_back(std::move(entry));
        return true;
    }

    bool writeAll(std::deque<JournalEntry> const& batch, std::vector<JournalEntry>& told) {
        told.clear();
        if (!exec("BEGIN IMMEDIATE")) {
            return false;
        }
        for (JournalEntry const& entry : batch) {
            if (!handle(entry, told)) {
                std::string const why = error;
                exec("ROLLBACK");
                error = why;
                return false;
            }
        }
        if (!exec("COMMIT")) {
            std::string const why = error;
            exec("ROLLBACK");
            error = why;
            return false;
        }
        return true;
    }

    // Without a file the listeners still hear of every entry, with what can be said
    // without history.
    static std::vector<JournalEntry> unstored(std::deque<JournalEntry> const& batch) {
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

    std::vector<JournalEntry> write(std::deque<JournalEntry> const& batch) {
        guard.arm(kWorkDeadline);
        retryIfDue();
        std::vector<JournalEntry> told;
        if (db != nullptr) {
            if (writeAll(batch, told)) {
                if (now() - lastPrune >= kPruneEvery) {
                    prune();
                }
                return told;
            }
            if (guard.stopped()) {
                return unstored(batch); // the program ends and can wait no longer
            }
            // The file failed mid-way (damaged, the disk full): the entries go into a new
            // one.
            replace(error);
            if (db != nullptr && writeAll(batch, told)) {
                return told;
            }
        }
        return unstored(batch);
    }

    void loop() {
        openOrReplace();
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
            std::vector<JournalEntry> const told = write(batch);
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
        close();
    }

    // ---- reading, on the caller's thread ----------------------------------------------

    sqlite3* reader() {
        uint64_t const current = generation.load();
        if (readConnection != nullptr && readGeneration == current) {
            return readConnection;
        }
        if (readConnection != nullptr) {
            sqlite3_close_v2(readConnection);
            readConnection = nullptr;
        }
        readGeneration = current;
        // Not created here: that is the journal thread's work, migration included.
        if (sqlite3_open_v2(path.c_str(), &readConnection,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW,
                            nullptr) != SQLITE_OK) {
            sqlite3_close_v2(readConnection);
            readConnection = nullptr;
            return nullptr;
        }
        readGuard.attach(readConnection, kReadBusyWait);
        readGuard.arm(kReadDeadline);
        std::string ignored;
        if (JournalSchema::versionOf(readConnection) != JournalSchema::kVersion ||
            !JournalSchema::isOwn(readConnection, ignored)) {
            // Not migrated yet, or about to be set aside: looked at again next time.
            sqlite3_close_v2(readConnection);
            readConnection = nullptr;
        }
        return readConnection;
    }
};

SqliteJournal::SqliteJournal(std::string path) : SqliteJournal(std::move(path), Options()) {}

SqliteJournal::SqliteJournal(std::string path, Options options)
    : d(std::make_unique<SqliteJournalPrivate>()) {
    d->path = std::move(path);
    d->options = std::move(options);
    d->thread = std::thread([p = d.get()] { p->loop(); });
}

SqliteJournal::~SqliteJournal() {
    {
        std::lock_guard lock(d->queueMutex);
        d->stop = true;
    }
    d->guard.stop(kStopGrace);
    d->queueChanged.notify_all();
    d->thread.join();
    std::lock_guard lock(d->readMutex);
    if (d->readConnection != nullptr) {
        sqlite3_close_v2(d->readConnection);
        d->readConnection = nullptr;
    }
}

void SqliteJournal::record(JournalEntry const& entry) {
    {
        std::lock_guard lock(d->queueMutex);
        if (d->stop) {
            return;
        }
        if (d->queue.size() >= d->options.maxQueued) {
            d->queue.pop_front();
            ++d->handled;
        }
        d->queue.push_back(entry);
        ++d->recorded;
    }
    d->queueChanged.notify_one();
}

std::vector<JournalEntry> SqliteJournal::read(std::size_t limit) {
    std::vector<JournalEntry> entries;
    std::lock_guard lock(d->readMutex);
    d->readGuard.arm(kReadDeadline);
    if (sqlite3* const db = d->reader()) {
        JournalSchema::readNewest(db, limit, entries);
    }
    return entries;
}

bool SqliteJournal::readFile(std::string const& path, std::size_t limit,
                             std::vector<JournalEntry>& entries, std::string& error) {
    entries.clear();
    sqlite3* db = nullptr;
    // Read-only: nothing is created or written, and closing checkpoints nothing.
    int const opened =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> const closer(db, &sqlite3_close_v2);
    if (opened != SQLITE_OK) {
        error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(opened);
        return false;
    }
    SqliteGuard guard;
    guard.attach(db, kReadBusyWait);
    guard.arm(kFileReadDeadline);
    std::optional<int> const version = JournalSchema::versionOf(db);
    if (!version) {
        error = sqlite3_errmsg(db);
        return false;
    }
    if (!JournalSchema::isOwn(db, error)) {
        return false;
    }
    if (*version != JournalSchema::kVersion) {
        error = "schema version " + std::to_string(*version) + ", this program reads " +
                std::to_string(JournalSchema::kVersion);
        return false;
    }
    if (!JournalSchema::readNewest(db, limit, entries)) {
        error = sqlite3_errmsg(db);
        return false;
    }
    return true;
}

std::optional<JournalEntry> SqliteJournal::findMiss(std::string const& title, uint32_t freq,
                                                    double start, double end) {
    std::lock_guard lock(d->readMutex);
    d->readGuard.arm(kReadDeadline);
    sqlite3* const db = d->reader();
    if (db == nullptr) {
        return std::nullopt;
    }
    return JournalSchema::findMiss(db, title, freq, start, end);
}

void SqliteJournal::setListener(Listener listener) {
    std::lock_guard lock(d->listenerMutex);
    d->listener = std::move(listener);
}

void SqliteJournal::setTroubleListener(TroubleListener listener) {
    std::lock_guard lock(d->listenerMutex);
    d->troubleListener = std::move(listener);
    if (d->troubleListener) {
        for (Trouble const& trouble : d->troubles) {
            d->troubleListener(trouble);
        }
    }
}

bool SqliteJournal::flush(std::chrono::milliseconds timeout) {
    std::unique_lock lock(d->queueMutex);
    uint64_t const target = d->recorded;
    return d->handledMore.wait_for(lock, timeout,
                                   [&] { return d->opened && d->handled >= target; });
}

std::string const& SqliteJournal::path() const {
    return d->path;
}
