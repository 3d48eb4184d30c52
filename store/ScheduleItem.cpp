#include "store/ScheduleItem.h"

#include "store/SafeFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Byte offsets of the fields in the file form of a record.
constexpr std::size_t kOffID = 0;
constexpr std::size_t kOffStart = 4;
constexpr std::size_t kOffEnd = 12;
constexpr std::size_t kOffFreq = 20;
constexpr std::size_t kOffTitle = 24;
constexpr std::size_t kOffWeek = 280;
constexpr std::size_t kOffPending = 284;
constexpr std::size_t kOffValid = 285;
constexpr std::size_t kOffPadding = 286;
constexpr std::size_t kOffState = 288;
constexpr std::size_t kTitleSize = sizeof(SCHEDULEITEM_TAG::cTitle);
static_assert(kOffTitle + kTitleSize == kOffWeek);
static_assert(kOffState + 4 == kScheduleRecordSize);

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(uint8_t const* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

void PutF64(uint8_t* p, double d) {
    uint64_t v = std::bit_cast<uint64_t>(d);
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

double GetF64(uint8_t const* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return std::bit_cast<double>(v);
}

double SystemNow() {
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// List order: start ascending, then end ascending. No NaN time ever enters the list (the
// check refuses it), so this is a strict weak order and the standard algorithms apply.
bool KeyLess(SCHEDULEITEM_TAG const& a, SCHEDULEITEM_TAG const& b) {
    if (a.dStartTime != b.dStartTime)
        return a.dStartTime < b.dStartTime;
    return a.dEndTime < b.dEndTime;
}

template <class Ptr> bool PtrKeyLess(Ptr const& a, Ptr const& b) {
    return KeyLess(*a, *b);
}

// The part of the check that needs no other record: 2 and 3 refuse.
bool ValidityCheck(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result) {
    result.nResult = 0;
    // Written as !(S < E) so that a NaN time from a damaged file is refused as well.
    if (!(rec.dStartTime < rec.dEndTime)) {
        result.nResult = 2;
        return false;
    }
    if (rec.uFreq == 0) {
        result.nResult = 3;
        return false;
    }
    return true;
}

// Reads until size bytes arrived or the end of the file; -1 on a read error.
ssize_t ReadUpTo(int fd, uint8_t* buffer, std::size_t size) {
    std::size_t have = 0;
    while (have < size) {
        ssize_t n = ::read(fd, buffer + have, size - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(have);
}

} // namespace

bool SCHEDULEITEM_TAG::operator==(SCHEDULEITEM_TAG const& other) const {
    return nID == other.nID && dStartTime == other.dStartTime && dEndTime == other.dEndTime &&
           uFreq == other.uFreq && std::memcmp(cTitle, other.cTitle, kTitleSize) == 0 &&
           uWeek == other.uWeek && cPending == other.cPending && cValid == other.cValid;
}

void ScheduleRecordToBytes(SCHEDULEITEM_TAG const& rec, uint8_t out[kScheduleRecordSize]) {
    PutU32(out + kOffID, static_cast<uint32_t>(rec.nID));
    PutF64(out + kOffStart, rec.dStartTime);
    PutF64(out + kOffEnd, rec.dEndTime);
    PutU32(out + kOffFreq, rec.uFreq);
    std::memcpy(out + kOffTitle, rec.cTitle, kTitleSize);
    PutU32(out + kOffWeek, rec.uWeek);
    out[kOffPending] = rec.cPending;
    out[kOffValid] = rec.cValid;
    out[kOffPadding] = 0;
    out[kOffPadding + 1] = 0;
    PutU32(out + kOffState, rec.uState);
}

void ScheduleRecordFromBytes(uint8_t const in[kScheduleRecordSize], SCHEDULEITEM_TAG& rec) {
    rec.nID = static_cast<int32_t>(GetU32(in + kOffID));
    rec.dStartTime = GetF64(in + kOffStart);
    rec.dEndTime = GetF64(in + kOffEnd);
    rec.uFreq = GetU32(in + kOffFreq);
    std::memcpy(rec.cTitle, in + kOffTitle, kTitleSize);
    rec.uWeek = GetU32(in + kOffWeek);
    rec.cPending = in[kOffPending];
    rec.cValid = in[kOffValid];
    rec.uState = GetU32(in + kOffState);
}

std::size_t ScheduleTitleLength(SCHEDULEITEM_TAG const& rec) {
    void const* zero = std::memchr(rec.cTitle, 0, kTitleSize);
    return zero ? static_cast<std::size_t>(static_cast<char const*>(zero) - rec.cTitle)
                : kTitleSize;
}

CScheduleItem::CScheduleItem() : m_now(&SystemNow) {
    std::lock_guard lock(m_Lock);
    InitializeLocked();
}

CScheduleItem::~CScheduleItem() {
    std::lock_guard lock(m_Lock);
    TerminateLocked();
}

bool CScheduleItem::Initialize() {
    std::lock_guard lock(m_Lock);
    InitializeLocked();
    return true;
}

void CScheduleItem::Terminate() {
    std::lock_guard lock(m_Lock);
    TerminateLocked();
}

void CScheduleItem::InitializeLocked() {
    TerminateLocked();
    m_pszPath = std::make_unique<char[]>(256); // zero-filled
}

void CScheduleItem::TerminateLocked() {
    m_ppSchedule.clear();
    m_ppSchedule.shrink_to_fit();
    m_pszPath.reset();
    m_usedIds.fill(0);
    m_firstFreeWord = 0;
    m_nSorted = 0;
    SetCountLocked();
}

void CScheduleItem::SetCountLocked() {
    m_nCount.store(static_cast<int>(m_ppSchedule.size()));
}

void CScheduleItem::RememberPathLocked(char const* path) {
    // Nobody reads the path back; it is kept only while the buffer exists.
    std::size_t length = std::strlen(path);
    if (m_pszPath && length < 256)
        std::memcpy(m_pszPath.get(), path, length + 1);
}

void CScheduleItem::setNowFunction(NowFunction now) {
    m_now.store(now ? now : &SystemNow);
}

std::string CScheduleItem::lastRescuedCopy() const {
    std::lock_guard lock(m_Lock);
    return m_strRescued;
}

void CScheduleItem::RestoreIdsLocked(std::vector<int32_t> const& ids) {
    // Only a set that a list could have given: every id in range and none twice.
    if (ids.size() != m_ppSchedule.size())
        return;
    std::array<uint64_t, (kScheduleMaxCount + 63) / 64> used{};
    for (int32_t const id : ids) {
        if (id < 0 || id >= kScheduleMaxCount || (used[id / 64] >> (id % 64) & 1) != 0)
            return;
        used[id / 64] |= uint64_t{1} << (id % 64);
    }
    for (std::size_t i = 0; i < ids.size(); ++i)
        m_ppSchedule[i]->nID = ids[i]; // still in file order: nothing was sorted yet
    m_usedIds = used;
}

bool CScheduleItem::addSchedule(SCHEDULEITEM_TAG* rec, SCHEDULE_RETURN& result, signed char sort,
                                int* newId) {
    result.nResult = 0;
    if (rec == nullptr)
        return false;
    std::lock_guard lock(m_Lock);
    int const id = getNewIdLocked(); // the one the add gives, under the same hold
    bool const added = addLocked(*rec, result, sort != 0, true);
    if (added && newId != nullptr)
        *newId = id;
    return added;
}

bool CScheduleItem::addLocked(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result, bool sort,
                              bool checkOverlap) {
    if (m_ppSchedule.size() > static_cast<std::size_t>(kScheduleMaxCount - 1)) {
        result.nResult = 4;
        return false;
    }
    // Load accepts overlaps silently, so it needs only the refusing part of the check.
    if (!(checkOverlap ? mCheckLocked(rec, result) : ValidityCheck(rec, result)))
        return false;

    auto stored = std::make_unique<StoredRecord>(rec, ++m_lastSerial);
    stored->nID = getNewIdLocked(); // over the records stored before this one
    m_usedIds[stored->nID / 64] |= uint64_t{1} << (stored->nID % 64);

    if (sort && IsSortedLocked()) {
        // Inserting after every equal key is what a stable sort of the appended list gives.
        auto at = std::upper_bound(m_ppSchedule.begin(), m_ppSchedule.end(), stored,
                                   PtrKeyLess<RecordPtr>);
        m_ppSchedule.insert(at, std::move(stored));
        m_nSorted = m_ppSchedule.size();
    } else {
        bool const staysSorted =
            IsSortedLocked() && (m_ppSchedule.empty() || !KeyLess(*stored, *m_ppSchedule.back()));
        m_ppSchedule.push_back(std::move(stored));
        if (staysSorted)
            m_nSorted = m_ppSchedule.size();
        if (sort)
            mSortLocked();
    }
    SetCountLocked();
    return true;
}

bool CScheduleItem::editSchedule(SCHEDULEITEM_TAG* rec, SCHEDULE_RETURN& result) {
    result.nResult = 0;
    if (rec == nullptr)
        return false;
    // Check and replacement under one hold: no add can slip in between them.
    std::lock_guard lock(m_Lock);
    if (!mCheckLocked(*rec, result))
        return false;
    for (std::size_t i = 0; i < m_ppSchedule.size(); ++i) {
        if (m_ppSchedule[i]->nID == rec->nID) {
            // Same id, so the id bitmap stays right; the serial stays with the record.
            static_cast<SCHEDULEITEM_TAG&>(*m_ppSchedule[i]) = *rec;
            ResortAfterEditLocked(i);
            return true;
        }
    }
    // Unknown id: stored as a new reservation under a new id.
    return addLocked(*rec, result, true, true);
}

void CScheduleItem::ResortAfterEditLocked(std::size_t index) {
    if (!IsSortedLocked()) {
        m_nSorted = std::min(m_nSorted, index); // the records before it are still in order
        mSortLocked();
        return;
    }
    // The others are still in order. A stable sort puts the changed record after the
    // records of equal key that stood before it and before those that stood after it.
    RecordPtr changed = std::move(m_ppSchedule[index]);
    m_ppSchedule.erase(m_ppSchedule.begin() + static_cast<std::ptrdiff_t>(index));
    auto lo =
        std::lower_bound(m_ppSchedule.begin(), m_ppSchedule.end(), changed, PtrKeyLess<RecordPtr>);
    auto hi = std::upper_bound(lo, m_ppSchedule.end(), changed, PtrKeyLess<RecordPtr>);
    auto at = m_ppSchedule.begin() + static_cast<std::ptrdiff_t>(index);
    at = std::clamp(at, lo, hi);
    m_ppSchedule.insert(at, std::move(changed));
    m_nSorted = m_ppSchedule.size();
}

bool CScheduleItem::deleteSchedule(int id) {
    std::lock_guard lock(m_Lock);
    return deleteLocked(id, nullptr);
}

bool CScheduleItem::deleteSchedule(int id, uint64_t serial) {
    std::lock_guard lock(m_Lock);
    return deleteLocked(id, &serial);
}

bool CScheduleItem::deleteLocked(int id, uint64_t const* serial) {
    auto it = std::find_if(m_ppSchedule.begin(), m_ppSchedule.end(),
                           [id](RecordPtr const& r) { return r->nID == id; });
    if (it == m_ppSchedule.end() || (serial != nullptr && (*it)->serial != *serial))
        return false;
    int const stored = (*it)->nID;
    m_usedIds[stored / 64] &= ~(uint64_t{1} << (stored % 64));
    m_firstFreeWord = std::min(m_firstFreeWord, static_cast<std::size_t>(stored / 64));
    if (static_cast<std::size_t>(it - m_ppSchedule.begin()) < m_nSorted)
        --m_nSorted;
    m_ppSchedule.erase(it); // the others keep their order
    SetCountLocked();
    return true;
}

int CScheduleItem::getNewId() {
    std::lock_guard lock(m_Lock);
    return getNewIdLocked();
}

int CScheduleItem::getNewIdLocked() const {
    // Every word before m_firstFreeWord is full: a load of thousands of records does not
    // search from the start for each.
    for (std::size_t word = m_firstFreeWord; word < m_usedIds.size(); ++word) {
        if (~m_usedIds[word] != 0) {
            m_firstFreeWord = word;
            int id = static_cast<int>(word * 64) + std::countr_one(m_usedIds[word]);
            return id < kScheduleMaxCount ? id : -1;
        }
    }
    return -1;
}

bool CScheduleItem::mCheck(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result) {
    std::lock_guard lock(m_Lock);
    return mCheckLocked(rec, result);
}

bool CScheduleItem::GlovalCheck(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result) {
    std::lock_guard lock(m_Lock);
    return mCheckLocked(rec, result);
}

bool CScheduleItem::mCheckLocked(SCHEDULEITEM_TAG const& rec, SCHEDULE_RETURN& result) const {
    if (!ValidityCheck(rec, result))
        return false;
    double const start = rec.dStartTime;
    double const end = rec.dEndTime;
    auto overlaps = [&](StoredRecord const& other) {
        // A reservation being edited is not compared with its own stored copy.
        return other.cValid != 0 && other.nID != rec.nID && start < other.dEndTime &&
               other.dStartTime < end;
    };
    // In the sorted front of the list nothing from the first start at or after the end on
    // can overlap (the table asks this for every row it draws); the rest is looked at whole.
    std::size_t i = 0;
    for (; i < m_nSorted && m_ppSchedule[i]->dStartTime < end && result.nResult == 0; ++i) {
        if (overlaps(*m_ppSchedule[i]))
            result.nResult = 1;
    }
    for (i = std::max(i, m_nSorted); i < m_ppSchedule.size() && result.nResult == 0; ++i) {
        if (overlaps(*m_ppSchedule[i]))
            result.nResult = 1;
    }
    // An overlap is a warning: the record is still accepted.
    return true;
}

void CScheduleItem::mSort() {
    std::lock_guard lock(m_Lock);
    mSortLocked();
}

void CScheduleItem::mSortLocked() {
    if (IsSortedLocked())
        return;
    // Same result as a stable sort of the whole list: the sorted front precedes the rest in
    // list order, and the merge keeps it first among equal keys.
    auto const middle = m_ppSchedule.begin() + static_cast<std::ptrdiff_t>(m_nSorted);
    std::stable_sort(middle, m_ppSchedule.end(), PtrKeyLess<RecordPtr>);
    std::inplace_merge(m_ppSchedule.begin(), middle, m_ppSchedule.end(), PtrKeyLess<RecordPtr>);
    m_nSorted = m_ppSchedule.size();
}

int CScheduleItem::GetCountByKind(int kind) {
    std::lock_guard lock(m_Lock);
    int count = 0;
    for (RecordPtr const& r : m_ppSchedule) {
        // Every matching flag counts, so one record may count more than once.
        if ((kind & 0x01) && r->cValid != 0 && r->cPending != 0)
            ++count;
        if ((kind & 0x02) && r->cValid != 0)
            ++count;
        if ((kind & 0x04) && r->cValid == 0)
            ++count;
        if ((kind & 0x10) && r->cPending == 0)
            ++count;
    }
    return count;
}

bool CScheduleItem::readScheduleByIndex(int index, SCHEDULEITEM_TAG* out) {
    std::lock_guard lock(m_Lock);
    if (out == nullptr || index < 0 || static_cast<std::size_t>(index) >= m_ppSchedule.size())
        return false;
    *out = *m_ppSchedule[static_cast<std::size_t>(index)];
    return true;
}

bool CScheduleItem::readSchedule(int id, SCHEDULEITEM_TAG* out) {
    return readSchedule(id, out, nullptr);
}

bool CScheduleItem::readSchedule(int id, SCHEDULEITEM_TAG* out, uint64_t* serial) {
    std::lock_guard lock(m_Lock);
    if (out == nullptr)
        return false;
    for (RecordPtr const& r : m_ppSchedule) {
        if (r->nID == id) {
            *out = *r;
            if (serial != nullptr)
                *serial = r->serial;
            return true;
        }
    }
    return false;
}

bool CScheduleItem::readSchedule(SCHEDULEITEM_TAG* out) {
    std::lock_guard lock(m_Lock);
    double const now = m_now.load()();
    mSortLocked();
    // Sorted by start, so everything before the first start later than now is out.
    auto it = std::partition_point(m_ppSchedule.begin(), m_ppSchedule.end(),
                                   [now](RecordPtr const& r) { return r->dStartTime <= now; });
    for (; it != m_ppSchedule.end(); ++it) {
        // cPending and uState are not looked at: a run handed over just before its start
        // still counts while that start lies ahead.
        if ((*it)->dStartTime > now && (*it)->cValid != 0) {
            if (out != nullptr)
                *out = **it;
            return out != nullptr;
        }
    }
    return false;
}

bool CScheduleItem::readScheduleLatest(SCHEDULEITEM_TAG* out) {
    std::lock_guard lock(m_Lock);
    double const now = m_now.load()();
    mSortLocked();
    SCHEDULEITEM_TAG const* candidate = nullptr;
    double bestEnd = 0.0;
    for (RecordPtr const& r : m_ppSchedule) {
        if (r->cValid == 0 || r->cPending == 0)
            continue;
        // A reservation that repeats every week has no last occurrence.
        if (r->uWeek != 0)
            return false;
        if (r->dEndTime > bestEnd) {
            candidate = r.get();
            bestEnd = r->dEndTime;
        }
    }
    if (candidate == nullptr || !(candidate->dEndTime > now) || out == nullptr)
        return false;
    *out = *candidate;
    return true;
}

SaveOutcome CScheduleItem::lastSaveOutcome() const {
    std::lock_guard lock(m_Lock);
    return m_lastSave;
}

bool CScheduleItem::Save(char const* path) {
    if (path == nullptr || *path == '\0')
        return false;
    std::lock_guard fileLock(m_FileLock);
    SaveOutcome outcome;
    outcome.path = path;
    bool const saved = SaveLocked(path, outcome);
    outcome.saved = saved;
    std::lock_guard lock(m_Lock);
    m_lastSave = std::move(outcome);
    return saved;
}

bool CScheduleItem::SaveLocked(char const* path, SaveOutcome& outcome) {

    // A snapshot under the list's lock: the file never shows a half-done change, and the
    // slow part (writing and syncing) does not hold up the other threads.
    std::vector<uint8_t> bytes;
    {
        std::lock_guard lock(m_Lock);
        RememberPathLocked(path);
        bytes.resize(m_ppSchedule.size() * kScheduleRecordSize);
        uint8_t* p = bytes.data();
        for (RecordPtr const& r : m_ppSchedule) {
            ScheduleRecordToBytes(*r, p);
            p += kScheduleRecordSize;
        }
    }

    if (!m_strPendingRescue.empty() && m_strPendingRescue == path) {
        // The damaged file could not be copied at load time; it must not be replaced
        // before a copy exists.
        int fd = OpenRegularForReading(path);
        if (fd >= 0) {
            RescueDamagedFile(fd, path);
            int const error = errno; // why the copy failed, when it did
            ::close(fd);
            if (!m_strPendingRescue.empty()) {
                outcome.error = error;
                outcome.rescuePending = true;
                return false;
            }
        } else if (errno == ENOENT) {
            m_strPendingRescue.clear(); // nothing left to keep
        } else {
            outcome.error = errno;
            outcome.rescuePending = true;
            return false;
        }
    }
    if (!WriteFileAtomically(path, bytes.data(), bytes.size())) {
        outcome.error = errno;
        return false;
    }
    return true;
}

void CScheduleItem::RescueDamagedFile(int fd, std::string const& path) {
    std::string copy = CopyFileBeside(fd, path);
    if (copy.empty()) {
        m_strPendingRescue = path;
        return;
    }
    m_strPendingRescue.clear();
    std::lock_guard lock(m_Lock);
    m_strRescued = copy;
}

bool CScheduleItem::AddFileRecordsLocked(uint8_t const* data, std::size_t records, bool& damaged,
                                         std::vector<int32_t>* storedIds) {
    for (std::size_t i = 0; i < records; ++i) {
        SCHEDULEITEM_TAG rec;
        ScheduleRecordFromBytes(data + i * kScheduleRecordSize, rec);
        if (rec.nID < 0)
            continue; // marked as not to be loaded
        if (ScheduleTitleLength(rec) == kTitleSize) {
            // No terminator: keep the text readable as a C string by everyone after us.
            rec.cTitle[kTitleSize - 1] = '\0';
            damaged = true;
        }
        rec.uState = 0; // nothing is being recorded at start-up
        SCHEDULE_RETURN result;
        int32_t const storedId = rec.nID;
        if (!addLocked(rec, result, false, false)) {
            // The records before the refused one stay, in file order.
            damaged = true;
            return false;
        }
        if (storedIds != nullptr) {
            storedIds->push_back(storedId);
        }
    }
    return true;
}

bool CScheduleItem::LoadFromMemory(uint8_t const* data, std::size_t size, bool* damaged) {
    std::lock_guard lock(m_Lock);
    InitializeLocked();
    bool hurt = size % kScheduleRecordSize != 0; // a trailing fragment is dropped
    bool const ok = AddFileRecordsLocked(data, size / kScheduleRecordSize, hurt);
    if (ok)
        mSortLocked();
    if (damaged != nullptr)
        *damaged = hurt;
    return ok;
}

bool CScheduleItem::Load(char const* path) {
    return LoadFile(path, false);
}

bool CScheduleItem::LoadWithStoredIds(char const* path) {
    return LoadFile(path, true);
}

bool CScheduleItem::LoadFile(char const* path, bool keepIds) {
    if (path == nullptr || *path == '\0')
        return false;
    std::lock_guard fileLock(m_FileLock);
    std::unique_lock lock(m_Lock);
    InitializeLocked();
    RememberPathLocked(path);

    int fd = OpenRegularForReading(path);
    if (fd < 0)
        return false; // the first run has no file yet, or something else lies in its place
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_ppSchedule.reserve(static_cast<std::size_t>(
        std::min<off_t>(st.st_size / static_cast<off_t>(kScheduleRecordSize), kScheduleMaxCount)));

    constexpr std::size_t kChunkRecords = 512;
    std::vector<uint8_t> buffer(kChunkRecords * kScheduleRecordSize);
    bool ok = true;
    bool stopped = false;
    bool damaged = false;           // the list does not hold everything the file holds
    std::vector<int32_t> storedIds; // of the records added, in file order
    for (;;) {
        ssize_t got = ReadUpTo(fd, buffer.data(), buffer.size());
        if (got < 0) {
            ok = false;
            damaged = true;
            break;
        }
        std::size_t const whole = static_cast<std::size_t>(got) / kScheduleRecordSize;
        if (!AddFileRecordsLocked(buffer.data(), whole, damaged, &storedIds)) {
            ok = false;
            stopped = true;
            break;
        }
        if (static_cast<std::size_t>(got) < buffer.size()) {
            // End of file. A trailing fragment can only be damage; it is dropped rather
            // than completed with bytes of another record.
            if (got % static_cast<ssize_t>(kScheduleRecordSize) != 0)
                damaged = true;
            break;
        }
    }
    if (keepIds)
        RestoreIdsLocked(storedIds);
    if (!stopped)
        mSortLocked();
    lock.unlock();

    if (damaged)
        RescueDamagedFile(fd, path);
    else if (m_strPendingRescue == path)
        m_strPendingRescue.clear();
    ::close(fd);
    return ok;
}
