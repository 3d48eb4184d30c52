// The reservation record, the check result and the reservation list.
//
// Everything here is plain C++ with the standard library only: the list is shared by the
// main thread, the watch thread and the recording threads, and every operation below is
// safe to call from any of them.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One reservation. Copied whole wherever it moves; the default member values are the
// fresh record that every new or scratch record starts from.
struct SCHEDULEITEM_TAG {
    int32_t nID = -1;        // id within the list, -1 when not (yet) in a list
    double dStartTime = 0.0; // seconds since 1970-01-01 00:00 UTC, whole seconds
    double dEndTime = 0.0;   // same unit; only accepted when dStartTime < dEndTime
    uint32_t uFreq = 0;      // bits 24-31 band (0 AM, else FM), bits 0-23 frequency
    char cTitle[256] = {};   // UTF-8, zero-terminated, at most 255 text bytes
    uint32_t uWeek = 0;      // bit k = repeats on weekday k (0 Sunday .. 6 Saturday)
    uint8_t cPending = 1;    // 1 still to come, 0 over (end passed without a start)
    uint8_t cValid = 1;      // 1 enabled, 0 switched off by the user
    uint32_t uState = 0;     // 0 waiting, 1 handed to a recording run

    // Equal when every field but uState matches; all 256 title bytes count, NaN never
    // compares equal.
    bool operator==(SCHEDULEITEM_TAG const& other) const;
};

// Outcome of a check against the list.
struct SCHEDULE_RETURN {
    int32_t nResult = 0; // 0 ok, 1 overlap (accepted), 2 start not before end, 3 no
                         // frequency, 4 list full
};

// uWeek mask of each weekday, indexed 0 (Sunday) to 6 (Saturday).
inline constexpr uint32_t kWeeklyKeys[7] = {1, 2, 4, 8, 16, 32, 64};

// Size of one record in the reservation file, and the list's capacity.
inline constexpr std::size_t kScheduleRecordSize = 292;
inline constexpr int kScheduleMaxCount = 10000;

// The record's file form: 292 bytes, little-endian, dStartTime at byte 4 (see docs/).
void ScheduleRecordToBytes(SCHEDULEITEM_TAG const& rec, uint8_t out[kScheduleRecordSize]);
void ScheduleRecordFromBytes(uint8_t const in[kScheduleRecordSize], SCHEDULEITEM_TAG& rec);

// How the last save of a list went.
struct SaveOutcome {
    bool saved = true;          // also before the first save
    int error = 0;              // the errno of the step that failed
    bool rescuePending = false; // refused: the damaged file's copy could not be made first
    std::string path;           // the file the save was for
};

// Length of a title field's text: never reads past the 256-byte field, even when a
// damaged record has no terminating zero.
std::size_t ScheduleTitleLength(SCHEDULEITEM_TAG const& rec);

// The reservation list.
class CScheduleItem {
public:
    CScheduleItem();
    ~CScheduleItem();
    CScheduleItem(CScheduleItem const&) = delete;
    CScheduleItem& operator=(CScheduleItem const&) = delete;

    bool Initialize(); // empties the list; always true
    void Terminate();

    // newId, when given, receives the id the stored copy got.
    bool addSchedule(SCHEDULEITEM_TAG* rec, SCHEDULE_RETURN& result, signed char sort,
                     int* newId = nullptr);
    bool editSchedule(SCHEDULEITEM_TAG* rec, SCHEDULE_RETURN& result);
    bool deleteSchedule(int id);
    // Deletes the reservation with that id only while it is still the stored record that
    // serial names (see readSchedule): an edit keeps it, a delete and a new add under the
    // same id do not.
    bool deleteSchedule(int id, uint64_t serial);
    int getNewId();
    bool mCheck(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result);
    bool GlovalCheck(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result);
    void mSort();
    int GetCountByKind(int kind);

    bool Load(char const* path);
    bool Save(char const* path);
    // Load, but the records keep the ids the file holds when those are all in range and
    // unique (as a saved list's are); otherwise they are renumbered as Load does. For a
    // program that works on the file between runs of the one that owns it, so that the ids
    // it reports stay the file's.
    bool LoadWithStoredIds(char const* path);
    // Replaces the list by the records of a reservation file's bytes, read as Load reads
    // the file, and answers as Load does; nothing is copied aside. damaged, when given, tells
    // whether the bytes held anything the list does not keep as it was (a refused record,
    // a trailing fragment, a title without its zero).
    bool LoadFromMemory(uint8_t const* data, std::size_t size, bool* damaged = nullptr);
    // What the last Save found; safe on any thread.
    SaveOutcome lastSaveOutcome() const;

