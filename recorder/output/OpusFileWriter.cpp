#include "output/OpusFileWriter.h"

#include "output/OggRepair.h"

#include <opus/opusenc.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velto {

namespace {
constexpr int kRate = 48'000;
// Pages are cut at least every second, and synced every 3 s of sound: with the encoder's
// own 0.1 s, a power cut loses under 5 s.
constexpr int kMuxingDelay = kRate;
constexpr int kDecisionDelay = kRate / 10;
constexpr std::uint64_t kSyncFrames = 3 * kRate;
// " (2)" … " (999)": past that something else is wrong.
constexpr int kMostTries = 999;

FileError fromErrno(int code, const std::string& what) {
    if (code == ENOSPC || code == EDQUOT)
        return {"disk-full", "The disk is full: " + what + "."};
    return {"write-failed", "Cannot write " + what + ": " + std::strerror(code) + "."};
}

std::string numbered(const std::string& stem, int n) {
    return n == 1 ? stem : stem + " (" + std::to_string(n) + ")";
}

bool exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}
} // namespace

std::uint64_t expectedBytes(int bitrate, double seconds) {
    // Ogg pages add about 1 %; the headers a few kilobytes.
    return std::uint64_t(bitrate / 8.0 * seconds * 1.01) + 8192;
}

OpusFileWriter::~OpusFileWriter() {
    if (m_encoder) {
        std::string path;
        FileError ignored;
        finish(path, ignored);
    }
}

int OpusFileWriter::writePage(void* self, const unsigned char* data, std::int32_t length) {
    auto* writer = static_cast<OpusFileWriter*>(self);
    if (writer->m_ioErrno)
        return 1;
    while (length > 0) {
        const ssize_t n = ::write(writer->m_fd, data, std::size_t(length));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            writer->m_ioErrno = errno;
            return 1;
        }
        data += n;
        length -= std::int32_t(n);
    }
    return 0;
}

int OpusFileWriter::closeStream(void*) {
    return 0;
}

bool OpusFileWriter::open(const std::string& folder, const std::string& stem, int channels,
                          const EncoderSettings& settings, const RecordingTags& tags,
                          FileError& error) {
    if (m_encoder) {
        error = {"write-failed", "A recording file is already open."};
        return false;
    }
    m_folder = folder;
    m_stem.clear();
    m_channels = channels == 1 ? 1 : 2;
    m_bitrate = m_channels == 1 ? settings.monoBitrate : settings.stereoBitrate;
    m_bitrate = std::clamp(m_bitrate, 6'000, 510'000);
    for (int n = 1; n <= kMostTries && m_fd < 0; ++n) {
        const std::string candidate = folder + "/" + numbered(stem, n);
        if (exists(candidate + ".opus"))
            continue;
        const std::string part = candidate + ".opus.part";
        m_fd = ::open(part.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (m_fd >= 0) {
            m_stem = numbered(stem, n);
            m_partPath = part;
        } else if (errno != EEXIST) {
            const int code = errno;
            error = code == ENOSPC
                        ? fromErrno(code, part)
                        : FileError{"folder-unwritable", "Cannot create a file in " + folder +
                                                             ": " + std::strerror(code) + "."};
            return false;
        }
    }
    if (m_fd < 0) {
        error = {"folder-unwritable", "Every name for this recording is taken in " + folder + "."};
        return false;
    }
    // Recovery at the next start leaves a locked file alone: its recorder still runs.
    flock(m_fd, LOCK_EX | LOCK_NB);

    OggOpusComments* comments = ope_comments_create();
    auto add = [comments](const char* key, const std::string& value) {
        if (!value.empty())
            ope_comments_add(comments, key, value.c_str());
    };
    add("TITLE", tags.title);
    add("DATE", tags.date);
    add("ORGANIZATION", tags.organization);
    add("COMMENT", tags.comment);
    const OpusEncCallbacks callbacks{&OpusFileWriter::writePage, &OpusFileWriter::closeStream};
    int status = OPE_OK;
    m_encoder =
        ope_encoder_create_callbacks(&callbacks, this, comments, kRate, m_channels, 0, &status);
    ope_comments_destroy(comments);
    if (!m_encoder) {
        error = {"write-failed",
                 std::string("The encoder could not start: ") + ope_strerror(status) + "."};
        abandon();
        return false;
    }
    ope_encoder_ctl(m_encoder, OPUS_SET_BITRATE(m_bitrate));
    ope_encoder_ctl(m_encoder, OPE_SET_MUXING_DELAY(kMuxingDelay));
    ope_encoder_ctl(m_encoder, OPE_SET_DECISION_DELAY(kDecisionDelay));
    m_frames = m_framesAtSync = 0;
    m_ioErrno = 0;
    // The headers go out at once, so that even a recording cut off at its first second
    // leaves a file that says what it is.
    ope_encoder_flush_header(m_encoder);
    return checkIo(error);
}

bool OpusFileWriter::checkIo(FileError& error) {
    if (m_ioErrno == 0)
        return true;
    error = fromErrno(m_ioErrno, m_partPath);
    return false;
}

bool OpusFileWriter::syncIfDue(FileError& error) {
    if (m_frames - m_framesAtSync < kSyncFrames)
        return true;
    m_framesAtSync = m_frames;
    if (fdatasync(m_fd) != 0) {
        error = fromErrno(errno, m_partPath);
        return false;
    }
    return true;
}

bool OpusFileWriter::write(const float* frames, std::size_t count, FileError& error) {
    if (!m_encoder) {
        error = {"write-failed", "No recording file is open."};
        return false;
    }
    m_scratch.resize(count * std::size_t(m_channels));
    for (std::size_t i = 0; i < count; ++i) {
        float left = frames[2 * i];
        float right = frames[2 * i + 1];
        // A NaN or an overload from upstream must not reach the encoder.
        left = std::isfinite(left) ? std::clamp(left, -1.0f, 1.0f) : 0.0f;
        right = std::isfinite(right) ? std::clamp(right, -1.0f, 1.0f) : 0.0f;
        if (m_channels == 1) {
            m_scratch[i] = 0.5f * (left + right);
        } else {
            m_scratch[2 * i] = left;
            m_scratch[2 * i + 1] = right;
        }
    }
    // libopusenc takes counts as int; feed it in pieces well within that.
    constexpr std::size_t kPiece = 1 << 20;
    for (std::size_t at = 0; at < count; at += kPiece) {
        const std::size_t n = std::min(kPiece, count - at);
        const int status = ope_encoder_write_float(
            m_encoder, m_scratch.data() + at * std::size_t(m_channels), int(n));
        if (!checkIo(error))
            return false;
        if (status != OPE_OK) {
            error = {"write-failed", std::string("The encoder failed: ") + ope_strerror(status)};
            return false;
        }
        m_frames += n;
    }
    return syncIfDue(error);
}

bool OpusFileWriter::writeSilence(std::size_t count, FileError& error) {
    static const std::vector<float> silence(2 * 4800, 0.0f);
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, 4800);
        if (!write(silence.data(), n, error))
            return false;
        count -= n;
    }
    return true;
}

