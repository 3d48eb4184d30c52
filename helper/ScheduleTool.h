// The schedule tool: adds machine wake-ups and shutdowns as systemd transient timers and
// cancels them by kind. A wake-up is a timer with WakeSystem=true (wakes from suspend); the
// earliest future one also goes to the RTC wake alarm (powers on a machine that is off).
// A shutdown is a timer that powers the machine off through systemd-logind, which refuses
// while another program holds a shutdown inhibitor (a package upgrade, a user at work);
// where no logind answers, there are no inhibitors, and it runs "systemctl poweroff". Each
// user keeps at most kMaxWakeUps wake-ups. Unit names carry the user the timer
// is for and the instant, so the tool finds each user's timers, and the earliest wake-up,
// without parsing dates; a cancel stops only the requesting user's own timers.
#pragma once

#include "helper/ICommandRunner.h"
#include "helper/IRtcAlarm.h"
#include "protocol/ScheduleArguments.h"
#include "protocol/ScheduleToolExit.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class ScheduleTool {
public:
    // Debian 12 paths (merged /usr); never looked up through PATH.
    static constexpr const char* kSystemdRun = "/usr/bin/systemd-run";
    static constexpr const char* kSystemctl = "/usr/bin/systemctl";
    static constexpr const char* kTrue = "/usr/bin/true";
    static constexpr const char* kBusctl = "/usr/bin/busctl";

    // The most wake-ups one user may hold; the program plans the earliest ones only.
    static constexpr std::size_t kMaxWakeUps = 64;

    static constexpr std::string_view kWakePrefix = "resvman-wake-";
    static constexpr std::string_view kShutdownPrefix = "resvman-shutdown-";

    // One timer the tool made: <prefix>u<user id>-<unix time>-<serial>.timer
    struct Unit {
        std::string name; // with the ".timer" suffix
        uid_t user = 0;
        std::int64_t time = 0;
        unsigned serial = 0;
    };

    // runRoot stands for /run: systemd's marker directory and the tool's lock live there.
    // user: whom the run is for (the broker's caller).
    ScheduleTool(ICommandRunner& runner, IRtcAlarm& rtc, std::string runRoot,
                 std::function<std::int64_t()> now, uid_t user);

    // arguments: what follows the tool's name on its command line.
    ScheduleToolExit run(const std::vector<std::string>& arguments, std::ostream& err);

    // Whether this machine has a clock that can wake it (asked when systemd refuses a
    // wake-up timer, to tell that apart from other failures). The kernel's answer unless set.
    std::function<bool()> hasAlarmClock;
    // Seconds the system's time zone is ahead of UTC at an instant (what an RTC that keeps
    // local time is ahead). The C library's answer for /etc/localtime unless set.
    std::function<long(std::int64_t)> zoneOffset;

    static std::string_view prefix(schedule::Kind kind);
    // The beginning of the names of one user's timers of that kind.
    static std::string userPrefix(schedule::Kind kind, uid_t user);
    // "2024-05-01 08:55:00 UTC", the form given to --on-calendar.
    static std::string calendarTime(std::int64_t unixTime);
    // The timer named by token, when it is one of this tool's timers of that kind (any user's).
    static std::optional<Unit> parseUnit(std::string_view token, schedule::Kind kind);

private:
    enum class Alarm { Set, Replaced, OutOfRange, Failed };

    ScheduleToolExit set(schedule::Kind kind, double absoluteTime, std::ostream& err);
    ScheduleToolExit cancel(schedule::Kind kind, std::ostream& err);
    // Sets the alarm kProbeAhead seconds ahead, reads it back, and puts back what was there.
    ScheduleToolExit probe(std::ostream& err);
    // An instant as the RTC's alarm holds it: itself, or its local time for an RTC that keeps
    // local time (read as if it were UTC, as the kernel does).
    std::int64_t rtcValue(std::int64_t unixTime) const;
    bool listUnits(schedule::Kind kind, std::vector<Unit>* units, std::ostream& err);
    // The command a shutdown timer runs: through logind when it answers now.
    std::vector<std::string> powerOffCommand();
    // Points the RTC alarm at the earliest future wake-up of wakeUps (every user's).
    Alarm armRtc(const std::vector<Unit>& wakeUps, std::ostream& err);

    ICommandRunner& m_runner;
    IRtcAlarm& m_rtc;
    std::string m_runRoot;
    std::function<std::int64_t()> m_now;
    uid_t m_user;
    schedule::RtcClock m_clock = schedule::RtcClock::Utc; // of the run under way
};
