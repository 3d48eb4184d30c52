#include "store/ReservationList.h"

#include "posix/IClock.h"
#include "store/ReservationRecord.h"

#include <algorithm>
#include <bit>
#include <chrono>

namespace {

// List order: start ascending, then end ascending. No NaN time ever enters the list (the
// check refuses it), so this is a strict weak order and the standard algorithms apply.
bool keyLess(Reservation const& a, Reservation const& b) {
    if (a.start != b.start)
        return a.start < b.start;
    return a.end < b.end;
}

template <class Ptr> bool ptrKeyLess(Ptr const& a, Ptr const& b) {
    return keyLess(*a, *b);
}

// The part of the check that needs no other record: StartNotBeforeEnd and NoFrequency
// refuse.
bool validityCheck(Reservation const& rec, CheckResult& result) {
    result = CheckResult::Ok;
    // Written as !(S < E) so that a NaN time from a damaged file is refused as well.
    if (!(rec.start < rec.end)) {
        result = CheckResult::StartNotBeforeEnd;
        return false;
    }
    if (rec.frequency == 0) {
        result = CheckResult::NoFrequency;
        return false;
    }
    return true;
}

} // namespace

ReservationList::ReservationList() : m_clock(nullptr) {}

ReservationList::ReservationList(IClock& clock) : m_clock(&clock) {}

ReservationList::~ReservationList() = default;

double ReservationList::now() const {
    if (m_clock != nullptr)
        return m_clock->now();
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void ReservationList::clear() {
    std::lock_guard lock(m_mutex);
    clearLocked();
}

void ReservationList::clearLocked() {
    m_records.clear();
    m_records.shrink_to_fit();
    m_usedIds.fill(0);
    m_firstFreeWord = 0;
    m_sorted = 0;
    m_size.store(0);
}

void ReservationList::restoreIdsLocked(std::vector<int32_t> const& ids) {
    // Only a set that a list could have given: every id in range and none twice.
    if (ids.size() != m_records.size())
        return;
    std::array<uint64_t, (kCapacity + 63) / 64> used{};
    for (int32_t const id : ids) {
        if (id < 0 || id >= kCapacity || (used[id / 64] >> (id % 64) & 1) != 0)
            return;
        used[id / 64] |= uint64_t{1} << (id % 64);
    }
    for (std::size_t i = 0; i < ids.size(); ++i)
        m_records[i]->id = ids[i]; // still in file order: nothing was sorted yet
    m_usedIds = used;
}

bool ReservationList::add(Reservation const& rec, CheckResult& result, bool sort, int* newId) {
    result = CheckResult::Ok;
    std::lock_guard lock(m_mutex);
    int const id = newIdLocked(); // the one the add gives, under the same hold
    bool const added = addLocked(rec, result, sort, true);
    if (added && newId != nullptr)
        *newId = id;
    return added;
}

bool ReservationList::addLocked(Reservation const& rec, CheckResult& result, bool sort,
                                bool checkOverlap) {
    if (m_records.size() > static_cast<std::size_t>(kCapacity - 1)) {
        result = CheckResult::ListFull;
        return false;
    }
    // A load accepts overlaps silently, so it needs only the refusing part of the check.
    if (!(checkOverlap ? checkLocked(rec, result) : validityCheck(rec, result)))
        return false;

    auto stored = std::make_unique<StoredRecord>(rec, ++m_lastSerial);
    stored->id = newIdLocked(); // over the records stored before this one
    m_usedIds[stored->id / 64] |= uint64_t{1} << (stored->id % 64);

    if (sort && isSortedLocked()) {
        // Inserting after every equal key is what a stable sort of the appended list gives.
        auto at =
            std::upper_bound(m_records.begin(), m_records.end(), stored, ptrKeyLess<RecordPtr>);
        m_records.insert(at, std::move(stored));
        m_sorted = m_records.size();
    } else {
        bool const staysSorted =
            isSortedLocked() && (m_records.empty() || !keyLess(*stored, *m_records.back()));
        m_records.push_back(std::move(stored));
        if (staysSorted)
            m_sorted = m_records.size();
        if (sort)
            sortLocked();
    }
    m_size.store(static_cast<int>(m_records.size()));
    return true;
}

bool ReservationList::update(Reservation const& rec, CheckResult& result) {
    result = CheckResult::Ok;
    // Check and replacement under one hold: no add can slip in between them.
    std::lock_guard lock(m_mutex);
    if (!checkLocked(rec, result))
        return false;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i]->id == rec.id) {
            // Same id, so the id bitmap stays right; the serial stays with the record.
            static_cast<Reservation&>(*m_records[i]) = rec;
            resortAfterUpdateLocked(i);
            return true;
        }
    }
    // Unknown id: stored as a new reservation under a new id.
    return addLocked(rec, result, true, true);
}

