// The schedule tool as installed: run as root by the broker, or by an administrator.
#include "helper/ProcessHygiene.h"
#include "helper/ProcessRunner.h"
#include "helper/ScheduleTool.h"
#include "helper/SysfsRtcAlarm.h"

#include <ctime>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    const uid_t user = RequestingUser(); // before the environment goes
    if (!SanitizeProcess()) {
        std::cerr << "schedule: resource limits too low to run safely; nothing was changed\n";
        return ScheduleTool::kExitFailed;
    }
    if (geteuid() != 0) {
        std::cerr << "schedule: must be run as root\n";
        return ScheduleTool::kExitNotRoot;
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    ProcessRunner runner;
    SysfsRtcAlarm rtc("/sys");
    ScheduleTool tool(
        runner, rtc, "/run", [] { return static_cast<std::int64_t>(std::time(nullptr)); }, user);
    return tool.Run(arguments, std::cerr);
}
