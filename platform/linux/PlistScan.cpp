#include "platform/linux/PlistScan.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

uint64_t bigEndian(uint8_t const* p, unsigned width) {
    uint64_t v = 0;
    for (unsigned i = 0; i < width; ++i) {
        v = v << 8 | p[i];
    }
    return v;
}

class BinaryPlist {
public:
    explicit BinaryPlist(std::span<uint8_t const> file)
        : m_data(file.data()), m_size(file.size()) {}

    bool readTrailer() {
        if (m_data == nullptr || m_size < kHeaderSize + kTrailerSize ||
            std::memcmp(m_data, "bplist00", 8) != 0) {
            return false;
        }
        uint8_t const* t = m_data + m_size - kTrailerSize;
        m_offsetSize = t[6];
        m_refSize = t[7];
        m_objects = bigEndian(t + 8, 8);
        m_top = bigEndian(t + 16, 8);
        m_table = bigEndian(t + 24, 8);
        m_end = m_size - kTrailerSize;
        return m_offsetSize >= 1 && m_offsetSize <= 8 && m_refSize >= 1 && m_refSize <= 8 &&
               m_objects > 0 && m_top < m_objects && m_table >= kHeaderSize && m_table <= m_end &&
               m_objects <= (m_end - m_table) / m_offsetSize;
    }

    uint64_t top() const { return m_top; }

    // Object i's kind (the marker's high nibble), element count and where its contents
    // start. False when any of it lies outside the object area.
    bool header(uint64_t i, unsigned* kind, uint64_t* count, uint64_t* contents) const {
        if (i >= m_objects) {
            return false;
        }
        uint64_t const offset = bigEndian(m_data + m_table + i * m_offsetSize, m_offsetSize);
        if (offset < kHeaderSize || offset >= m_table) {
            return false;
        }
        uint8_t const marker = m_data[offset];
        *kind = marker >> 4;
        *count = marker & 0x0F;
        uint64_t p = offset + 1;
        if (*count == 0x0F) { // the count follows as an integer object
            if (p >= m_table || (m_data[p] >> 4) != 0x1 || (m_data[p] & 0x0F) > 3) {
                return false;
            }
            unsigned const width = 1u << (m_data[p] & 0x0F);
            if (width > m_table - p - 1) {
                return false;
            }
            *count = bigEndian(m_data + p + 1, width);
            p += 1 + width;
        }
        *contents = p;
        return true;
    }

    // Whether n units of unitSize bytes fit between p and the offset table.
    bool fits(uint64_t p, uint64_t n, uint64_t unitSize) const {
        return p <= m_table && n <= (m_table - p) / unitSize;
    }

    uint64_t ref(uint64_t p, uint64_t k) const {
        return bigEndian(m_data + p + k * m_refSize, m_refSize);
    }
    unsigned refSize() const { return m_refSize; }
    uint8_t const* bytesAt(uint64_t p) const { return m_data + p; }

    // Whether object i is a string equal to the ASCII text key.
    bool isKey(uint64_t i, std::string_view key) const {
        unsigned kind = 0;
        uint64_t count = 0;
        uint64_t p = 0;
        if (!header(i, &kind, &count, &p) || count != key.size()) {
            return false;
        }
        if (kind == 0x5) { // ASCII
            return fits(p, count, 1) && std::memcmp(m_data + p, key.data(), key.size()) == 0;
        }
        if (kind == 0x6) { // UTF-16, big-endian
            if (!fits(p, count, 2)) {
                return false;
            }
            for (std::size_t k = 0; k < key.size(); ++k) {
                if (bigEndian(m_data + p + 2 * k, 2) != static_cast<unsigned char>(key[k])) {
                    return false;
                }
            }
            return true;
        }
        return false;
    }

private:
    uint8_t const* m_data;
    std::size_t m_size;
    unsigned m_offsetSize = 0;
    unsigned m_refSize = 0;
    uint64_t m_objects = 0;
    uint64_t m_top = 0;
    uint64_t m_table = 0;
    uint64_t m_end = 0;
};

} // namespace

std::optional<std::span<uint8_t const>> binaryPlistTopData(std::span<uint8_t const> file,
                                                           std::string_view key) {
    BinaryPlist plist(file);
    if (!plist.readTrailer()) {
        return std::nullopt;
    }
    unsigned kind = 0;
    uint64_t pairs = 0;
    uint64_t refs = 0;
    if (!plist.header(plist.top(), &kind, &pairs, &refs) || kind != 0xD ||
        !plist.fits(refs, pairs, 2 * static_cast<uint64_t>(plist.refSize()))) {
        return std::nullopt;
    }
    // The keys' references, then the values' in the same order.
    for (uint64_t k = 0; k < pairs; ++k) {
        if (!plist.isKey(plist.ref(refs, k), key)) {
            continue;
        }
        uint64_t count = 0;
        uint64_t p = 0;
        if (!plist.header(plist.ref(refs, pairs + k), &kind, &count, &p) || kind != 0x4 ||
            !plist.fits(p, count, 1)) {
            return std::nullopt;
        }
        return std::span<uint8_t const>(plist.bytesAt(p), static_cast<std::size_t>(count));
    }
    return std::nullopt;
}

bool xmlPlistWithinBounds(std::span<uint8_t const> file, XmlPlistLimits const& limits) {
    std::string_view const text(reinterpret_cast<char const*>(file.data()), file.size());
    auto startsWith = [&](std::size_t at, std::string_view what) {
        return text.compare(at, what.size(), what) == 0;
    };
    std::size_t elements = 0;
    unsigned depth = 0;
    std::size_t entities = 0;
    // Entity references in the text between two pieces of markup.
    auto countEntities = [&](std::size_t from, std::size_t to) {
        entities += static_cast<std::size_t>(
            std::count(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(to), '&'));
        return entities <= limits.entities;
    };
    std::size_t at = text.find('<');
    if (!countEntities(0, at == std::string_view::npos ? text.size() : at)) {
        return false;
    }
    while (at != std::string_view::npos) {
        std::size_t end = std::string_view::npos;
        if (startsWith(at, "<!--")) {
            end = text.find("-->", at + 4);
            end = end == std::string_view::npos ? end : end + 2;
        } else if (startsWith(at, "<![CDATA[")) {
            end = text.find("]]>", at + 9);
            end = end == std::string_view::npos ? end : end + 2;
        } else if (startsWith(at, "<?")) {
            end = text.find("?>", at + 2);
            end = end == std::string_view::npos ? end : end + 1;
        } else if (startsWith(at, "<!")) {
            // A document type; one with an internal subset could declare entities.
            end = text.find_first_of("[>", at + 2);
            if (end != std::string_view::npos && text[end] == '[') {
                return false;
            }
        } else if (startsWith(at, "</")) {
            if (depth == 0) {
                return false;
            }
            --depth;
            end = text.find('>', at + 2);
        } else {
            // A start tag; attribute values may hold '>' within quotes.
            char quote = 0;
            for (std::size_t i = at + 1; i < text.size(); ++i) {
                char const c = text[i];
                if (quote != 0) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    end = i;
                    break;
                }
            }
            if (++elements > limits.elements) {
                return false;
            }
            if (end != std::string_view::npos && text[end - 1] != '/' && ++depth > limits.depth) {
                return false;
            }
        }
        if (end == std::string_view::npos) {
            return false;
        }
        at = text.find('<', end + 1);
        if (!countEntities(end + 1, at == std::string_view::npos ? text.size() : at)) {
            return false;
        }
    }
    return true;
}
