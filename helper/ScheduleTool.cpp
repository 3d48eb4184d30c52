#include "helper/ScheduleTool.h"

#include "helper/ScheduleRequest.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: schedule 73019482 wake|wake-local|shutdown <seconds since 2001-01-01 UTC, %.10f>\n"
    "       schedule 18264530 wake|wake-local|shutdown 18264597\n"
    "       schedule 52807314 wake|wake-local 52807391\n";

// Holds the tool's lock for one run, so that runs started one after another do not pick
// the same unit name or race on the RTC alarm.
class RunLock {
public:
    explicit RunLock(const std::string& path) {
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd >= 0 && flock(m_fd, LOCK_EX) != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~RunLock() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The kernel reads the alarm clock only where an RTC can wake the machine.
bool kernelHasAlarmClock() {
    timespec now{};
    return clock_gettime(CLOCK_REALTIME_ALARM, &now) == 0;
}

long systemZoneOffset(std::int64_t unixTime) {
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm tm{};
    return localtime_r(&t, &tm) != nullptr ? tm.tm_gmtoff : 0;
}

std::string commandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const auto& arg : argv) {
        line += (line.empty() ? "" : " ") + arg;
    }
    return line;
}

} // namespace

ScheduleTool::ScheduleTool(ICommandRunner& runner, IRtcAlarm& rtc, std::string runRoot,
                           std::function<std::int64_t()> now, uid_t user)
    : m_runner(runner), m_rtc(rtc), m_runRoot(std::move(runRoot)), m_now(std::move(now)),
      m_user(user) {
    hasAlarmClock = kernelHasAlarmClock;
    zoneOffset = systemZoneOffset;
}

std::int64_t ScheduleTool::rtcValue(std::int64_t unixTime) const {
    if (m_clock != schedule::RtcClock::Local || !zoneOffset) {
        return unixTime;
    }
    return unixTime + zoneOffset(unixTime);
}

std::string_view ScheduleTool::prefix(schedule::Kind kind) {
    return kind == schedule::Kind::Wake ? kWakePrefix : kShutdownPrefix;
}

std::string ScheduleTool::userPrefix(schedule::Kind kind, uid_t user) {
    return std::string(prefix(kind)) + "u" + std::to_string(user) + "-";
}

std::string ScheduleTool::calendarTime(std::int64_t unixTime) {
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d UTC", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

std::optional<ScheduleTool::Unit> ScheduleTool::parseUnit(std::string_view token,
                                                          schedule::Kind kind) {
    constexpr std::string_view kSuffix = ".timer";
    const std::string_view start = prefix(kind);
    if (token.size() <= start.size() + 1 + kSuffix.size() || !token.starts_with(start) ||
        token[start.size()] != 'u' || !token.ends_with(kSuffix)) {
        return std::nullopt;
    }
    // u<user>-<time>-<serial>, three plain decimal numbers.
    std::string_view rest =
        token.substr(start.size() + 1, token.size() - start.size() - 1 - kSuffix.size());
    auto number = [&rest](auto* value, bool last) {
        const std::size_t dash = rest.find('-');
        if (last != (dash == std::string_view::npos)) {
            return false;
        }
        const std::string_view digits = last ? rest : rest.substr(0, dash);
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), *value);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
            return false;
        }
        rest = last ? std::string_view() : rest.substr(dash + 1);
        return true;
    };
    Unit unit;
    if (!number(&unit.user, false) || !number(&unit.time, false) || !number(&unit.serial, true) ||
        unit.time < 0) {
        return std::nullopt;
    }
    unit.name = std::string(token);
    return unit;
}

