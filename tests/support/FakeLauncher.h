// A companion that comes up (or not) as the test scripts it; records every attempt.
#pragma once

#include "platform/ICompanionLauncher.h"
#include "posix/IClock.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

class FakeLauncher : public ICompanionLauncher {
public:
    struct Call {
        std::string op; // "open" or "launch"
        std::string arg;
        double at = 0.0;
    };

    explicit FakeLauncher(IClock* clock = nullptr) : m_clock(clock) {}

    bool open(std::string const& appPath) override;
    bool launch(std::string const& name) override;
    bool isRunning() const override { return m_running.load(); }
    void setRunning(bool running) { m_running.store(running); }

    // Answers of the next open calls, in order; afterwards every call answers `rest`.
    void scriptOpen(std::deque<bool> answers, bool rest);
    std::vector<Call> calls();

private:
    void record(char const* op, std::string const& arg);

    IClock* m_clock;
    std::mutex m_mutex;
    std::deque<bool> m_answers;
    bool m_rest = true;
    std::vector<Call> m_calls;
    std::atomic<bool> m_running{false};
};
