// Records the privileged calls in order, as readable lines ("cancel 1", "wake 123.000",
// "shutdown 456.000"), so a test compares whole sequences. Every call succeeds unless the
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
    bool cancelScheduleWake(int kind) override;
    bool SettingWakeTime(double instant) override;
    bool ForceShutDownTime(double instant) override;
    PrivilegedFailure lastFailure() override;

    std::vector<std::string> calls();
    void clear();
    // How each call ends, by its line; None succeeds. Unset: all succeed.
    void setAnswer(std::function<PrivilegedFailure(std::string const& call)> answer);
    // Each call takes this long, as a tool run would.
    void setCallTime(std::chrono::microseconds time);

    static std::string Cancel(int kind);
    static std::string Wake(double instant);
    static std::string Shutdown(double instant);

private:
    bool Record(std::string const& call);

    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::function<PrivilegedFailure(std::string const&)> m_answer;
    std::chrono::microseconds m_callTime{0};
    PrivilegedFailure m_last = PrivilegedFailure::None;
};
