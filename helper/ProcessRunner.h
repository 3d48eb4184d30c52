// Runs a command with fork and execve, with a fixed clean environment, and waits for it,
// at most until its deadline: a command still running then is killed. It stays in the
// tool's process group, so that the broker's deadline for the tool ends it too.
#pragma once

#include "helper/ICommandRunner.h"

#include <chrono>

class ProcessRunner : public ICommandRunner {
public:
    // Output beyond this is read and dropped so the child never blocks on a full pipe.
    static constexpr std::size_t kMaxOutput = 1 << 20;
    // A systemctl or systemd-run that has not ended by then will not.
    static constexpr std::chrono::milliseconds kDeadline{30000};

    explicit ProcessRunner(std::chrono::milliseconds deadline = kDeadline) : m_deadline(deadline) {}

    Result run(const std::vector<std::string>& argv) override;

private:
    std::chrono::milliseconds m_deadline;
};
