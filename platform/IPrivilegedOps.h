// The privileged wake-up and shutdown operations of the application controller.
//
// Each call runs the schedule tool and waits for it (within a deadline), so callers keep
// them off the main thread; the planning thread is the only caller, one call at a time.
#pragma once

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
    virtual ~IPrivilegedOps() = default;
    // kind 1 cancels every planned wake-up, kind 2 every planned shutdown.
    virtual bool cancelScheduleWake(int kind) = 0;
    // Instants in seconds since 1970-01-01 00:00 UTC.
    virtual bool SettingWakeTime(double instant) = 0;
    virtual bool ForceShutDownTime(double instant) = 0;
    // Why the last of the calls above answered false; None after one that succeeded.
    virtual PrivilegedFailure lastFailure() = 0;
};