ScheduleToolExit ScheduleTool::run(const std::vector<std::string>& arguments, std::ostream& err) {
    ScheduleRequest request;
    std::string why;
    if (!ScheduleRequest::parse(arguments, &request, &why)) {
        err << "schedule: refused: " << why << "\n" << kUsage;
        return ScheduleToolExit::Refused;
    }
    m_clock = request.clock;
    if (request.operation == ScheduleRequest::Operation::Probe) {
        // The RTC's range is the hardware's: no systemd is needed to find it.
        RunLock lock(m_runRoot + "/resvman-schedule.lock");
        if (!lock.held()) {
            err << "schedule: cannot take the lock in " << m_runRoot << "\n";
            return ScheduleToolExit::Failed;
        }
        return probe(err);
    }
    struct stat st {};
    const std::string marker = m_runRoot + "/systemd/system";
    if (stat(marker.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        err << "schedule: systemd is not running as the init system (" << marker
            << " is missing); nothing was changed\n";
        return ScheduleToolExit::NoSystemd;
    }
    RunLock lock(m_runRoot + "/resvman-schedule.lock");
    if (!lock.held()) {
        err << "schedule: cannot take the lock in " << m_runRoot << "\n";
        return ScheduleToolExit::Failed;
    }
    if (request.operation == ScheduleRequest::Operation::Set) {
        return set(request.kind, request.absoluteTime, err);
    }
    return cancel(request.kind, err);
}

bool ScheduleTool::listUnits(schedule::Kind kind, std::vector<Unit>* units, std::ostream& err) {
    const std::vector<std::string> argv = {
        kSystemctl,     "list-units",  "--all",
        "--plain",      "--no-legend", "--no-pager",
        "--type=timer", "--",          std::string(prefix(kind)) + "*"};
    const auto result = m_runner.run(argv);
    if (result.status != 0) {
        err << "schedule: \"" << commandLine(argv) << "\" failed\n";
        return false;
    }
    units->clear();
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        // The unit is the first column, but a status mark may precede it.
        std::istringstream tokens(line);
        std::string token;
        while (tokens >> token) {
            if (auto unit = parseUnit(token, kind)) {
                units->push_back(*unit);
                break;
            }
        }
    }
    return true;
}

ScheduleToolExit ScheduleTool::set(schedule::Kind kind, double absoluteTime, std::ostream& err) {
    const double unixTime = absoluteTime + schedule::kAbsoluteTimeOffset;
    // Whole seconds: a wake-up rather early, a shutdown rather late.
    const auto when = static_cast<std::int64_t>(kind == schedule::Kind::Wake ? std::floor(unixTime)
                                                                             : std::ceil(unixTime));
    const std::string calendar = calendarTime(when);
    if (when <= m_now()) {
        // A past instant must never become an immediate shutdown.
        err << "schedule: " << calendar << " has passed; no " << schedule::kindWord(kind)
            << " was scheduled\n";
        return ScheduleToolExit::Ok;
    }
    std::vector<Unit> units;
    if (!listUnits(kind, &units, err)) {
        return ScheduleToolExit::Failed;
    }
    if (kind == schedule::Kind::Wake &&
        static_cast<std::size_t>(std::count_if(units.begin(), units.end(), [&](const Unit& u) {
            return u.user == m_user;
        })) >= kMaxWakeUps) {
        err << "schedule: refused: " << kMaxWakeUps
            << " wake-ups are already planned for this user; no more are kept\n";
        return ScheduleToolExit::TooMany;
    }
    unsigned serial = 0;
    while (std::any_of(units.begin(), units.end(), [&](const Unit& u) {
        return u.user == m_user && u.time == when && u.serial == serial;
    })) {
        ++serial;
    }
    const std::string name =
        userPrefix(kind, m_user) + std::to_string(when) + "-" + std::to_string(serial);
    std::vector<std::string> argv = {kSystemdRun,
                                     "--quiet",
                                     "--no-ask-password",
                                     "--collect",
                                     "--unit=" + name,
                                     kind == schedule::Kind::Wake
                                         ? "--description=ResvMan wake-up for a recording"
                                         : "--description=ResvMan shutdown after recordings",
                                     "--on-calendar=" + calendar,
                                     "--timer-property=AccuracySec=1s"};
    if (kind == schedule::Kind::Wake) {
        argv.emplace_back("--timer-property=WakeSystem=true");
    }
    argv.emplace_back("--timer-property=RemainAfterElapse=false");
    argv.emplace_back("--");
    if (kind == schedule::Kind::Wake) {
        argv.emplace_back(kTrue);
    } else {
        const std::vector<std::string> powerOff = powerOffCommand();
        argv.insert(argv.end(), powerOff.begin(), powerOff.end());
    }
    if (m_runner.run(argv).status != 0) {
        err << "schedule: \"" << commandLine(argv) << "\" failed\n";
        if (kind == schedule::Kind::Wake && hasAlarmClock && !hasAlarmClock()) {
            err << "schedule: this machine has no alarm clock that can wake it; no wake-up "
                   "was scheduled\n";
            return ScheduleToolExit::NotWakeable;
        }
        return ScheduleToolExit::Failed;
    }
    if (kind != schedule::Kind::Wake) {
        return ScheduleToolExit::Ok;
    }
    units.push_back(Unit{name + ".timer", m_user, when, serial});
    switch (armRtc(units, err)) {
    case Alarm::Set:
        return ScheduleToolExit::Ok;
    case Alarm::Replaced:
        return ScheduleToolExit::AlarmReplaced;
    case Alarm::OutOfRange:
        // The timer is in place and wakes a suspended machine; only powering on is lost.
        err << "schedule: the wake-up at " << calendar
            << " is set, but lies beyond what the RTC alarm can hold: the machine will wake "
               "from suspend then, but will not switch itself on if it is off\n";
        return ScheduleToolExit::AlarmLimited;
    case Alarm::Failed:
        break;
    }
    return ScheduleToolExit::Failed;
}

