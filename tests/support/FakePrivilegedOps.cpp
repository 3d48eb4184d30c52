#include "tests/support/FakePrivilegedOps.h"

#include <cstdio>
#include <thread>

namespace {
std::string WithInstant(char const* op, double instant) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %.3f", op, instant);
    return text;
}
} // namespace

bool FakePrivilegedOps::Record(std::string const& call) {
    std::function<PrivilegedFailure(std::string const&)> answer;
    std::chrono::microseconds time{0};
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
        answer = m_answer;
        time = m_callTime;
    }
    if (time.count() > 0) {
        std::this_thread::sleep_for(time);
    }
    PrivilegedFailure const failure = answer ? answer(call) : PrivilegedFailure::None;
    std::lock_guard lock(m_mutex);
    m_last = failure;
    return failure == PrivilegedFailure::None;
}

bool FakePrivilegedOps::cancelScheduleWake(int kind) {
    if (kind != 1 && kind != 2) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(Cancel(kind));
        m_last = PrivilegedFailure::ToolFailed;
        return false;
    }
    return Record(Cancel(kind));
}

bool FakePrivilegedOps::SettingWakeTime(double instant) {
    return Record(Wake(instant));
}

bool FakePrivilegedOps::ForceShutDownTime(double instant) {
    return Record(Shutdown(instant));
}

PrivilegedFailure FakePrivilegedOps::lastFailure() {
    std::lock_guard lock(m_mutex);
    return m_last;
}

std::vector<std::string> FakePrivilegedOps::calls() {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

void FakePrivilegedOps::clear() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
}

void FakePrivilegedOps::setAnswer(std::function<PrivilegedFailure(std::string const&)> answer) {
    std::lock_guard lock(m_mutex);
    m_answer = std::move(answer);
}

void FakePrivilegedOps::setCallTime(std::chrono::microseconds time) {
    std::lock_guard lock(m_mutex);
    m_callTime = time;
}

std::string FakePrivilegedOps::Cancel(int kind) {
    return "cancel " + std::to_string(kind);
}

std::string FakePrivilegedOps::Wake(double instant) {
    return WithInstant("wake", instant);
}

std::string FakePrivilegedOps::Shutdown(double instant) {
    return WithInstant("shutdown", instant);
}
