#include "tests/support/FakePrivilegedOps.h"

#include <cstdio>
#include <thread>

namespace {
std::string withInstant(char const* op, double instant) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %.3f", op, instant);
    return text;
}
} // namespace

bool FakePrivilegedOps::record(std::string const& call) {
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

bool FakePrivilegedOps::cancel(int kind) {
    bool local = false;
    {
        std::lock_guard lock(m_mutex);
        local = m_local && kind == kWakeUps;
        if (kind != 1 && kind != 2) {
            m_calls.push_back(cancelCall(kind));
            m_last = PrivilegedFailure::ToolFailed;
            return false;
        }
    }
    return record(cancelCall(kind, local));
}

bool FakePrivilegedOps::setWakeTime(double instant) {
    std::string call;
    {
        std::lock_guard lock(m_mutex);
        call = wakeCall(instant, m_local);
        m_note = AlarmNote::None;
    }
    if (!record(call)) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_note = m_noteOf ? m_noteOf(call) : AlarmNote::None;
    return true;
}

AlarmNote FakePrivilegedOps::lastAlarmNote() {
    std::lock_guard lock(m_mutex);
    return m_note;
}

void FakePrivilegedOps::setRtcClock(schedule::RtcClock clock) {
    std::lock_guard lock(m_mutex);
    m_local = clock == schedule::RtcClock::Local;
}

AlarmRange FakePrivilegedOps::probeAlarmRange() {
    if (!record("probe")) {
        return AlarmRange::Unknown;
    }
    std::lock_guard lock(m_mutex);
    return m_probe;
}

void FakePrivilegedOps::setAlarmNote(std::function<AlarmNote(std::string const&)> note) {
    std::lock_guard lock(m_mutex);
    m_noteOf = std::move(note);
}

void FakePrivilegedOps::setProbeAnswer(AlarmRange range) {
    std::lock_guard lock(m_mutex);
    m_probe = range;
}

bool FakePrivilegedOps::setShutdownTime(double instant) {
    return record(shutdownCall(instant));
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

std::string FakePrivilegedOps::cancelCall(int kind, bool local) {
    return (local ? "cancel-local " : "cancel ") + std::to_string(kind);
}

std::string FakePrivilegedOps::wakeCall(double instant, bool local) {
    return withInstant(local ? "wake-local" : "wake", instant);
}

std::string FakePrivilegedOps::shutdownCall(double instant) {
    return withInstant("shutdown", instant);
}

void FakePrivilegedOps::setTool(std::string const& path) {
    std::lock_guard lock(m_mutex);
    m_tool = path;
}

bool FakePrivilegedOps::authorize() {
    std::function<bool()> onAuthorize;
    {
        std::lock_guard lock(m_mutex);
        ++m_authorizations;
        onAuthorize = m_onAuthorize;
    }
    return onAuthorize ? onAuthorize() : true;
}

void FakePrivilegedOps::release() {
    std::lock_guard lock(m_mutex);
    m_released = true;
}

std::string FakePrivilegedOps::tool() {
    std::lock_guard lock(m_mutex);
    return m_tool;
}

int FakePrivilegedOps::authorizations() {
    std::lock_guard lock(m_mutex);
    return m_authorizations;
}

bool FakePrivilegedOps::released() {
    std::lock_guard lock(m_mutex);
    return m_released;
}

void FakePrivilegedOps::setOnAuthorize(std::function<bool()> onAuthorize) {
    std::lock_guard lock(m_mutex);
    m_onAuthorize = std::move(onAuthorize);
}
