// A private copy of the sandbox tool and a real broker in a fresh folder, with the fake
// RTC and /run beside them. Each test gets its own, so tests may run in parallel.
#pragma once

#include <string>
#include <vector>

class Sandbox {
public:
    explicit Sandbox(bool systemdRunning = true);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Lines the sandbox tool recorded: its environment, then its systemd commands.
    std::vector<std::string> Log() const;
    // The systemd commands alone.
    std::vector<std::string> Commands() const;
    std::string Alarm() const;

    std::string root;
    std::string bundle; // holds "schedule" and the broker
    std::string tool;
    std::string broker;
};

// A fresh empty folder (0700) in the temporary folder.
std::string MakeScratchFolder();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