void ReservationList::resortAfterUpdateLocked(std::size_t index) {
    if (!isSortedLocked()) {
        m_sorted = std::min(m_sorted, index); // the records before it are still in order
        sortLocked();
        return;
    }
    // The others are still in order. A stable sort puts the changed record after the
    // records of equal key that stood before it and before those that stood after it.
    RecordPtr changed = std::move(m_records[index]);
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(index));
    auto lo = std::lower_bound(m_records.begin(), m_records.end(), changed, ptrKeyLess<RecordPtr>);
    auto hi = std::upper_bound(lo, m_records.end(), changed, ptrKeyLess<RecordPtr>);
    auto at = m_records.begin() + static_cast<std::ptrdiff_t>(index);
    at = std::clamp(at, lo, hi);
    m_records.insert(at, std::move(changed));
    m_sorted = m_records.size();
}

bool ReservationList::remove(int id) {
    std::lock_guard lock(m_mutex);
    return removeLocked(id, nullptr);
}

bool ReservationList::remove(int id, uint64_t serial) {
    std::lock_guard lock(m_mutex);
    return removeLocked(id, &serial);
}

bool ReservationList::removeLocked(int id, uint64_t const* serial) {
    auto it = std::find_if(m_records.begin(), m_records.end(),
                           [id](RecordPtr const& r) { return r->id == id; });
    if (it == m_records.end() || (serial != nullptr && (*it)->serial != *serial))
        return false;
    int const stored = (*it)->id;
    m_usedIds[stored / 64] &= ~(uint64_t{1} << (stored % 64));
    m_firstFreeWord = std::min(m_firstFreeWord, static_cast<std::size_t>(stored / 64));
    if (static_cast<std::size_t>(it - m_records.begin()) < m_sorted)
        --m_sorted;
    m_records.erase(it); // the others keep their order
    m_size.store(static_cast<int>(m_records.size()));
    return true;
}

int ReservationList::newId() const {
    std::lock_guard lock(m_mutex);
    return newIdLocked();
}

int ReservationList::newIdLocked() const {
    // Every word before m_firstFreeWord is full: a load of thousands of records does not
    // search from the start for each.
    for (std::size_t word = m_firstFreeWord; word < m_usedIds.size(); ++word) {
        if (~m_usedIds[word] != 0) {
            m_firstFreeWord = word;
            int id = static_cast<int>(word * 64) + std::countr_one(m_usedIds[word]);
            return id < kCapacity ? id : -1;
        }
    }
    return -1;
}

bool ReservationList::check(Reservation const& rec, CheckResult& result) const {
    std::lock_guard lock(m_mutex);
    return checkLocked(rec, result);
}

bool ReservationList::checkAgainstList(Reservation const& rec, CheckResult& result) const {
    std::lock_guard lock(m_mutex);
    return checkLocked(rec, result);
}

bool ReservationList::checkWithoutMargins(Reservation const& rec, CheckResult& result) const {
    std::lock_guard lock(m_mutex);
    return checkLocked(rec, result, RecordingMargins{});
}

bool ReservationList::checkLocked(Reservation const& rec, CheckResult& result,
                                  RecordingMargins const& margins) const {
    if (!validityCheck(rec, result))
        return false;
    double const before = margins.before;
    double const after = margins.after;
    auto overlaps = [&](StoredRecord const& other) {
        // A reservation being edited is not compared with its own stored copy.
        if (other.enabled == 0 || other.id == rec.id)
            return false;
        // Back to back on one station: no margins between the two.
        bool const sameStation = other.frequency == rec.frequency;
        bool const otherFirst = sameStation && other.end == rec.start;
        bool const recFirst = sameStation && rec.end == other.start;
        double const start = rec.start - (otherFirst ? 0.0 : before);
        double const end = rec.end + (recFirst ? 0.0 : after);
        double const otherStart = other.start - (recFirst ? 0.0 : before);
        double const otherEnd = other.end + (otherFirst ? 0.0 : after);
        return start < otherEnd && otherStart < end;
    };
    // In the sorted front of the list nothing from the first start at or after the end (with
    // both margins) on can overlap (the table asks this for every row it draws); the rest is
    // looked at whole.
    double const reach = rec.end + after + before;
    std::size_t i = 0;
    for (; i < m_sorted && m_records[i]->start < reach && result == CheckResult::Ok; ++i) {
        if (overlaps(*m_records[i]))
            result = CheckResult::Overlap;
    }
    for (i = std::max(i, m_sorted); i < m_records.size() && result == CheckResult::Ok; ++i) {
        if (overlaps(*m_records[i]))
            result = CheckResult::Overlap;
    }
    // An overlap is a warning: the record is still accepted.
    return true;
}

void ReservationList::setMargins(RecordingMargins const& margins) {
    std::lock_guard lock(m_mutex);
    m_margins = margins;
}

RecordingMargins ReservationList::margins() const {
    std::lock_guard lock(m_mutex);
    return m_margins;
}