    bool readScheduleByIndex(int index, SCHEDULEITEM_TAG* out);
    bool readSchedule(int id, SCHEDULEITEM_TAG* out);
    // Also answers the stored record's serial: a number given to each record when it is
    // added to the list, kept through its edits and never given again.
    bool readSchedule(int id, SCHEDULEITEM_TAG* out, uint64_t* serial);
    bool readSchedule(SCHEDULEITEM_TAG* out); // the next reservation to start
    bool readScheduleLatest(SCHEDULEITEM_TAG* out);

    // Number of records; read directly by callers on any thread.
    std::atomic<int> m_nCount{0};

    // Source of "now" for the time-based queries, seconds since 1970 UTC. Tests replace it.
    using NowFunction = double (*)();
    void setNowFunction(NowFunction now);

    // Where the last load that met damage (a refused record, a trailing fragment, a title
    // without its zero) kept a copy of the file as it was ("" when none). Set by Load, or by
    // the first Save after such a load when the copy could not be made at load time.
    std::string lastRescuedCopy() const;

private:
    // A stored record with its serial, which only the list sees: copies out of the list
    // are plain records, and an edit assigns the record part only.
    struct StoredRecord : SCHEDULEITEM_TAG {
        StoredRecord(SCHEDULEITEM_TAG const& rec, uint64_t serialNumber)
            : SCHEDULEITEM_TAG(rec), serial(serialNumber) {}
        uint64_t serial;
    };
    using RecordPtr = std::unique_ptr<StoredRecord>;

    // The *Locked helpers expect m_Lock held; public operations take it and call them, so
    // nothing that holds the lock ever takes it again.
    void InitializeLocked();
    void TerminateLocked();
    bool addLocked(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result, bool sort,
                   bool checkOverlap);
    bool deleteLocked(int id, uint64_t const* serial);
    // Adds the given whole records of a reservation file; false at a refused record (the
    // rest must not be read). Sets damaged when the list does not keep one as it was.
    bool AddFileRecordsLocked(uint8_t const* data, std::size_t records, bool& damaged,
                              std::vector<int32_t>* storedIds = nullptr);
    bool mCheckLocked(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result) const;
    int getNewIdLocked() const;
    void mSortLocked();
    bool IsSortedLocked() const { return m_nSorted == m_ppSchedule.size(); }
    void ResortAfterEditLocked(std::size_t index);
    void SetCountLocked();
    void RememberPathLocked(char const* path);
    bool LoadFile(char const* path, bool keepIds);
    void RestoreIdsLocked(std::vector<int32_t> const& ids);
    void RescueDamagedFile(int fd, std::string const& path);
    // Save with m_FileLock held.
    bool SaveLocked(char const* path, SaveOutcome& outcome);

    // Each record on its own heap block so that reordering and inserting move pointers only.
    std::vector<RecordPtr> m_ppSchedule;
    // Path of the last Load or Save when shorter than 256 bytes; null after Terminate.
    std::unique_ptr<char[]> m_pszPath;
    // Guards the records, the path buffer, the id bitmap, the serials, m_nSorted and
    // m_strRescued.
    mutable std::mutex m_Lock;
    // Orders whole saves and loads (taken before m_Lock, never after it), so a slow fsync
    // never blocks readers of the list. Guards m_strPendingRescue.
    std::mutex m_FileLock;
    // Bit i set while a stored record has id i: finds the smallest free id quickly.
    std::array<uint64_t, (kScheduleMaxCount + 63) / 64> m_usedIds{};
    // No word before this one has a free id (a hint; it only ever lags behind).
    mutable std::size_t m_firstFreeWord = 0;
    // The last serial given to a stored record.
    uint64_t m_lastSerial = 0;
    // How many leading records are known to be in (start, end) order. Sorting then only
    // has to sort what was appended after them and merge it in.
    std::size_t m_nSorted = 0;
    std::atomic<NowFunction> m_now;
    std::string m_strRescued;
    // A damaged file whose copy could not be made yet: no save may replace it until then.
    std::string m_strPendingRescue;
    // Guarded by m_Lock.
    SaveOutcome m_lastSave;
};
