#include "output/OggRepair.h"

#include <array>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {
constexpr std::size_t kHeaderSize = 27;
constexpr unsigned char kEnd = 0x04;
constexpr std::int64_t kNoGranule = -1;

// Ogg's CRC: polynomial 0x04c11db7, no reflection, initial value 0, over the page with its
// checksum field zeroed.
const std::array<std::uint32_t, 256>& crcTable() {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int b = 0; b < 8; ++b)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    return table;
}

std::uint32_t oggCrc(const unsigned char* data, std::size_t size) {
    const auto& table = crcTable();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xff];
    return crc;
}

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void putLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool readAll(int fd, std::uint64_t offset, unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = pread(fd, data, size, off_t(offset));
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    return true;
}

struct Page {
    std::uint64_t offset = 0;
    std::vector<unsigned char> bytes; // header, lacing and body
    std::int64_t granule() const {
        std::int64_t g = 0;
        std::memcpy(&g, bytes.data() + 6, 8);
        return g;
    }
    std::size_t segments() const { return bytes[26]; }
    const unsigned char* lacing() const { return bytes.data() + kHeaderSize; }
};

std::optional<Page> readPage(int fd, std::uint64_t offset, std::uint32_t serial, bool first) {
    Page page;
    page.offset = offset;
    page.bytes.resize(kHeaderSize);
    if (!readAll(fd, offset, page.bytes.data(), kHeaderSize))
        return std::nullopt;
    if (std::memcmp(page.bytes.data(), "OggS", 4) != 0 || page.bytes[4] != 0)
        return std::nullopt;
    if (!first && le32(page.bytes.data() + 14) != serial)
        return std::nullopt;
    const std::size_t segments = page.bytes[26];
    page.bytes.resize(kHeaderSize + segments);
    if (!readAll(fd, offset + kHeaderSize, page.bytes.data() + kHeaderSize, segments))
        return std::nullopt;
    std::size_t body = 0;
    for (std::size_t i = 0; i < segments; ++i)
        body += page.bytes[kHeaderSize + i];
    page.bytes.resize(kHeaderSize + segments + body);
    if (!readAll(fd, offset + kHeaderSize + segments, page.bytes.data() + kHeaderSize + segments,
                 body))
        return std::nullopt;
    const std::uint32_t stored = le32(page.bytes.data() + 22);
    putLe32(page.bytes.data() + 22, 0);
    const bool good = oggCrc(page.bytes.data(), page.bytes.size()) == stored;
    putLe32(page.bytes.data() + 22, stored);
    if (!good)
        return std::nullopt;
    return page;
}

// The pages up to the first bad one; the pre-skip from the identification header.
struct Scan {
    std::vector<Page> tail; // the last few pages, for the repair
    OggState state;
    unsigned preSkip = 0;
};

Scan scan(int fd) {
    Scan result;
    std::uint64_t offset = 0;
    std::uint32_t serial = 0;
    std::uint64_t pages = 0;
    std::int64_t lastGranule = kNoGranule;
    while (auto page = readPage(fd, offset, serial, pages == 0)) {
        if (pages == 0) {
            serial = le32(page->bytes.data() + 14);
            const std::size_t at = kHeaderSize + page->segments();
            if (page->bytes.size() >= at + 19 && std::memcmp(&page->bytes[at], "OpusHead", 8) == 0)
                result.preSkip = page->bytes[at + 10] | page->bytes[at + 11] << 8;
            else
                break; // not Opus: nothing here to repair
        } else if (pages == 1) {
            const std::size_t at = kHeaderSize + page->segments();
            result.state.opusHeaders =
                page->bytes.size() >= at + 8 && std::memcmp(&page->bytes[at], "OpusTags", 8) == 0;
        }
        ++pages;
        if (pages > 2)
            ++result.state.audioPages;
        if (page->granule() != kNoGranule)
            lastGranule = page->granule();
        offset += page->bytes.size();
        result.state.validBytes = offset;
        result.state.ended = page->bytes[5] & kEnd;
        result.tail.push_back(std::move(*page));
        // Only the last few pages are needed to cut an unfinished packet away.
        if (result.tail.size() > 64)
            result.tail.erase(result.tail.begin());
        if (result.state.ended)
            break;
    }
    if (lastGranule > std::int64_t(result.preSkip))
        result.state.seconds = double(lastGranule - result.preSkip) / 48'000.0;
    return result;
}
} // namespace

OggState scanOgg(int fd) {
    return scan(fd).state;
}

OggState repairOgg(int fd, std::string& why) {
    Scan result = scan(fd);
    if (!result.state.opusHeaders) {
        why = "The file does not begin with Opus headers.";
        return result.state;
    }
    // Drop pages on which no packet ends (all of one packet that the cut left unfinished),
    // but never the two header pages.
    const std::uint64_t headerPages = 2;
    const std::uint64_t totalPages = headerPages + result.state.audioPages;
    std::uint64_t kept = totalPages;
    while (!result.tail.empty() && kept > headerPages &&
           result.tail.back().granule() == kNoGranule) {
        result.tail.pop_back();
        --kept;
    }
    if (result.tail.empty()) {
        why = "The file's last whole page could not be found.";
        return result.state;
    }
    Page& last = result.tail.back();
    // Cut a packet that continues past this page (its last lacing value is 255).
    const std::size_t segments = last.segments();
    std::size_t keep = segments;
    while (keep > 0 && last.lacing()[keep - 1] == 255)
        --keep;
    if (kept > headerPages && keep != segments) {
        std::size_t body = 0;
        for (std::size_t i = 0; i < keep; ++i)
            body += last.lacing()[i];
        std::vector<unsigned char> bytes(last.bytes.begin(), last.bytes.begin() + kHeaderSize);
        bytes.insert(bytes.end(), last.lacing(), last.lacing() + keep);
        const unsigned char* oldBody = last.bytes.data() + kHeaderSize + segments;
        bytes.insert(bytes.end(), oldBody, oldBody + body);
        bytes[26] = static_cast<unsigned char>(keep);
        last.bytes = std::move(bytes);
    }
    last.bytes[5] = static_cast<unsigned char>(last.bytes[5] | kEnd);
    putLe32(last.bytes.data() + 22, 0);
    putLe32(last.bytes.data() + 22, oggCrc(last.bytes.data(), last.bytes.size()));
    const std::uint64_t end = last.offset + last.bytes.size();
    if (pwrite(fd, last.bytes.data(), last.bytes.size(), off_t(last.offset)) !=
            ssize_t(last.bytes.size()) ||
        ftruncate(fd, off_t(end)) != 0 || fsync(fd) != 0) {
        why = "The file could not be rewritten.";
        return result.state;
    }
    return scan(fd).state;
}

} // namespace velto
