// Finds the one program the broker will run: the schedule tool in the broker's own folder.
// Nothing the caller says (arguments, environment, working folder) takes part, so a caller
// cannot point the broker at another program. The tool, and every folder above it, must be
// owned by root or by the broker's own owner and writable by nobody else; otherwise
// someone other than the one who installed the broker could swap what it runs.
#pragma once

#include <string>

class TrustedTool {
public:
    // Opens <folder of brokerExecutable>/schedule as an O_PATH descriptor after the checks
    // above. Returns the descriptor and its path, or -1 with the reason in *error.
    static int Open(const std::string& brokerExecutable, std::string* toolPath, std::string* error);

    // This process's executable, as the kernel knows it; empty when unknown.
    static std::string OwnExecutable();
};
