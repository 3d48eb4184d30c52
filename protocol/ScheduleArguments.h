// The argument vectors the program hands to the privileged schedule tool. Shared by the
// program (which builds them) and the tool and its broker (which check them), so the three
// cannot drift apart. Header-only: the Qt-linked client uses it without linking the helper.
#pragma once

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>

namespace schedule {

// Access codes: the first argument of every run, and the third of every cancel.
inline constexpr const char* kSetCode = "73019482";
inline constexpr const char* kCancelCode = "18264530";
inline constexpr const char* kCancelConfirmCode = "18264597";

inline constexpr const char* kWakeWord = "wake";
inline constexpr const char* kShutdownWord = "shutdown";
// A wake-up, its cancel or the probe on a machine whose RTC keeps local time: the tool
// writes the alarm as the RTC reads its clock.
inline constexpr const char* kWakeLocalWord = "wake-local";

// The probe of how far ahead the RTC alarm may be set: probe code, "wake" | "wake-local",
// probe confirmation code. The tool sets the alarm kProbeAhead seconds ahead, reads it back
// and restores what was there.
inline constexpr const char* kProbeCode = "52807314";
inline constexpr const char* kProbeConfirmCode = "52807391";
inline constexpr long kProbeAhead = 25 * 3600;

// The tool takes instants as seconds since 2001-01-01 00:00:00 UTC.
inline constexpr double kAbsoluteTimeOffset = 978307200.0;

// Every argument vector has exactly this many entries (the tool's name not counted).
inline constexpr std::size_t kArgumentCount = 3;
using Arguments = std::array<std::string, kArgumentCount>;

enum class Kind { Wake, Shutdown };

// How the RTC keeps time: UTC (the default), or the local time of the system's zone.
enum class RtcClock { Utc, Local };

inline const char* kindWord(Kind kind, RtcClock clock = RtcClock::Utc) {
    if (kind == Kind::Shutdown) {
        return kShutdownWord;
    }
    return clock == RtcClock::Local ? kWakeLocalWord : kWakeWord;
}

// Seconds since 1970 to the tool's time argument: seconds since 2001 with ten decimals, as
// printf's "%.10f" would print it. to_chars is used because the program runs under the
// user's locale, where printf could write a decimal comma the tool would refuse.
inline std::optional<std::string> formatAbsoluteTime(double unixSeconds) {
    const double absolute = unixSeconds - kAbsoluteTimeOffset;
    if (!std::isfinite(absolute)) {
        return std::nullopt;
    }
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, absolute, std::chars_format::fixed, 10);
    if (ec != std::errc()) {
        return std::nullopt;
    }
    return std::string(buffer, end);
}

// set code, word, time. Empty when the instant cannot be written.
inline std::optional<Arguments> buildSetArguments(Kind kind, double unixSeconds,
                                                  RtcClock clock = RtcClock::Utc) {
    auto time = formatAbsoluteTime(unixSeconds);
    if (!time) {
        return std::nullopt;
    }
    return Arguments{kSetCode, kindWord(kind, clock), *time};
}

// cancel code, word, confirmation code. kind 1 is wake-ups, 2 shutdowns; anything else
// has no vector.
inline std::optional<Arguments> buildCancelArguments(int kind, RtcClock clock = RtcClock::Utc) {
    if (kind != 1 && kind != 2) {
        return std::nullopt;
    }
    return Arguments{kCancelCode, kindWord(kind == 1 ? Kind::Wake : Kind::Shutdown, clock),
                     kCancelConfirmCode};
}

// probe code, word, probe confirmation code.
inline Arguments buildProbeArguments(RtcClock clock) {
    return Arguments{kProbeCode, kindWord(Kind::Wake, clock), kProbeConfirmCode};
}

} // namespace schedule
