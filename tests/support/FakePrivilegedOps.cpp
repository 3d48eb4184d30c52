#include "tests/support/FakePrivilegedOps.h"

#include <cstdio>

namespace {
std::string WithInstant(char const* op, double instant) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %.3f", op, instant);
    return text;
}
} // namespace

bool FakePrivilegedOps::cancelScheduleWake(int kind) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(Cancel(kind));
    return kind == 1 || kind == 2;
}

bool FakePrivilegedOps::SettingWakeTime(double instant) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(Wake(instant));
    return true;
}

bool FakePrivilegedOps::ForceShutDownTime(double instant) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(Shutdown(instant));
    return true;
}

std::vector<std::string> FakePrivilegedOps::calls() {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

void FakePrivilegedOps::clear() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
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
