// Starts the schedule tool for the broker and waits for it.
#pragma once

#include <string>
#include <vector>

class IToolLauncher {
public:
    struct Outcome {
        bool started = false;
        int status = -1;       // the tool's exit status when started (128 + signal when killed)
        int error = 0;         // errno when it could not be started
        bool timedOut = false; // ended, with everything it started, at the deadline
    };

    virtual ~IToolLauncher() = default;
    virtual Outcome launch(const std::vector<std::string>& arguments) = 0;
};