std::vector<std::string> ScheduleTool::powerOffCommand() {
    // logind's own check, not "systemctl poweroff --check-inhibitors=yes": that one also
    // refuses whenever any other user is logged in, which the user who recorded always is.
    const std::vector<std::string> ping = {kBusctl,
                                           "--system",
                                           "--timeout=5",
                                           "call",
                                           "--",
                                           "org.freedesktop.login1",
                                           "/org/freedesktop/login1",
                                           "org.freedesktop.DBus.Peer",
                                           "Ping"};
    if (m_runner.run(ping).status == 0) {
        // Flag 1: refuse even root while a program holds a shutdown inhibitor.
        return {kBusctl,
                "--system",
                "call",
                "--",
                "org.freedesktop.login1",
                "/org/freedesktop/login1",
                "org.freedesktop.login1.Manager",
                "PowerOffWithFlags",
                "t",
                "1"};
    }
    return {kSystemctl, "poweroff"};
}

ScheduleToolExit ScheduleTool::cancel(schedule::Kind kind, std::ostream& err) {
    std::vector<Unit> units;
    if (!listUnits(kind, &units, err)) {
        return ScheduleToolExit::Failed;
    }
    // Only the requesting user's own timers; other users' stay as they are.
    std::vector<Unit> own;
    std::vector<Unit> others;
    for (const auto& unit : units) {
        (unit.user == m_user ? own : others).push_back(unit);
    }
    // Read before stopping: the alarm is changed only when it is one of the stopped ones.
    std::int64_t alarm = 0; // 0: no alarm of ours to clear (0 also means "unset" in sysfs)
    if (kind == schedule::Kind::Wake && m_rtc.present()) {
        alarm = m_rtc.read().value_or(0);
    }
    if (!own.empty()) {
        std::vector<std::string> argv = {kSystemctl, "stop", "--no-ask-password", "--"};
        for (const auto& unit : own) {
            argv.push_back(unit.name);
        }
        if (m_runner.run(argv).status != 0) {
            err << "schedule: \"" << commandLine(argv) << "\" failed\n";
            return ScheduleToolExit::Failed;
        }
    }
    auto at = [this, alarm](const Unit& u) { return rtcValue(u.time) == alarm; };
    if (alarm != 0 && std::any_of(own.begin(), own.end(), at) &&
        std::none_of(others.begin(), others.end(), at)) {
        if (m_rtc.write(0) != IRtcAlarm::WriteResult::Done) {
            err << "schedule: cannot clear the RTC wake alarm\n";
            return ScheduleToolExit::Failed;
        }
        // Another user's earliest wake-up takes the alarm over.
        if (armRtc(others, err) == Alarm::Failed) {
            return ScheduleToolExit::Failed;
        }
    }
    return ScheduleToolExit::Ok;
}

