// The reservation list: ids, the overlap check, the (start, end) order and the queries on
// it. The file is ReservationFile's.
//
// Shared by the main thread, the watch thread and the recording runs; every operation below
// is safe to call from any of them.
#pragma once

#include "store/RecordingMargins.h"
#include "store/Reservation.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class IClock;

class ReservationList {
public:
    // The list's capacity.
    static constexpr int kCapacity = 10000;

    // What count() counts; a reservation matching several counts for each.
    enum Kind : int {
        Active = 0x01,   // switched on and still to come
        Enabled = 0x02,  // switched on
        Disabled = 0x04, // switched off
        Over = 0x10,     // its end passed without a start
    };

    // clock: "now" for next() and latest(); the system clock when none is given. Not
    // owned; it must outlive the list.
    ReservationList();
    explicit ReservationList(IClock& clock);
    ~ReservationList();
    ReservationList(ReservationList const&) = delete;
    ReservationList& operator=(ReservationList const&) = delete;

    void clear();

    // newId, when given, receives the id the stored copy got.
    bool add(Reservation const& rec, CheckResult& result, bool sort = true, int* newId = nullptr);
    bool update(Reservation const& rec, CheckResult& result);
    bool remove(int id);
    // Removes the reservation with that id only while it is still the stored record that
    // serial names (see read): an update keeps it, a removal and a new add under the same id
    // do not.
    bool remove(int id, uint64_t serial);
    int newId() const;
    // What adding rec would find (a reservation being edited is not compared with its own
    // stored copy). check() is what add and update run; checkAgainstList() is the table's
    // question for each row it draws. They answer alike. The overlap counts the margins:
    // two reservations overlap when their recording spans do.
    bool check(Reservation const& rec, CheckResult& result) const;
    bool checkAgainstList(Reservation const& rec, CheckResult& result) const;
    // checkAgainstList() on the programmes' own times: whether rec overlaps without the
    // margins as well, or only because of them.
    bool checkWithoutMargins(Reservation const& rec, CheckResult& result) const;
    void sort();
    // The margins that the overlap check and recordingSpan() count; none at first.
    void setMargins(RecordingMargins const& margins);
    RecordingMargins margins() const;
    // What the companion records for rec: the programme and its margins, except between two
    // reservations back to back on one station (one's end is the other's start), which
    // record as one continuous span without margins between them.
    RecordingSpan recordingSpan(Reservation const& rec) const;
    // How many reservations match the kinds (Kind bits).
    int count(int kinds) const;
    // Number of reservations; any thread.
    int size() const { return m_size.load(); }

    bool readAt(int index, Reservation& out) const;
    // Also answers the stored record's serial: a number given to each record when it is
    // added to the list, kept through its updates and never given again.
    bool read(int id, Reservation& out, uint64_t* serial = nullptr) const;
    // The next switched-on reservation to start after now.
    std::optional<Reservation> next();
    // The switched-on reservation still to come that ends last, while it ends after now;
    // none while a weekly one is switched on and to come (it has no last occurrence).
    std::optional<Reservation> latest();

    // The file's side: every record in list order in its file form, taken in one hold.
    std::vector<uint8_t> fileBytes() const;
    // Replaces the list by records of a reservation file, whole 292-byte records in file
    // order. Records marked not to be loaded (a negative id) are skipped; a title without
    // its zero is cut and counts as damage; a refused record ends the reading (false) and
    // the ones before it stay, in file order; otherwise the list is sorted. keepIds: the
    // records keep the ids the file holds when those are all in range and unique (as a saved
    // list's are), otherwise they are renumbered. damaged is set when the list does not keep
    // everything as the file has it.
    bool loadRecords(uint8_t const* data, std::size_t records, bool keepIds, bool& damaged);

private:
    // A stored record with its serial, which only the list sees: copies out of the list are
    // plain records, and an update assigns the record part only.
    struct StoredRecord : Reservation {
        StoredRecord(Reservation const& rec, uint64_t serialNumber)
            : Reservation(rec), serial(serialNumber) {}
        uint64_t serial;
    };
    using RecordPtr = std::unique_ptr<StoredRecord>;

    // The *Locked helpers expect m_mutex held; public operations take it and call them, so
    // nothing that holds the lock ever takes it again.
    void clearLocked();
    bool addLocked(Reservation const& rec, CheckResult& result, bool sort, bool checkOverlap);
    bool removeLocked(int id, uint64_t const* serial);
    bool checkLocked(Reservation const& rec, CheckResult& result) const {
        return checkLocked(rec, result, m_margins);
    }
    bool checkLocked(Reservation const& rec, CheckResult& result,
                     RecordingMargins const& margins) const;
    int newIdLocked() const;
    void sortLocked();
    bool isSortedLocked() const { return m_sorted == m_records.size(); }
    void resortAfterUpdateLocked(std::size_t index);
    void restoreIdsLocked(std::vector<int32_t> const& ids);
    double now() const;

    IClock* m_clock;            // null: the system clock
    RecordingMargins m_margins; // guarded by m_mutex
    // Each record on its own heap block so that reordering and inserting move pointers only.
    std::vector<RecordPtr> m_records;
    std::atomic<int> m_size{0};
    // Guards the records, the id bitmap, the serials and m_sorted.
    mutable std::mutex m_mutex;
    // Bit i set while a stored record has id i: finds the smallest free id quickly.
    std::array<uint64_t, (kCapacity + 63) / 64> m_usedIds{};
    // No word before this one has a free id (a hint; it only ever lags behind).
    mutable std::size_t m_firstFreeWord = 0;
    // The last serial given to a stored record.
    uint64_t m_lastSerial = 0;
    // How many leading records are known to be in (start, end) order. Sorting then only has
    // to sort what was appended after them and merge it in.
    std::size_t m_sorted = 0;
};
