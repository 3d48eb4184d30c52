// The privileged wake-up and shutdown operations: each runs the schedule tool as root and
// waits for it (within a deadline), so callers keep them off the main thread. The planning
// thread makes the three planning operations; the wake check's probe may come from another
// thread, and waits for a tool run under way.
#pragma once

#include "protocol/ScheduleArguments.h"

#include <string>

// Why a privileged call answered false.
enum class PrivilegedFailure {
    None,
    NotAuthorized, // the administrator password was not given (or refused)
    Unavailable,   // the tool or its broker is missing, or could not be started
    NoSystemd,     // systemd is not the init system here
    NotWakeable,   // systemd refused a wake-up timer: nothing here can wake the machine
    TimedOut,      // the tool or the broker did not answer within its deadline
    ToolFailed,    // the tool ran and reported an error
};

// What the RTC's wake alarm can hold, as the tool's probe found it.
enum class AlarmRange {
    Unknown,   // no probe was made, or it failed: lastFailure() says why
    Beyond24h, // an alarm 25 h ahead was held
    Within24h, // refused: alarms may be set at most 24 h ahead
    NoAlarm,   // there is no RTC wake alarm
    Outdated,  // the installed helper refused the probe: it is older than this program
};

// What the RTC alarm made of a wake-up that was set.
enum class AlarmNote {
    None,
    OutOfRange,    // the timer is set, but the RTC alarm cannot hold it (too far ahead)
    ReplacedOther, // it replaced an RTC alarm another program had set
};

class IPrivilegedOps {
public:
    // What cancel() cancels.
    static constexpr int kWakeUps = 1;
    static constexpr int kShutdowns = 2;

    virtual ~IPrivilegedOps() = default;

    // The schedule tool the operations run ("" while none is installed). A permission
    // obtained for another tool is dropped, so that the next run asks anew.
    virtual void setTool(std::string const& path) = 0;
    // Asks for the administrator's permission now (the password request), rather than at
    // the first operation.
    virtual bool authorize() = 0;

    // kWakeUps cancels every planned wake-up, kShutdowns every planned shutdown.
    virtual bool cancel(int kind) = 0;
    // Instants in seconds since 1970-01-01 00:00 UTC.
    virtual bool setWakeTime(double instant) = 0;
    virtual bool setShutdownTime(double instant) = 0;
    // Why the last of the calls above answered false; None after one that succeeded.
    virtual PrivilegedFailure lastFailure() = 0;
    // What the RTC alarm made of the last setWakeTime that succeeded.
    virtual AlarmNote lastAlarmNote() = 0;

    // How the RTC keeps time: wake-ups, their cancel and the probe write its alarm so. UTC
    // until told otherwise.
    virtual void setRtcClock(schedule::RtcClock clock) = 0;
    // Sets the RTC alarm 25 h ahead, reads it back and puts back what was there. Waits for
    // the tool like the calls above; may bring up the password request.
    virtual AlarmRange probeAlarmRange() = 0;

    // The program is ending: a run under way gives up at once, none starts any more, and
    // the permission goes (with the broker that held it). Any thread; more than once is fine.
    virtual void release() = 0;
};
