// Runs the tool from a descriptor opened (and checked) once at broker start, so the file
// that runs is the file that was checked, whatever happens to the path afterwards. A tool
// that has not ended by its deadline is killed, with everything it started.
#pragma once

#include "helper/IToolLauncher.h"

#include <chrono>
#include <string>
#include <sys/types.h>

class ToolLauncher : public IToolLauncher {
public:
    // toolFd: an O_PATH descriptor of the tool; toolPath: its name, used as argv[0];
    // user: the user the runs are for, handed to the tool as $PKEXEC_UID.
    ToolLauncher(int toolFd, std::string toolPath, uid_t user);

    Outcome launch(const std::vector<std::string>& arguments) override;

    static constexpr std::chrono::milliseconds kDeadline{60000};
    std::chrono::milliseconds deadline = kDeadline;

private:
    int m_toolFd;
    std::string m_toolPath;
    uid_t m_user;
};
