#include "history/SqliteGuard.h"

#include <sqlite3.h>

#include <algorithm>
#include <thread>

namespace {

// The longest text a row holds is a few hundred bytes (a title, the planned instants).
constexpr int kMaxValueBytes = 1 << 20;
// Checked every this many virtual machine steps: well under a millisecond each.
constexpr int kProgressSteps = 10000;
constexpr auto kBusyStep = std::chrono::milliseconds(10);

} // namespace

void SqliteGuard::attach(sqlite3* db, std::chrono::milliseconds busyWait) {
    m_busyWait = busyWait;
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
    sqlite3_progress_handler(db, kProgressSteps, &SqliteGuard::onProgress, this);
    sqlite3_busy_handler(db, &SqliteGuard::onBusy, this);
}

int64_t SqliteGuard::nowNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

void SqliteGuard::arm(std::chrono::milliseconds limit) {
    int64_t const until = nowNs() + std::chrono::nanoseconds(limit).count();
    m_deadline.store(std::min(until, m_cutOff.load()));
}

void SqliteGuard::stop(std::chrono::milliseconds grace) {
    int64_t const cutOff = nowNs() + std::chrono::nanoseconds(grace).count();
    m_cutOff.store(cutOff);
    if (m_deadline.load() > cutOff) {
        m_deadline.store(cutOff);
    }
}

bool SqliteGuard::stopped() const {
    return nowNs() >= m_cutOff.load();
}

int SqliteGuard::onProgress(void* self) {
    auto const* guard = static_cast<SqliteGuard const*>(self);
    return guard->nowNs() >= guard->m_deadline.load() ? 1 : 0;
}

int SqliteGuard::onBusy(void* self, int count) {
    auto const* guard = static_cast<SqliteGuard const*>(self);
    if (count * kBusyStep >= guard->m_busyWait ||
        guard->nowNs() + std::chrono::nanoseconds(kBusyStep).count() >= guard->m_deadline.load()) {
        return 0;
    }
    std::this_thread::sleep_for(kBusyStep);
    return 1;
}
