#include "helper/ScheduleRequest.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

bool parseKind(const std::string& word, schedule::Kind* kind, schedule::RtcClock* clock) {
    *clock = schedule::RtcClock::Utc;
    if (word == schedule::kWakeWord || word == schedule::kWakeLocalWord) {
        *kind = schedule::Kind::Wake;
        if (word == schedule::kWakeLocalWord) {
            *clock = schedule::RtcClock::Local;
        }
        return true;
    }
    if (word == schedule::kShutdownWord) {
        *kind = schedule::Kind::Shutdown;
        return true;
    }
    return false;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Arguments are untrusted: echo them in messages only as short, printable text.
std::string quoted(const std::string& text) {
    constexpr std::size_t kMaxShown = 40;
    std::string shown = "\"";
    for (std::size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
        const char c = text[i];
        shown.push_back(c >= 0x20 && c < 0x7f ? c : '?');
    }
    shown += text.size() > kMaxShown ? "...\"" : "\"";
    return shown;
}

} // namespace

bool ScheduleRequest::parseTime(const std::string& text, double* absoluteTime, std::string* error) {
    // The shape is checked by hand before any conversion so that nothing strtod would
    // otherwise take (spaces, "+", exponents, "nan", "inf", hex) gets through.
    constexpr std::size_t kDecimals = 10;
    constexpr std::size_t kMaxWholeDigits = 10;
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '-') {
        ++pos;
    }
    const std::size_t wholeStart = pos;
    while (pos < text.size() && isDigit(text[pos])) {
        ++pos;
    }
    const std::size_t wholeDigits = pos - wholeStart;
    const bool shapeOk = wholeDigits >= 1 && wholeDigits <= kMaxWholeDigits &&
                         !(wholeDigits > 1 && text[wholeStart] == '0') && pos < text.size() &&
                         text[pos] == '.' && text.size() - pos - 1 == kDecimals;
    bool decimalsOk = shapeOk;
    for (std::size_t i = pos + 1; decimalsOk && i < text.size(); ++i) {
        decimalsOk = isDigit(text[i]);
    }
    if (!decimalsOk) {
        *error = "time " + quoted(text) + " is not seconds with ten decimals";
        return false;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        *error = "time " + quoted(text) + " is not a number";
        return false;
    }
    const double unixTime = value + schedule::kAbsoluteTimeOffset;
    if (unixTime < static_cast<double>(kEarliestUnixTime) ||
        unixTime >= static_cast<double>(kLatestUnixTime + 1)) {
        *error = "time " + quoted(text) + " lies outside 1970-01-01 to 2199-12-31";
        return false;
    }
    *absoluteTime = value;
    return true;
}

bool ScheduleRequest::parse(const std::vector<std::string>& arguments, ScheduleRequest* request,
                            std::string* error) {
    if (arguments.size() != schedule::kArgumentCount) {
        *error = "expected 3 arguments, got " + std::to_string(arguments.size());
        return false;
    }
    ScheduleRequest parsed;
    if (!parseKind(arguments[1], &parsed.kind, &parsed.clock)) {
        *error = "second argument must be \"wake\", \"wake-local\" or \"shutdown\"";
        return false;
    }
    if (arguments[0] == schedule::kSetCode) {
        parsed.operation = Operation::Set;
        if (!parseTime(arguments[2], &parsed.absoluteTime, error)) {
            return false;
        }
    } else if (arguments[0] == schedule::kCancelCode) {
        parsed.operation = Operation::Cancel;
        if (arguments[2] != schedule::kCancelConfirmCode) {
            *error = "wrong confirmation code";
            return false;
        }
    } else if (arguments[0] == schedule::kProbeCode) {
        parsed.operation = Operation::Probe;
        if (parsed.kind != schedule::Kind::Wake) {
            *error = "only the wake alarm can be probed";
            return false;
        }
        if (arguments[2] != schedule::kProbeConfirmCode) {
            *error = "wrong confirmation code";
            return false;
        }
    } else {
        *error = "wrong access code";
        return false;
    }
    *request = parsed;
    return true;
}
