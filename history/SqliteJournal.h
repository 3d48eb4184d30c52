// The recording history in an SQLite database (WAL mode) beside the reservation file.
//
// Entries are written on a thread of the journal's own, so that nobody who reports an
// event waits for the disk. A database that cannot be opened or written (damaged, made by
// a newer version, the disk full) is set aside as "<path>.damaged-YYYYMMDD-HHMMSS" and a
// new one is begun; when even that fails the journal keeps running without storage, tells
// its listeners each entry all the same, and tries the file again a minute later. Rows
// older than a year are removed when the file is opened and once a day.
//
// Plain C++ and the sqlite3 library, no Qt: the core's sanitizer builds test it too.
#pragma once

#include "history/IRecordingJournal.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class SqliteJournalPrivate;

class SqliteJournal : public IRecordingJournal {
public:
    static constexpr char const* kFileName = ".ResvHistory.db";

    struct Options {
        std::function<double()> now; // seconds since 1970 UTC; the system clock when empty
        double keepSeconds = 366.0 * 86400.0;
        std::size_t maxQueued = 10000; // beyond this the oldest waiting entries are dropped
    };

    // What the journal had to do about its file; reported on the journal's thread.
    struct Trouble {
        enum class Kind {
            SetAside,    // the file was unusable, is kept under setAsidePath, a new one began
            Unavailable, // no file can be written at all for now
            Recovered,   // after Unavailable: writing works again
        };
        Kind kind = Kind::SetAside;
        std::string reason; // SQLite's or the system's words
        std::string setAsidePath;
    };

    using Listener = std::function<void(JournalEntry const&)>;
    using TroubleListener = std::function<void(Trouble const&)>;

    explicit SqliteJournal(std::string path);
    SqliteJournal(std::string path, Options options);
    // Writes what is still waiting, then closes the file.
    ~SqliteJournal() override;
    SqliteJournal(SqliteJournal const&) = delete;
    SqliteJournal& operator=(SqliteJournal const&) = delete;

    void record(JournalEntry const& entry) override;
    std::vector<JournalEntry> read(std::size_t limit) override;
    std::optional<JournalEntry> findMiss(std::string const& title, uint32_t freq, double start,
                                         double end) override;

    // Reads the journal at path without running one on it (the program may be writing it
    // meanwhile), newest first, at most limit (0: all). Creates and changes nothing; false
    // with the reason when the file cannot be read.
    static bool readFile(std::string const& path, std::size_t limit,
                         std::vector<JournalEntry>& entries, std::string& error);

    // Told every entry once it is handled, with what the journal derived (a miss seen
    // before is not told again). Runs on the journal's thread; setting a new listener
    // (or none) waits for a call under way, so afterwards the old one is never called.
    void setListener(Listener listener);
    void setTroubleListener(TroubleListener listener);

    // Waits until the file is opened and every entry recorded so far is handled. False on
    // timeout.
    bool flush(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    std::string const& path() const;

private:
    std::unique_ptr<SqliteJournalPrivate> d;
};
