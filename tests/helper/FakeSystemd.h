// Stands in for systemd-run and systemctl: records every command line and keeps the set of
// timers they made, so list-units and stop behave. With a state folder it persists both, so
// the sandbox build of the tool (run by a real broker) leaves them for the test to read.
#pragma once

#include "helper/ICommandRunner.h"

#include <set>
#include <string>
#include <vector>

class FakeSystemd : public ICommandRunner {
public:
    FakeSystemd() = default;
    // Loads <stateFolder>/units and appends to <stateFolder>/systemd.log.
    explicit FakeSystemd(std::string stateFolder);

    Result run(const std::vector<std::string>& argv) override;

    // One line per command: arguments joined by spaces, those holding a space in quotes.
    static std::string render(const std::vector<std::string>& argv);
    // Adds a free-form line to the log.
    void note(const std::string& line);

    std::vector<std::string> commands;
    std::set<std::string> units;  // "<name>.timer"
    std::string failWhenContains; // commands containing this text fail with status 1

private:
    void save() const;

    std::string m_stateFolder;
};
