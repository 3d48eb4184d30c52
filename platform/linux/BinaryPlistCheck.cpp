#include "platform/linux/BinaryPlistCheck.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

class Reader {
public:
    Reader(uint8_t const* data, std::size_t size) : m_data(data), m_size(size) {}

    bool readTrailer() {
        if (m_size < kHeaderSize + kTrailerSize || std::memcmp(m_data, "bplist00", 8) != 0) {
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

    // Whether object i is a container, and its references. False when it is malformed.
    bool children(uint64_t i, bool& container, std::vector<uint64_t>& refs) const {
        refs.clear();
        container = false;
        uint64_t const offset = bigEndian(m_data + m_table + i * m_offsetSize, m_offsetSize);
        if (offset < kHeaderSize || offset >= m_end) {
            return false;
        }
        uint8_t const marker = m_data[offset];
        unsigned const kind = marker >> 4;
        bool const isDict = kind == 0xD;
        if (kind != 0xA && kind != 0xC && !isDict) {
            return true;
        }
        container = true;
        uint64_t count = marker & 0x0F;
        uint64_t p = offset + 1;
        if (count == 0x0F) { // the count follows as an integer object
            if (p >= m_end || (m_data[p] >> 4) != 0x1 || (m_data[p] & 0x0F) > 3) {
                return false;
            }
            unsigned const width = 1u << (m_data[p] & 0x0F);
            if (width > m_end - p - 1) {
                return false;
            }
            count = bigEndian(m_data + p + 1, width);
            p += 1 + width;
        }
        uint64_t const available = (m_end - p) / m_refSize;
        if (count > available || (isDict && count > available / 2)) {
            return false;
        }
        uint64_t const total = isDict ? count * 2 : count;
        refs.reserve(total);
        for (uint64_t k = 0; k < total; ++k) {
            uint64_t const ref = bigEndian(m_data + p + k * m_refSize, m_refSize);
            if (ref >= m_objects) {
                return false;
            }
            refs.push_back(ref);
        }
        return true;
    }

    uint64_t objects() const { return m_objects; }
    uint64_t top() const { return m_top; }

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

bool BinaryPlistNestingWithin(uint8_t const* data, std::size_t size, unsigned maxDepth) {
    Reader reader(data, size);
    if (data == nullptr || !reader.readTrailer()) {
        return false;
    }

    // Depth-first, without recursion. height[i]: containers on the longest path down from
    // object i (itself included), known once it is done; shared objects are walked once.
    enum : uint8_t { Unseen, Open, Done };
    std::vector<uint8_t> state(reader.objects(), Unseen);
    std::vector<unsigned> height(reader.objects(), 0);
    struct Frame {
        uint64_t object = 0;
        bool container = false;
        std::vector<uint64_t> refs;
        std::size_t next = 0;
        unsigned below = 0; // the greatest height among the children so far
    };
    std::vector<Frame> stack; // every frame but the newest is a container

    auto open = [&](uint64_t object) {
        Frame frame;
        frame.object = object;
        if (!reader.children(object, frame.container, frame.refs)) {
            return false;
        }
        state[object] = Open;
        stack.push_back(std::move(frame));
        std::size_t const containers = stack.back().container ? stack.size() : stack.size() - 1;
        return containers <= maxDepth;
    };
    if (!open(reader.top())) {
        return false;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.refs.size()) {
            uint64_t const object = frame.object;
            height[object] = frame.container ? frame.below + 1 : 0;
            state[object] = Done;
            stack.pop_back();
            if (!stack.empty()) {
                stack.back().below = std::max(stack.back().below, height[object]);
            }
            continue;
        }
        uint64_t const child = frame.refs[frame.next++];
        if (state[child] == Open) {
            return false; // a reference cycle
        }
        if (state[child] == Done) {
            // The containers above the child, then the deepest path below it.
            if (stack.size() + height[child] > maxDepth) {
                return false;
            }
            frame.below = std::max(frame.below, height[child]);
        } else if (!open(child)) {
            return false;
        }
    }
    return true;
}
