#include "store/ReservationRecord.h"

#include <bit>
#include <cstring>

namespace {

// Byte offsets of the fields.
constexpr std::size_t kOffsetId = 0;
constexpr std::size_t kOffsetStart = 4;
constexpr std::size_t kOffsetEnd = 12;
constexpr std::size_t kOffsetFrequency = 20;
constexpr std::size_t kOffsetTitle = 24;
constexpr std::size_t kOffsetWeekdays = 280;
constexpr std::size_t kOffsetPending = 284;
constexpr std::size_t kOffsetEnabled = 285;
constexpr std::size_t kOffsetPadding = 286;
constexpr std::size_t kOffsetState = 288;
constexpr std::size_t kTitleSize = sizeof(Reservation::title);
static_assert(kOffsetTitle + kTitleSize == kOffsetWeekdays);
static_assert(kOffsetState + 4 == ReservationRecord::kSize);

void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t getU32(uint8_t const* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

void putF64(uint8_t* p, double d) {
    uint64_t v = std::bit_cast<uint64_t>(d);
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

double getF64(uint8_t const* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return std::bit_cast<double>(v);
}

} // namespace

void ReservationRecord::write(Reservation const& rec, uint8_t out[kSize]) {
    putU32(out + kOffsetId, static_cast<uint32_t>(rec.id));
    putF64(out + kOffsetStart, rec.start);
    putF64(out + kOffsetEnd, rec.end);
    putU32(out + kOffsetFrequency, rec.frequency);
    std::memcpy(out + kOffsetTitle, rec.title, kTitleSize);
    putU32(out + kOffsetWeekdays, rec.weekdays);
    out[kOffsetPending] = rec.pending;
    out[kOffsetEnabled] = rec.enabled;
    out[kOffsetPadding] = 0;
    out[kOffsetPadding + 1] = 0;
    putU32(out + kOffsetState, rec.state);
}

Reservation ReservationRecord::read(uint8_t const in[kSize]) {
    Reservation rec;
    rec.id = static_cast<int32_t>(getU32(in + kOffsetId));
    rec.start = getF64(in + kOffsetStart);
    rec.end = getF64(in + kOffsetEnd);
    rec.frequency = getU32(in + kOffsetFrequency);
    std::memcpy(rec.title, in + kOffsetTitle, kTitleSize);
    rec.weekdays = getU32(in + kOffsetWeekdays);
    rec.pending = in[kOffsetPending];
    rec.enabled = in[kOffsetEnabled];
    rec.state = getU32(in + kOffsetState);
    return rec;
}
