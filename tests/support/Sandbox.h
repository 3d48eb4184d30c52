// A private copy of the sandbox tool and a real broker in a fresh folder, with the fake
// RTC and /run beside them. Each test gets its own, so tests may run in parallel.
#pragma once

#include "tests/support/ScratchFiles.h"

#include <string>
#include <vector>

class Sandbox {
public:
    explicit Sandbox(bool systemdRunning = true);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Lines the sandbox tool recorded: its environment, then its systemd commands.
    std::vector<std::string> logLines() const;
    // The systemd commands alone.
    std::vector<std::string> commandLog() const;
    std::string alarm() const;

    std::string root;
    std::string bundle; // holds "schedule" and the broker
    std::string tool;
    std::string broker;
};
