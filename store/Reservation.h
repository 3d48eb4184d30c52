// One reservation, and what checking one against the list can answer.
//
// Plain C++: the record is shared by the main thread, the watch thread and the recording
// runs, always by copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One reservation. Copied whole wherever it moves; the default member values are the fresh
// reservation that every new or scratch one starts from.
struct Reservation {
    int32_t id = -1;        // id within the list, -1 when not (yet) in a list
    double start = 0.0;     // seconds since 1970-01-01 00:00 UTC, whole seconds
    double end = 0.0;       // same unit; only accepted when start < end
    uint32_t frequency = 0; // bits 24-31 band (0 AM, else FM), bits 0-23 the channel
    char title[256] = {};   // UTF-8, zero-terminated, at most 255 text bytes
    uint32_t weekdays = 0;  // bit k = repeats on weekday k (0 Sunday .. 6 Saturday)
    uint8_t pending = 1;    // 1 still to come, 0 over (its end passed without a start)
    uint8_t enabled = 1;    // 1 switched on, 0 switched off by the user
    uint32_t state = 0;     // 0 waiting, 1 handed to a recording run

    // Equal when every field but state matches; all 256 title bytes count, NaN never
    // compares equal.
    bool operator==(Reservation const& other) const;

    bool isFm() const { return (frequency >> 24) != 0; }
    // AM in kHz, FM in units of 10 kHz.
    uint32_t channel() const { return frequency & 0xFFFFFFu; }
    // "AM 954", "FM 80.0": the frequency as the table shows it.
    std::string channelText() const;
    // Length of the title's text: never past the 256-byte field, even when a damaged
    // record has no terminating zero.
    std::size_t titleLength() const;
};

// What a check against the list found. Overlap is a warning: the reservation is kept.
enum class CheckResult : int32_t {
    Ok = 0,
    Overlap = 1,
    StartNotBeforeEnd = 2,
    NoFrequency = 3,
    ListFull = 4,
};

// The weekdays bit of each weekday, indexed 0 (Sunday) to 6 (Saturday).
inline constexpr uint32_t kWeekdayBits[7] = {1, 2, 4, 8, 16, 32, 64};
