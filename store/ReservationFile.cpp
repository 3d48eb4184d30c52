#include "store/ReservationFile.h"

#include "posix/SafeFile.h"
#include "store/ReservationRecord.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads until size bytes arrived or the end of the file; -1 on a read error.
ssize_t readUpTo(int fd, uint8_t* buffer, std::size_t size) {
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

ReservationFile::ReservationFile(std::string path) : m_path(std::move(path)) {}

SaveOutcome ReservationFile::lastSaveOutcome() const {
    std::lock_guard lock(m_stateMutex);
    return m_lastSave;
}

std::string ReservationFile::lastRescuedCopy() const {
    std::lock_guard lock(m_stateMutex);
    return m_rescued;
}

bool ReservationFile::save(ReservationList const& list) {
    if (m_path.empty())
        return false;
    std::lock_guard fileLock(m_fileMutex);
    SaveOutcome outcome;
    outcome.path = m_path;
    // A snapshot in one hold of the list: the file never shows a half-done change, and the
    // slow part (writing and syncing) does not hold up the other threads.
    bool const saved = saveLocked(list.fileBytes(), outcome);
    outcome.saved = saved;
    std::lock_guard lock(m_stateMutex);
    m_lastSave = std::move(outcome);
    return saved;
}

bool ReservationFile::saveLocked(std::vector<uint8_t> const& bytes, SaveOutcome& outcome) {
    if (m_pendingRescue) {
        // The damaged file could not be copied at load time; it must not be replaced before
        // a copy exists.
        int fd = openRegularForReading(m_path);
        if (fd >= 0) {
            rescueDamagedFile(fd);
            int const error = errno; // why the copy failed, when it did
            ::close(fd);
            if (m_pendingRescue) {
                outcome.error = error;
                outcome.rescuePending = true;
                return false;
            }
        } else if (errno == ENOENT) {
            m_pendingRescue = false; // nothing left to keep
        } else {
            outcome.error = errno;
            outcome.rescuePending = true;
            return false;
        }
    }
    if (!writeFileAtomically(m_path, bytes.data(), bytes.size())) {
        outcome.error = errno;
        return false;
    }
    return true;
}

void ReservationFile::rescueDamagedFile(int fd) {
    std::string copy = copyFileBeside(fd, m_path);
    if (copy.empty()) {
        m_pendingRescue = true;
        return;
    }
    m_pendingRescue = false;
    std::lock_guard lock(m_stateMutex);
    m_rescued = copy;
}

bool ReservationFile::loadFromMemory(ReservationList& list, uint8_t const* data, std::size_t size,
                                     bool* damaged) {
    bool hurt = size % ReservationRecord::kSize != 0; // a trailing fragment is dropped
    bool const ok = list.loadRecords(data, size / ReservationRecord::kSize, false, hurt);
    if (damaged != nullptr)
        *damaged = hurt;
    return ok;
}

bool ReservationFile::load(ReservationList& list) {
    return loadFile(list, false);
}

bool ReservationFile::loadKeepingIds(ReservationList& list) {
    return loadFile(list, true);
}

bool ReservationFile::loadFile(ReservationList& list, bool keepIds) {
    if (m_path.empty())
        return false;
    std::lock_guard fileLock(m_fileMutex);
    int fd = openRegularForReading(m_path);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        list.clear();
        return false; // the first run has no file yet, or something else lies in its place
    }

    // Whole records only, read in chunks; a read error keeps the chunks before it. Records
    // marked not to be loaded are dropped as they are read, and the reading ends once more
    // records came than the list can hold (the load refuses the first of those), so a huge
    // file costs no more memory than a full list.
    constexpr std::size_t kChunk = 512 * ReservationRecord::kSize;
    std::vector<uint8_t> chunk(kChunk);
    std::vector<uint8_t> bytes;
    bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)),
                                        ReservationList::kCapacity * ReservationRecord::kSize));
    bool readError = false;
    bool fragment = false;
    for (;;) {
        ssize_t const got = readUpTo(fd, chunk.data(), kChunk);
        if (got < 0) {
            readError = true;
            break;
        }
        std::size_t const whole = static_cast<std::size_t>(got) / ReservationRecord::kSize;
        for (std::size_t i = 0; i < whole; ++i) {
            uint8_t const* record = chunk.data() + i * ReservationRecord::kSize;
            if ((record[3] & 0x80) == 0) { // a negative id marks a record not to be loaded
                bytes.insert(bytes.end(), record, record + ReservationRecord::kSize);
            }
        }
        if (bytes.size() > ReservationList::kCapacity * ReservationRecord::kSize)
            break;
        if (static_cast<std::size_t>(got) < kChunk) {
            // End of file. A trailing fragment can only be damage; it is dropped rather than
            // completed with bytes of another record.
            fragment = static_cast<std::size_t>(got) % ReservationRecord::kSize != 0;
            break;
        }
    }
    bool damaged = readError || fragment;
    bool const ok =
        list.loadRecords(bytes.data(), bytes.size() / ReservationRecord::kSize, keepIds, damaged) &&
        !readError;

    if (damaged)
        rescueDamagedFile(fd);
    else
        m_pendingRescue = false;
    ::close(fd);
    return ok;
}
