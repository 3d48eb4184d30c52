// One prepared SQLite statement, finalized when it goes.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, char const* sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement const&) = delete;
    SqliteStatement& operator=(SqliteStatement const&) = delete;

    // False when the statement could not be prepared; step() then answers SQLITE_ERROR.
    bool ok() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }
    void bind(int i, double v);
    void bind(int i, int64_t v);
    void bind(int i, std::string const& v);
    int step();

    // The text of a column of the current row ("" for NULL).
    std::string text(int column) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
};
