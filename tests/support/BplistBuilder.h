// Binary property lists made by hand, for shapes libplist will not write: shared objects,
// references to references, cycles, broken tables. Objects are numbered in the order they
// are added; build() lays them out with 4-byte offsets and refSize-byte references.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class BplistBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    explicit BplistBuilder(unsigned refSize = 2) : m_refSize(refSize) {}

    int dictObject(std::vector<int> const& keys, std::vector<int> const& values) {
        Bytes b = header(0xD, keys.size());
        appendRefs(b, keys);
        appendRefs(b, values);
        return Add(std::move(b));
    }
    int arrayObject(std::vector<int> const& refs) {
        Bytes b = header(0xA, refs.size());
        appendRefs(b, refs);
        return Add(std::move(b));
    }
    int ascii(std::string const& text) {
        Bytes b = header(0x5, text.size());
        b.insert(b.end(), text.begin(), text.end());
        return Add(std::move(b));
    }
    int utf16(std::u16string const& text) {
        Bytes b = header(0x6, text.size());
        for (char16_t c : text) {
            b.push_back(static_cast<uint8_t>(c >> 8));
            b.push_back(static_cast<uint8_t>(c));
        }
        return Add(std::move(b));
    }
    int dataObject(Bytes const& bytes) {
        Bytes b = header(0x4, bytes.size());
        b.insert(b.end(), bytes.begin(), bytes.end());
        return Add(std::move(b));
    }
    int trueObject() { return Add({0x09}); }
    // An object with a count that claims more than follows it.
    int raw(Bytes bytes) { return Add(std::move(bytes)); }

    Bytes finish(int top) const {
        Bytes b = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
        std::vector<uint64_t> offsets;
        for (Bytes const& object : m_objects) {
            offsets.push_back(b.size());
            b.insert(b.end(), object.begin(), object.end());
        }
        uint64_t const table = b.size();
        for (uint64_t offset : offsets) {
            append(b, offset, 4);
        }
        b.insert(b.end(), {0, 0, 0, 0, 0, 0, 4, static_cast<uint8_t>(m_refSize)});
        append(b, m_objects.size(), 8);
        append(b, static_cast<uint64_t>(top), 8);
        append(b, table, 8);
        return b;
    }

    // A marker with its count, the count as an integer object when it is 15 or more.
    static Bytes header(uint8_t kind, uint64_t count) {
        if (count < 15) {
            return {static_cast<uint8_t>(kind << 4 | count)};
        }
        Bytes b = {static_cast<uint8_t>(kind << 4 | 0xF), 0x13};
        append(b, count, 8);
        return b;
    }

private:
    static void append(Bytes& b, uint64_t value, unsigned width) {
        for (unsigned i = width; i-- > 0;) {
            b.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    void appendRefs(Bytes& b, std::vector<int> const& refs) const {
        for (int r : refs) {
            append(b, static_cast<uint64_t>(r), m_refSize);
        }
    }
    int Add(Bytes object) {
        m_objects.push_back(std::move(object));
        return static_cast<int>(m_objects.size()) - 1;
    }

    unsigned m_refSize;
    std::vector<Bytes> m_objects;
};
