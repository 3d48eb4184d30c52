// The reservation file: a plain concatenation of 292-byte records (ReservationRecord.h).
//
// A save writes a new file and renames it over the old one, so a crash never leaves half a
// list. A file that was read with damage (a refused record, a trailing fragment, a title
// without its zero) is copied aside as "<path>.damaged-YYYYMMDD-HHMMSS" before anything
// replaces it.
//
// Saves and loads may come from any thread; they are taken one at a time, and a slow fsync
// never blocks the list's readers.
#pragma once

#include "store/ReservationList.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

// How the last save went.
struct SaveOutcome {
    bool saved = true;          // also before the first save
    int error = 0;              // the errno of the step that failed
    bool rescuePending = false; // refused: the damaged file's copy could not be made first
    std::string path;           // the file the save was for
};

class ReservationFile {
public:
    static constexpr char const* kFileName = ".ResvInfo.dat";

    explicit ReservationFile(std::string path);
    ReservationFile(ReservationFile const&) = delete;
    ReservationFile& operator=(ReservationFile const&) = delete;

    std::string const& path() const { return m_path; }

    // Replaces the list by the file's records (ReservationList::loadRecords). A missing or
    // unreadable file empties the list and answers false; a read error keeps what came
    // before it.
    bool load(ReservationList& list);
    // The same, but the records keep the ids the file holds when those are all in range and
    // unique. For a program that works on the file between runs of the one that owns it, so
    // that the ids it reports stay the file's.
    bool loadKeepingIds(ReservationList& list);
    bool save(ReservationList const& list);

    // What the last save found; any thread.
    SaveOutcome lastSaveOutcome() const;
    // Where the last load that met damage kept a copy of the file as it was ("" when none).
    // Set by load, or by the first save after such a load when the copy could not be made at
    // load time.
    std::string lastRescuedCopy() const;

    // Replaces the list by a reservation file's bytes, read as load reads the file, and
    // answers as load does; nothing is copied aside. damaged, when given, tells whether the
    // bytes held anything the list does not keep as it was.
    static bool loadFromMemory(ReservationList& list, uint8_t const* data, std::size_t size,
                               bool* damaged = nullptr);

private:
    bool loadFile(ReservationList& list, bool keepIds);
    bool saveLocked(std::vector<uint8_t> const& bytes, SaveOutcome& outcome);
    void rescueDamagedFile(int fd);

    std::string const m_path;
    // Orders whole saves and loads; guards m_pendingRescue.
    std::mutex m_fileMutex;
    // A damaged file whose copy could not be made yet: no save may replace it until then.
    bool m_pendingRescue = false;
    // Guards m_lastSave and m_rescued, which other threads read.
    mutable std::mutex m_stateMutex;
    SaveOutcome m_lastSave;
    std::string m_rescued;
};
