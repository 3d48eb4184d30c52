// Runs a command with fork and execve, with a fixed clean environment, and waits for it.
#pragma once

#include "helper/ICommandRunner.h"

class ProcessRunner : public ICommandRunner {
public:
    // Output beyond this is read and dropped so the child never blocks on a full pipe.
    static constexpr std::size_t kMaxOutput = 1 << 20;

    Result run(const std::vector<std::string>& argv) override;
};
