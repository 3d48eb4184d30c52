// The machine's real-time-clock wake alarm: the one wake source that also powers on a
// machine that was shut down.
#pragma once

#include <cstdint>
#include <optional>

class IRtcAlarm {
public:
    virtual ~IRtcAlarm() = default;
    // False when the machine has no RTC wake alarm to set.
    virtual bool present() = 0;
    // The pending alarm in seconds since 1970, or nothing when none is set.
    virtual std::optional<std::int64_t> read() = 0;
    enum class WriteResult {
        Done,
        OutOfRange, // the RTC cannot hold an alarm at that time (too far ahead)
        Failed,
    };
    // Writes one value: 0 clears the alarm, anything else sets it. The kernel refuses to
    // replace a pending alarm, so setting one takes a write(0) first.
    virtual WriteResult write(std::int64_t unixTime) = 0;
};
