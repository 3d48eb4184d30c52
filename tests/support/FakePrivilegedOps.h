// Records the privileged calls in order, as readable lines ("cancel 1", "wake 123.000",
// "shutdown 456.000"), so a test compares whole sequences.
#pragma once

#include "platform/IPrivilegedOps.h"

#include <mutex>
#include <string>
#include <vector>

class FakePrivilegedOps : public IPrivilegedOps {
public:
    bool cancelScheduleWake(int kind) override;
    bool SettingWakeTime(double instant) override;
    bool ForceShutDownTime(double instant) override;

    std::vector<std::string> calls();
    void clear();

    static std::string Cancel(int kind);
    static std::string Wake(double instant);
    static std::string Shutdown(double instant);

private:
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
};
