// What loading a reservation file's bytes must give, worked out from the bytes alone, for the
// fuzz targets to check the list against.
#pragma once

#include "store/ScheduleItem.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

inline void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

inline uint64_t LE(uint8_t const* p, int bytes) {
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

inline Expected Expect(uint8_t const* data, std::size_t size) {
    Expected e;
    for (std::size_t at = 0; at + kScheduleRecordSize <= size; at += kScheduleRecordSize) {
        if (static_cast<int32_t>(LE(data + at, 4)) < 0)
            continue;
        double start = std::bit_cast<double>(LE(data + at + 4, 8));
        double end = std::bit_cast<double>(LE(data + at + 12, 8));
        uint32_t freq = static_cast<uint32_t>(LE(data + at + 20, 4));
        if (!(start < end) || freq == 0 || e.count == static_cast<std::size_t>(kScheduleMaxCount)) {
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
inline bool Damaged(Expected const& e, std::size_t size) {
    return !e.result || size % kScheduleRecordSize != 0 || e.unterminated;
}

inline void ReadRecords(CScheduleItem& list, std::vector<SCHEDULEITEM_TAG>& out) {
    out.clear();
    SCHEDULEITEM_TAG r;
    for (int i = 0; list.readScheduleByIndex(i, &r); ++i)
        out.push_back(r);
}

inline std::vector<SCHEDULEITEM_TAG> Records(CScheduleItem& list) {
    std::vector<SCHEDULEITEM_TAG> out;
    ReadRecords(list, out);
    return out;
}

// The list as loaded: renumbered ids, valid records, no run state, terminated titles, and
// sorted when the load went through.
inline void CheckLoaded(CScheduleItem& list, std::vector<SCHEDULEITEM_TAG> const& recs, bool loaded,
                        Expected const& expected) {
    Require(recs.size() == expected.count);
    Require(list.m_nCount.load() == static_cast<int>(recs.size()));
    std::vector<bool> seen(recs.size(), false);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        SCHEDULEITEM_TAG const& r = recs[i];
        Require(r.nID >= 0 && static_cast<std::size_t>(r.nID) < recs.size() && !seen[r.nID]);
        seen[r.nID] = true;
        Require(r.dStartTime < r.dEndTime && r.uFreq != 0 && r.uState == 0);
        Require(ScheduleTitleLength(r) < sizeof r.cTitle);
        if (loaded && i > 0) {
            SCHEDULEITEM_TAG const& p = recs[i - 1];
            Require(p.dStartTime < r.dStartTime ||
                    (p.dStartTime == r.dStartTime && p.dEndTime <= r.dEndTime));
        }
    }
}
