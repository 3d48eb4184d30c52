// What loading a reservation file's bytes must give, worked out from the bytes alone, for the
// fuzz targets to check the list against.
#pragma once

#include "store/ReservationFile.h"
#include "store/ReservationList.h"
#include "store/ReservationRecord.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

inline void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

inline uint64_t littleEndian(uint8_t const* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

// The records that count, up to the first refused one.
struct Expected {
    std::size_t count = 0;
    bool result = true;
    bool unterminated = false; // a loaded title without its zero
};

inline Expected expect(uint8_t const* data, std::size_t size) {
    Expected e;
    for (std::size_t at = 0; at + ReservationRecord::kSize <= size;
         at += ReservationRecord::kSize) {
        if (static_cast<int32_t>(littleEndian(data + at, 4)) < 0)
            continue;
        double start = std::bit_cast<double>(littleEndian(data + at + 4, 8));
        double end = std::bit_cast<double>(littleEndian(data + at + 12, 8));
        uint32_t freq = static_cast<uint32_t>(littleEndian(data + at + 20, 4));
        if (!(start < end) || freq == 0 ||
            e.count == static_cast<std::size_t>(ReservationList::kCapacity)) {
            e.result = false;
            break;
        }
        ++e.count;
        if (std::memchr(data + at + 24, 0, 256) == nullptr)
            e.unterminated = true;
    }
    return e;
}

// Whether the bytes are damaged: the list cannot keep them as they are.
inline bool isDamaged(Expected const& e, std::size_t size) {
    return !e.result || size % ReservationRecord::kSize != 0 || e.unterminated;
}

inline void readRecords(ReservationList& list, std::vector<Reservation>& out) {
    out.clear();
    Reservation r;
    for (int i = 0; list.readAt(i, r); ++i)
        out.push_back(r);
}

inline std::vector<Reservation> recordsOf(ReservationList& list) {
    std::vector<Reservation> out;
    readRecords(list, out);
    return out;
}

// The list as loaded: renumbered ids, valid records, no run state, terminated titles, and
// sorted when the load went through.
inline void checkLoaded(ReservationList& list, std::vector<Reservation> const& recs, bool loaded,
                        Expected const& expected) {
    require(recs.size() == expected.count);
    require(list.size() == static_cast<int>(recs.size()));
    std::vector<bool> seen(recs.size(), false);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        Reservation const& r = recs[i];
        require(r.id >= 0 && static_cast<std::size_t>(r.id) < recs.size() && !seen[r.id]);
        seen[r.id] = true;
        require(r.start < r.end && r.frequency != 0 && r.state == 0);
        require(r.titleLength() < sizeof r.title);
        if (loaded && i > 0) {
            Reservation const& p = recs[i - 1];
            require(p.start < r.start || (p.start == r.start && p.end <= r.end));
        }
    }
}
