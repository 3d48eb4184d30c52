// Finds the one program the broker will run: the schedule tool in the broker's own folder.
// Nothing the caller says (arguments, environment, working folder) takes part, so a caller
// cannot point the broker at another program. The tool must pass the trust checks
// (platform/linux/Trust.h): running as root, a regular executable file of root's with
// every folder on the way root's alone; otherwise (tests, without privileges) the running
// user's or root's. Anyone else who could change it could make the broker run their program.
#pragma once

#include <string>

class TrustedTool {
public:
    // Opens <folder of brokerExecutable>/schedule as an O_PATH descriptor after the checks
    // above. Returns the descriptor and its path, or -1 with the reason in *error.
    static int open(const std::string& brokerExecutable, std::string* toolPath, std::string* error);

    // This process's executable, as the kernel knows it; empty when unknown.
    static std::string ownExecutable();
};
