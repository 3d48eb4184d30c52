// The schedule tool: adds machine wake-ups and shutdowns as systemd transient timers and
// cancels them by kind. A wake-up is a timer with WakeSystem=true (wakes from suspend); the
// earliest future one also goes to the RTC wake alarm (powers on a machine that is off).
// A shutdown is a timer that runs "systemctl poweroff". Unit names carry the instant, so
// the tool finds its own timers, and the earliest wake-up, without parsing dates.
#pragma once

#include "helper/ICommandRunner.h"
#include "helper/IRtcAlarm.h"
#include "helper/ScheduleArgs.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class ScheduleTool {
public:
    enum ExitCode {
        kExitOk = 0,
        kExitFailed = 1,    // a systemd command or the RTC failed
        kExitRefused = 2,   // the arguments are not one of the four accepted shapes
        kExitNoSystemd = 3, // systemd is not the init system here
        kExitNotRoot = 4,
        kExitNotWakeable = 5, // systemd refused a wake-up timer: no alarm clock can wake us
        kExitTooMany = 6,     // the user already has the most wake-ups the tool keeps
    };

    // Debian 12 paths (merged /usr); never looked up through PATH.
    static constexpr const char* kSystemdRun = "/usr/bin/systemd-run";
    static constexpr const char* kSystemctl = "/usr/bin/systemctl";
    static constexpr const char* kTrue = "/usr/bin/true";

    static constexpr std::string_view kWakePrefix = "resvman-wake-";
    static constexpr std::string_view kShutdownPrefix = "resvman-shutdown-";

    // One timer the tool made: <prefix><unix time>-<serial>.timer
    struct Unit {
        std::string name; // with the ".timer" suffix
        std::int64_t time = 0;
        unsigned serial = 0;
    };

    // runRoot stands for /run: systemd's marker directory and the tool's lock live there.
    ScheduleTool(ICommandRunner& runner, IRtcAlarm& rtc, std::string runRoot,
                 std::function<std::int64_t()> now);

    // arguments: what follows the tool's name on its command line.
    int Run(const std::vector<std::string>& arguments, std::ostream& err);

    static std::string_view Prefix(schedule::Kind kind);
    // "2024-05-01 08:55:00 UTC", the form given to --on-calendar.
    static std::string CalendarTime(std::int64_t unixTime);
    // The timer named by token, when it is one of this tool's timers of that kind.
    static std::optional<Unit> ParseUnit(std::string_view token, schedule::Kind kind);

private:
    int Set(schedule::Kind kind, double absoluteTime, std::ostream& err);
    int Cancel(schedule::Kind kind, std::ostream& err);
    bool ListUnits(schedule::Kind kind, std::vector<Unit>* units, std::ostream& err);
    bool ArmRtc(const std::vector<Unit>& wakeUps, std::ostream& err);

    ICommandRunner& m_runner;
    IRtcAlarm& m_rtc;
    std::string m_runRoot;
    std::function<std::int64_t()> m_now;
};