RecordingSpan ReservationList::recordingSpan(Reservation const& rec) const {
    std::lock_guard lock(m_mutex);
    RecordingSpan span{rec.start - m_margins.before, rec.end + m_margins.after};
    if (!m_margins.any())
        return span;
    for (RecordPtr const& other : m_records) {
        // Only a neighbour that will itself be recorded joins the span.
        if (other->id == rec.id || other->enabled == 0 || other->pending == 0 ||
            other->frequency != rec.frequency)
            continue;
        if (other->end == rec.start)
            span.start = rec.start;
        if (other->start == rec.end)
            span.end = rec.end;
    }
    return span;
}

void ReservationList::sort() {
    std::lock_guard lock(m_mutex);
    sortLocked();
}

void ReservationList::sortLocked() {
    if (isSortedLocked())
        return;
    // Same result as a stable sort of the whole list: the sorted front precedes the rest in
    // list order, and the merge keeps it first among equal keys.
    auto const middle = m_records.begin() + static_cast<std::ptrdiff_t>(m_sorted);
    std::stable_sort(middle, m_records.end(), ptrKeyLess<RecordPtr>);
    std::inplace_merge(m_records.begin(), middle, m_records.end(), ptrKeyLess<RecordPtr>);
    m_sorted = m_records.size();
}

int ReservationList::count(int kinds) const {
    std::lock_guard lock(m_mutex);
    int matches = 0;
    for (RecordPtr const& r : m_records) {
        // Every matching kind counts, so one record may count more than once.
        if ((kinds & Active) && r->enabled != 0 && r->pending != 0)
            ++matches;
        if ((kinds & Enabled) && r->enabled != 0)
            ++matches;
        if ((kinds & Disabled) && r->enabled == 0)
            ++matches;
        if ((kinds & Over) && r->pending == 0)
            ++matches;
    }
    return matches;
}

bool ReservationList::readAt(int index, Reservation& out) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_records.size())
        return false;
    out = *m_records[static_cast<std::size_t>(index)];
    return true;
}

bool ReservationList::read(int id, Reservation& out, uint64_t* serial) const {
    std::lock_guard lock(m_mutex);
    for (RecordPtr const& r : m_records) {
        if (r->id == id) {
            out = *r;
            if (serial != nullptr)
                *serial = r->serial;
            return true;
        }
    }
    return false;
}

std::optional<Reservation> ReservationList::next() {
    double const at = now();
    std::lock_guard lock(m_mutex);
    sortLocked();
    // Sorted by start, so everything before the first start later than now is out.
    auto it = std::partition_point(m_records.begin(), m_records.end(),
                                   [at](RecordPtr const& r) { return r->start <= at; });
    for (; it != m_records.end(); ++it) {
        // pending and state are not looked at: a run handed over just before its start
        // still counts while that start lies ahead.
        if ((*it)->start > at && (*it)->enabled != 0)
            return Reservation(**it);
    }
    return std::nullopt;
}

std::optional<Reservation> ReservationList::latest() {
    double const at = now();
    std::lock_guard lock(m_mutex);
    sortLocked();
    StoredRecord const* candidate = nullptr;
    double bestEnd = 0.0;
    for (RecordPtr const& r : m_records) {
        if (r->enabled == 0 || r->pending == 0)
            continue;
        // A reservation that repeats every week has no last occurrence.
        if (r->weekdays != 0)
            return std::nullopt;
        if (r->end > bestEnd) {
            candidate = r.get();
            bestEnd = r->end;
        }
    }
    if (candidate == nullptr || !(candidate->end > at))
        return std::nullopt;
    return Reservation(*candidate);
}

std::vector<uint8_t> ReservationList::fileBytes() const {
    std::lock_guard lock(m_mutex);
    std::vector<uint8_t> bytes(m_records.size() * ReservationRecord::kSize);
    uint8_t* p = bytes.data();
    for (RecordPtr const& r : m_records) {
        ReservationRecord::write(*r, p);
        p += ReservationRecord::kSize;
    }
    return bytes;
}

bool ReservationList::loadRecords(uint8_t const* data, std::size_t records, bool keepIds,
                                  bool& damaged) {
    std::lock_guard lock(m_mutex);
    clearLocked();
    m_records.reserve(std::min<std::size_t>(records, kCapacity));
    std::vector<int32_t> storedIds; // of the records added, in file order
    for (std::size_t i = 0; i < records; ++i) {
        Reservation rec = ReservationRecord::read(data + i * ReservationRecord::kSize);
        if (rec.id < 0)
            continue; // marked as not to be loaded
        if (rec.titleLength() == sizeof rec.title) {
            // No terminator: keep the text readable as a C string by everyone after us.
            rec.title[sizeof rec.title - 1] = '\0';
            damaged = true;
        }
        rec.state = 0; // nothing is being recorded at start-up
        CheckResult result;
        int32_t const storedId = rec.id;
        if (!addLocked(rec, result, false, false)) {
            // The records before the refused one stay, in file order.
            damaged = true;
            if (keepIds)
                restoreIdsLocked(storedIds);
            return false;
        }
        storedIds.push_back(storedId);
    }
    if (keepIds)
        restoreIdsLocked(storedIds);
    sortLocked();
    return true;
}
