// The privileged wake-up and shutdown operations: each runs the schedule tool as root and
// waits for it (within a deadline), so callers keep them off the main thread; the planning
// thread is the only caller of the three operations, one call at a time.
#pragma once

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

    // The program is ending: a run under way gives up at once, none starts any more, and
    // the permission goes (with the broker that held it). Any thread; more than once is fine.
    virtual void release() = 0;
};
