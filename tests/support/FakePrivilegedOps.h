// Records the privileged calls in order, as readable lines ("cancel 1", "wake 123.000",
// "shutdown 456.000", "probe"; "cancel-local 1" and "wake-local 123.000" for an RTC that
// keeps local time), so a test compares whole sequences. Every call succeeds unless the
// test says how it fails.
#pragma once

#include "platform/IPrivilegedOps.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class FakePrivilegedOps : public IPrivilegedOps {
public:
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

    // What setTool, authorize and release were told, apart from the calls below.
    std::string tool();
    int authorizations();
    bool released();
    // Run by authorize (tests of the start-up order); answers what authorize answers.
    void setOnAuthorize(std::function<bool()> onAuthorize);

    std::vector<std::string> calls();
    void clear();
    // How each call ends, by its line; None succeeds. Unset: all succeed.
    void setAnswer(std::function<PrivilegedFailure(std::string const& call)> answer);
    // Each call takes this long, as a tool run would.
    void setCallTime(std::chrono::microseconds time);
    // What the RTC alarm makes of each wake-up that is set, by its line. Unset: None.
    void setAlarmNote(std::function<AlarmNote(std::string const& call)> note);
    // What the probe finds (Beyond24h unless set).
    void setProbeAnswer(AlarmRange range);

    static std::string cancelCall(int kind, bool local = false);
    static std::string wakeCall(double instant, bool local = false);
    static std::string shutdownCall(double instant);

private:
    bool record(std::string const& call);

    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::function<PrivilegedFailure(std::string const&)> m_answer;
    std::chrono::microseconds m_callTime{0};
    PrivilegedFailure m_last = PrivilegedFailure::None;
    std::function<AlarmNote(std::string const&)> m_noteOf;
    AlarmNote m_note = AlarmNote::None;
    AlarmRange m_probe = AlarmRange::Beyond24h;
    bool m_local = false;
    std::string m_tool;
    int m_authorizations = 0;
    bool m_released = false;
    std::function<bool()> m_onAuthorize;
};
