// One checked request to the schedule tool. Both the broker and the tool parse their
// arguments through here and refuse anything that is not exactly one of its shapes.
#pragma once

#include "protocol/ScheduleArguments.h"

#include <cstdint>
#include <string>
#include <vector>

class ScheduleRequest {
public:
    enum class Operation { Set, Cancel, Probe };

    // Instants the tool accepts, in seconds since 1970: from the epoch up to the last second
    // systemd's calendar timers can express (2199-12-31 23:59:59 UTC).
    static constexpr std::int64_t kEarliestUnixTime = 0;
    static constexpr std::int64_t kLatestUnixTime = 7258118399;

    // Fills *request and answers true only for one of:
    //   set code, "wake" | "shutdown", time       (time as printed by "%.10f")
    //   cancel code, "wake" | "shutdown", confirmation code
    //   probe code, "wake", probe confirmation code
    // where "wake-local" may stand for "wake" (the RTC keeps local time). Otherwise answers
    // false with the reason in *error.
    static bool parse(const std::vector<std::string>& arguments, ScheduleRequest* request,
                      std::string* error);

    // Checks the time argument alone: an optional minus, whole seconds without leading
    // zeros, a point and exactly ten decimals, within the accepted range.
    static bool parseTime(const std::string& text, double* absoluteTime, std::string* error);

    Operation operation = Operation::Set;
    schedule::Kind kind = schedule::Kind::Wake;
    schedule::RtcClock clock = schedule::RtcClock::Utc; // "wake-local": Local
    double absoluteTime = 0.0;                          // seconds since 2001, for Set only
};