ScheduleTool::Alarm ScheduleTool::armRtc(const std::vector<Unit>& wakeUps, std::ostream& err) {
    if (!m_rtc.present()) {
        err << "schedule: no RTC wake alarm here; the machine will wake from suspend only\n";
        return Alarm::Set;
    }
    const std::int64_t now = m_now();
    std::optional<std::int64_t> earliest;
    for (const auto& unit : wakeUps) {
        if (unit.time > now && (!earliest || unit.time < *earliest)) {
            earliest = unit.time;
        }
    }
    if (!earliest) {
        return Alarm::Set;
    }
    // Compared as the RTC holds them.
    const std::int64_t wanted = rtcValue(*earliest);
    const auto alarm = m_rtc.read();
    bool replacing = false;
    if (alarm && *alarm > rtcValue(now)) {
        if (*alarm == wanted) {
            return Alarm::Set;
        }
        const bool ours = std::any_of(wakeUps.begin(), wakeUps.end(),
                                      [&](const Unit& u) { return rtcValue(u.time) == *alarm; });
        // Someone else's alarm that comes first stays: the machine will be up anyway.
        if (!ours && *alarm < wanted) {
            return Alarm::Set;
        }
        replacing = !ours;
    }
    if (m_rtc.write(0) == IRtcAlarm::WriteResult::Done) {
        switch (m_rtc.write(wanted)) {
        case IRtcAlarm::WriteResult::Done:
            if (replacing) {
                err << "schedule: the RTC alarm another program had set for "
                    << calendarTime(m_clock == schedule::RtcClock::Local
                                        ? *alarm - (wanted - *earliest)
                                        : *alarm)
                    << " was replaced by the wake-up at " << calendarTime(*earliest) << "\n";
                return Alarm::Replaced;
            }
            return Alarm::Set;
        case IRtcAlarm::WriteResult::OutOfRange:
            return Alarm::OutOfRange;
        case IRtcAlarm::WriteResult::Failed:
            break;
        }
    }
    err << "schedule: cannot set the RTC wake alarm to " << calendarTime(*earliest) << "\n";
    return Alarm::Failed;
}

ScheduleToolExit ScheduleTool::probe(std::ostream& err) {
    if (!m_rtc.present()) {
        err << "schedule: no RTC wake alarm here\n";
        return ScheduleToolExit::NotWakeable;
    }
    const std::int64_t now = m_now();
    const auto before = m_rtc.read();
    const std::int64_t target = rtcValue(now + schedule::kProbeAhead);
    IRtcAlarm::WriteResult result = m_rtc.write(0);
    std::optional<std::int64_t> held;
    if (result == IRtcAlarm::WriteResult::Done) {
        result = m_rtc.write(target);
        held = m_rtc.read();
    }
    // What was there goes back, whatever the probe found: an alarm still ahead is someone's
    // wake-up.
    bool restored = m_rtc.write(0) == IRtcAlarm::WriteResult::Done;
    if (restored && before && *before > rtcValue(now)) {
        restored = m_rtc.write(*before) == IRtcAlarm::WriteResult::Done;
    }
    if (!restored) {
        err << "schedule: cannot put the RTC wake alarm back after the probe\n";
        return ScheduleToolExit::Failed;
    }
    switch (result) {
    case IRtcAlarm::WriteResult::Done:
        if (held == target) {
            err << "schedule: the RTC alarm holds a time " << schedule::kProbeAhead / 3600
                << " h ahead\n";
            return ScheduleToolExit::Ok;
        }
        break; // taken, but not kept as written: the RTC cannot hold it
    case IRtcAlarm::WriteResult::OutOfRange:
        break;
    case IRtcAlarm::WriteResult::Failed:
        err << "schedule: cannot set the RTC wake alarm\n";
        return ScheduleToolExit::Failed;
    }
    err << "schedule: the RTC refuses an alarm " << schedule::kProbeAhead / 3600
        << " h ahead: alarms may be set at most 24 h ahead\n";
    return ScheduleToolExit::AlarmLimited;
}