bool OpusFileWriter::finish(std::string& path, FileError& error) {
    if (!m_encoder) {
        error = {"write-failed", "No recording file is open."};
        return false;
    }
    if (m_frames == 0) {
        // No sound, no file (libopusenc cannot always drain a stream that never had any).
        ope_encoder_destroy(m_encoder);
        m_encoder = nullptr;
        abandon();
        path.clear();
        error = {"no-sound", "Nothing was recorded."};
        return false;
    }
    bool ok = true;
    // A failed write leaves the encoder unusable for more; draining still tries the pages
    // that fit, and the file stays whatever size it reached.
    const int status = ope_encoder_drain(m_encoder);
    if (!checkIo(error)) {
        ok = false;
    } else if (status != OPE_OK) {
        error = {"write-failed", std::string("The encoder failed: ") + ope_strerror(status)};
        ok = false;
    }
    ope_encoder_destroy(m_encoder);
    m_encoder = nullptr;
    if (!ok) {
        // A write cut short (a full disk) may have left half a page: end the file at its
        // last whole one so that it plays to there.
        std::string why;
        repairOgg(m_fd, why);
    }
    if (fsync(m_fd) != 0 && ok) {
        error = fromErrno(errno, m_partPath);
        ok = false;
    }
    ::close(m_fd);
    m_fd = -1;
    // The name without ".part", or the next free one if another appeared meanwhile.
    for (int n = 1; n <= kMostTries; ++n) {
        const std::string target = m_folder + "/" + numbered(m_stem, n) + ".opus";
        if (renameat2(AT_FDCWD, m_partPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) ==
            0) {
            path = target;
            syncFolder(m_folder);
            return ok;
        }
        if (errno != EEXIST) {
            if (ok)
                error = {"write-failed",
                         "Cannot rename " + m_partPath + ": " + std::strerror(errno) + "."};
            path = m_partPath;
            return false;
        }
    }
    path = m_partPath;
    if (ok)
        error = {"write-failed", "Every name for this recording is taken."};
    return false;
}

void OpusFileWriter::abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        unlink(m_partPath.c_str());
    }
    m_fd = -1;
}

} // namespace velto
