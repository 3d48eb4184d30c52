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

// The tool takes instants as seconds since 2001-01-01 00:00:00 UTC.
inline constexpr double kAbsoluteTimeOffset = 978307200.0;

// Every argument vector has exactly this many entries (the tool's name not counted).
inline constexpr std::size_t kArgumentCount = 3;
using Arguments = std::array<std::string, kArgumentCount>;

enum class Kind { Wake, Shutdown };

inline const char* kindWord(Kind kind) {
    return kind == Kind::Wake ? kWakeWord : kShutdownWord;
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
inline std::optional<Arguments> buildSetArguments(Kind kind, double unixSeconds) {
    auto time = formatAbsoluteTime(unixSeconds);
    if (!time) {
        return std::nullopt;
    }
    return Arguments{kSetCode, kindWord(kind), *time};
}

// cancel code, word, confirmation code. kind 1 is wake-ups, 2 shutdowns; anything else
// has no vector.
inline std::optional<Arguments> buildCancelArguments(int kind) {
    if (kind != 1 && kind != 2) {
        return std::nullopt;
    }
    return Arguments{kCancelCode, kindWord(kind == 1 ? Kind::Wake : Kind::Shutdown),
                     kCancelConfirmCode};
}

} // namespace schedule
