#include "tests/support/FakeLauncher.h"

bool FakeLauncher::open(std::string const& appPath) {
    record("open", appPath);
    std::lock_guard lock(m_mutex);
    if (m_answers.empty()) {
        return m_rest;
    }
    bool const answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

bool FakeLauncher::launch(std::string const& name) {
    record("launch", name);
    return true;
}

void FakeLauncher::scriptOpen(std::deque<bool> answers, bool rest) {
    std::lock_guard lock(m_mutex);
    m_answers = std::move(answers);
    m_rest = rest;
}

std::vector<FakeLauncher::Call> FakeLauncher::calls() {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

void FakeLauncher::record(char const* op, std::string const& arg) {
    double const at = m_clock != nullptr ? m_clock->now() : 0.0;
    std::lock_guard lock(m_mutex);
    m_calls.push_back(Call{op, arg, at});
}
