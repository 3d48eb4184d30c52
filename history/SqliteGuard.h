// Limits on one SQLite connection to a history file, which anyone who can write the user's
// folder may have shaped: no trust in what its schema asks for (SQLITE_DBCONFIG_DEFENSIVE,
// trusted_schema off), no value larger than a history row needs, and a deadline on every
// statement and every wait for a lock, so that no file can keep a thread busy for ever.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

struct sqlite3;

class SqliteGuard {
public:
    using Clock = std::chrono::steady_clock;

    SqliteGuard() = default;
    SqliteGuard(SqliteGuard const&) = delete;
    SqliteGuard& operator=(SqliteGuard const&) = delete;

    // Sets the limits on db and watches it from now on; the guard must outlive db.
    void attach(sqlite3* db, std::chrono::milliseconds busyWait);

    // What runs from now on must end within limit (and never after a cut-off set by stop()).
    void arm(std::chrono::milliseconds limit);
    // From now on nothing may run past now + grace, whatever arm() says.
    void stop(std::chrono::milliseconds grace);
    // Whether the stop's cut-off has passed: work interrupted now was cut short, not faulty.
    bool stopped() const;

private:
    static int onProgress(void* self);
    static int onBusy(void* self, int count);
    int64_t nowNs() const;

    std::atomic<int64_t> m_deadline{INT64_MAX};
    std::atomic<int64_t> m_cutOff{INT64_MAX};
    std::chrono::milliseconds m_busyWait{0};
};
