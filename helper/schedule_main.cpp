// The schedule tool as installed: run as root by the broker, or by an administrator.
#include "helper/ProcessHygiene.h"
#include "helper/ProcessRunner.h"
#include "helper/ScheduleTool.h"
#include "helper/SysfsRtcAlarm.h"

#include <ctime>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    const uid_t user = requestingUser(); // before the environment goes
    if (!sanitizeProcess()) {
        std::cerr << "schedule: resource limits too low to run safely; nothing was changed\n";
        return static_cast<int>(ScheduleToolExit::Failed);
    }
    if (geteuid() != 0) {
        std::cerr << "schedule: must be run as root\n";
        return static_cast<int>(ScheduleToolExit::NotRoot);
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    ProcessRunner runner;
    SysfsRtcAlarm rtc("/sys");
    ScheduleTool tool(
        runner, rtc, "/run", [] { return static_cast<std::int64_t>(std::time(nullptr)); }, user);
    return static_cast<int>(tool.run(arguments, std::cerr));
}
