#include "sources/IqFileSource.h"

#include "sources/SourceAddress.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace velto {

namespace {
constexpr double kLowestRate = 8'000;
constexpr double kHighestRate = 100'000'000;
// Untrusted floats: the filters' state must never take in an infinity or a NaN, which
// would stay in it for good.
constexpr float kLargestSample = 1e3f;
// One read delivers this much of the capture.
constexpr double kReadSeconds = 0.1;

float clean(float v) {
    if (!std::isfinite(v))
        return 0.0f;
    return std::clamp(v, -kLargestSample, kLargestSample);
}
} // namespace

std::optional<CaptureInfo> CaptureInfo::parse(std::string_view text, std::string& why) {
    // The settings follow the last '?', so a path may hold one.
    const auto question = text.rfind('?');
    if (question == std::string_view::npos) {
        why = "A capture needs its format, rate and centre: iq:FILE?format=cu8&rate=1024000&"
              "center=80250000.";
        return std::nullopt;
    }
    auto path = percentDecode(text.substr(0, question));
    if (!path || path->empty()) {
        why = "The capture's file name is missing or has a broken %-escape.";
        return std::nullopt;
    }
    auto query = parseQuery(text.substr(question + 1), {"format", "rate", "center", "loop"}, why);
    if (!query)
        return std::nullopt;
    CaptureInfo info;
    info.path = std::move(*path);
    const std::string& format = (*query)["format"];
    if (format == "cu8") {
        info.format = SampleFormat::Cu8;
    } else if (format == "cs16") {
        info.format = SampleFormat::Cs16;
    } else if (format == "cf32") {
        info.format = SampleFormat::Cf32;
    } else {
        why = "The capture's format must be cu8, cs16 or cf32.";
        return std::nullopt;
    }
    const auto rate = parseNumber((*query)["rate"]);
    if (!rate || *rate < kLowestRate || *rate > kHighestRate || *rate != std::floor(*rate)) {
        why = "The capture's rate must be a whole number of samples a second, 8000 to "
              "100000000.";
        return std::nullopt;
    }
    info.rate = *rate;
    const auto centre = parseNumber((*query)["center"]);
    if (!centre || *centre > 10e9) {
        why = "The capture's center must be its centre frequency in Hz.";
        return std::nullopt;
    }
    info.centreHz = *centre;
    const auto loop = query->find("loop");
    if (loop != query->end()) {
        if (loop->second != "0" && loop->second != "1") {
            why = "loop is 0 or 1.";
            return std::nullopt;
        }
        info.loop = loop->second == "1";
    }
    return info;
}

IqFileSource::IqFileSource(CaptureInfo capture, bool realTime)
    : m_capture(std::move(capture)), m_realTime(realTime) {
    m_sampleBytes = m_capture.format == SampleFormat::Cu8    ? 2
                    : m_capture.format == SampleFormat::Cs16 ? 4
                                                             : 8;
}

IqFileSource::~IqFileSource() {
    close();
}

bool IqFileSource::open(const Station&, SourceError& error) {
    close();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused just below.
    m_fd = ::open(m_capture.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        error = {"capture-unreadable", "The capture " + m_capture.path +
                                           " cannot be opened: " + std::strerror(errno) + "."};
        return false;
    }
    struct stat info {};
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = {"capture-not-a-file",
                 "The capture " + m_capture.path +
                     " is not a regular file (a pipe or a device is not replayed)."};
        close();
        return false;
    }
    if (std::uint64_t(info.st_size) < m_sampleBytes) {
        error = {"capture-empty", "The capture " + m_capture.path + " holds no samples."};
        close();
        return false;
    }
    // Reads of a regular file do not block; the flag is no longer needed.
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_leftOver = std::uint64_t(info.st_size) % m_sampleBytes;
    m_delivered = 0;
    m_began = std::chrono::steady_clock::now();
    return true;
}

void IqFileSource::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

ReadStatus IqFileSource::read(std::vector<std::complex<float>>& out,
                              std::chrono::milliseconds timeout, SourceError& error) {
    if (m_fd < 0) {
        error = {"capture-unreadable", "The capture is not open."};
        return ReadStatus::Lost;
    }
    const auto samples = std::size_t(m_capture.rate * kReadSeconds);
    if (m_realTime) {
        // The next block is due when the previous one has played.
        const auto due = m_began + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                       std::chrono::duration<double>(m_delivered / m_capture.rate));
        const auto latest = std::chrono::steady_clock::now() + timeout;
        if (due > latest) {
            std::this_thread::sleep_until(latest);
            return ReadStatus::Audio;
        }
        std::this_thread::sleep_until(due);
    }
    m_buffer.resize(samples * m_sampleBytes);
    std::size_t filled = 0;
    bool rewound = false;
    while (filled < m_buffer.size()) {
        const ssize_t got = ::read(m_fd, m_buffer.data() + filled, m_buffer.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = {"capture-unreadable", "The capture " + m_capture.path +
                                               " cannot be read: " + std::strerror(errno) + "."};
            return ReadStatus::Lost;
        }
        if (got == 0) {
            // The end: once more from the start when looping (a capture shorter than one
            // read is not looped inside it), otherwise what is left is the last of it.
            if (m_capture.loop && !rewound && lseek(m_fd, 0, SEEK_SET) == 0) {
                rewound = true;
                // Only whole samples go round.
                filled -= filled % m_sampleBytes;
                continue;
            }
            break;
        }
        filled += std::size_t(got);
        rewound = false;
    }
    const std::size_t whole = filled / m_sampleBytes;
    convert(m_buffer.data(), whole, out);
    m_delivered += whole;
    if (filled < m_buffer.size()) {
        if (m_leftOver != 0 || filled % m_sampleBytes != 0) {
            error = {"capture-truncated",
                     "The capture " + m_capture.path +
                         " ends inside a sample; it was played to its last whole sample."};
        } else {
            error = {"capture-ended", "The capture " + m_capture.path + " has ended."};
        }
        return ReadStatus::Finished;
    }
    return ReadStatus::Audio;
}

void IqFileSource::convert(const unsigned char* bytes, std::size_t samples,
                           std::vector<std::complex<float>>& out) const {
    const std::size_t start = out.size();
    out.resize(start + samples);
    std::complex<float>* dst = out.data() + start;
    switch (m_capture.format) {
    case SampleFormat::Cu8:
        for (std::size_t i = 0; i < samples; ++i)
            dst[i] = {(bytes[2 * i] - 127.5f) / 127.5f, (bytes[2 * i + 1] - 127.5f) / 127.5f};
        break;
    case SampleFormat::Cs16:
        for (std::size_t i = 0; i < samples; ++i) {
            const auto re = std::int16_t(bytes[4 * i] | (bytes[4 * i + 1] << 8));
            const auto im = std::int16_t(bytes[4 * i + 2] | (bytes[4 * i + 3] << 8));
            dst[i] = {re / 32768.0f, im / 32768.0f};
        }
        break;
    case SampleFormat::Cf32:
        for (std::size_t i = 0; i < samples; ++i) {
            float pair[2];
            std::memcpy(pair, bytes + 8 * i, 8);
            dst[i] = {clean(pair[0]), clean(pair[1])};
        }
        break;
    }
}

} // namespace velto
