// The privileged wake-up and shutdown operations of the application controller.
#pragma once

class IPrivilegedOps {
public:
    virtual ~IPrivilegedOps() = default;
    // kind 1 cancels every planned wake-up, kind 2 every planned shutdown.
    virtual bool cancelScheduleWake(int kind) = 0;
    // Instants in seconds since 1970-01-01 00:00 UTC.
    virtual bool SettingWakeTime(double instant) = 0;
    virtual bool ForceShutDownTime(double instant) = 0;
};
