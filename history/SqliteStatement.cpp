#include "history/SqliteStatement.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3* db, char const* sql) {
    sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::bind(int i, double v) {
    sqlite3_bind_double(m_stmt, i, v);
}

void SqliteStatement::bind(int i, int64_t v) {
    sqlite3_bind_int64(m_stmt, i, v);
}

void SqliteStatement::bind(int i, std::string const& v) {
    sqlite3_bind_text(m_stmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}

int SqliteStatement::step() {
    return m_stmt != nullptr ? sqlite3_step(m_stmt) : SQLITE_ERROR;
}

std::string SqliteStatement::text(int column) const {
    auto const* bytes = sqlite3_column_text(m_stmt, column);
    return bytes != nullptr ? std::string(reinterpret_cast<char const*>(bytes)) : std::string();
}
