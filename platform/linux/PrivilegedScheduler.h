// The wake-up and shutdown operations through the schedule tool, run as root by the polkit
// broker. The permission is asked for once (at start-up, or at the first operation) and then
// kept for the life of the program, also when it was refused: a refused one fails each run
// without asking again. Plain C++ (no Qt).
#pragma once

#include "platform/IPrivilegedOps.h"
#include "platform/linux/PolkitBroker.h"
#include "protocol/ScheduleArguments.h"

#include <memory>
#include <mutex>
#include <string>

class PrivilegedScheduler : public IPrivilegedOps {
public:
    explicit PrivilegedScheduler(std::string toolPath = std::string());
    ~PrivilegedScheduler() override;

    void setTool(std::string const& path) override;
    bool authorize() override;
    bool cancel(int kind) override;
    bool setWakeTime(double instant) override;
    bool setShutdownTime(double instant) override;
    PrivilegedFailure lastFailure() override;
    AlarmNote lastAlarmNote() override;
    void setRtcClock(schedule::RtcClock clock) override;
    AlarmRange probeAlarmRange() override;
    void release() override;

    std::string tool() const;
    // Whether a permission was asked for (granted or not).
    bool asked() const;

private:
    // The *Locked helpers expect m_mutex held; it is held across a whole tool run.
    bool authorizeLocked();
    bool set(schedule::Kind kind, double instant);
    template <typename Arguments>
    bool runTool(Arguments const& arguments, BrokerChannel::Answer::Kind* answered = nullptr);
    // The tool's exit status of the last run, -1 when it did not run.
    int m_exit = -1;

    mutable std::mutex m_mutex;
    std::string m_toolPath;
    std::unique_ptr<PolkitBroker> m_broker; // made at the first request, then kept
    PrivilegedFailure m_failure = PrivilegedFailure::None;
    AlarmNote m_note = AlarmNote::None;
    schedule::RtcClock m_clock = schedule::RtcClock::Utc;
};
