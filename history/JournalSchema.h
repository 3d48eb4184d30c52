// The history's table and how journal entries are kept in it: the schema, its migrations
// from older versions, and the rows read and written.
#pragma once

#include "history/JournalEntry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace JournalSchema {

inline constexpr int kVersion = 3;

// The schema version of the file (its user_version); none when it cannot be read.
std::optional<int> versionOf(sqlite3* db);
// Whether the file holds exactly what this program's schema of its version makes: no other
// table, index, view or trigger, none defined otherwise. False with the reason when not
// (such a file is no history of this program, and nothing in it is run).
bool isOwn(sqlite3* db, std::string& error);
// Brings a file of an older version up to kVersion, one step at a time, each in a
// transaction of its own. False with the reason for a newer file or a failed step.
bool migrate(sqlite3* db, std::string& error);

// Adds the entry; ignoreRepeat: a second miss of the same occurrence is not added. Sets
// entry.id (0 when nothing was added).
bool insert(sqlite3* db, JournalEntry& entry, bool ignoreRepeat, std::string& error);

// The newest entries first, at most limit (0: all).
bool readNewest(sqlite3* db, std::size_t limit, std::vector<JournalEntry>& entries);
// The latest row of the kinds (a list such as "3, 4, 6") at or before an instant.
std::optional<JournalEntry> lastOf(sqlite3* db, char const* kinds, double atOrBefore);
// The rows of the kinds from an instant on, oldest first.
bool readFrom(sqlite3* db, char const* kinds, double from, std::vector<JournalEntry>& rows);
// The miss of one occurrence of a reservation.
std::optional<JournalEntry> findMiss(sqlite3* db, std::string const& title, uint32_t freq,
                                     double start, double end);
// The hand-over a companion's report speaks of: same title, channel (low 16 bits of freq),
// band, start and end, its end not before endedAfter; the latest of them.
std::optional<JournalEntry> findHandOver(sqlite3* db, JournalEntry const& report,
                                         double endedAfter);
// Whether a program start of that boot is recorded.
bool bootSeen(sqlite3* db, std::string const& bootId);
// Removes the rows from before an instant.
bool pruneBefore(sqlite3* db, double instant);

} // namespace JournalSchema
