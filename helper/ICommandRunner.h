// Runs one external command for the schedule tool. The real runner executes it; tests
// record the command lines instead, since build machines have no systemd to talk to.
#pragma once

#include <string>
#include <vector>

class ICommandRunner {
public:
    struct Result {
        int status = -1;       // exit status, or -1 when it could not run or was killed
        std::string output;    // what it wrote to standard output
        bool timedOut = false; // ended for running past its deadline
    };

    virtual ~ICommandRunner() = default;
    // argv[0] is an absolute path; no search path is involved.
    virtual Result run(const std::vector<std::string>& argv) = 0;
};
