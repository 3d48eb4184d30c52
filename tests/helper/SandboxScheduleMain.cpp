// The schedule tool as built for tests: the real tool with its commands recorded by
// FakeSystemd instead of run, and the RTC and /run inside a sandbox folder. The sandbox
// is the folder above the one holding this program, so a test gets its own by copying the
// program (and the broker) into a fresh folder. It runs nothing, whoever starts it, and is
// never installed.
#include "FakeSystemd.h"
#include "helper/ProcessHygiene.h"
#include "helper/ScheduleTool.h"
#include "helper/SysfsRtcAlarm.h"
#include "helper/TrustedTool.h"

#include <ctime>
#include <iostream>

extern char** environ;

namespace {

std::string parent(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

} // namespace

int main(int argc, char** argv) {
    const uid_t user = requestingUser();
    // What reached the tool, so tests can check what the broker passes on.
    std::string env = "env";
    for (char** e = environ; *e != nullptr; ++e) {
        env += std::string(" ") + *e;
    }
    const bool sane = sanitizeProcess();
    const std::string root = parent(parent(TrustedTool::ownExecutable()));
    FakeSystemd systemd(root);
    if (!sane) {
        std::cerr << "schedule: resource limits too low to run safely; nothing was changed\n";
        return static_cast<int>(ScheduleToolExit::Failed);
    }
    systemd.note(env);
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    SysfsRtcAlarm rtc(root + "/sys");
    ScheduleTool tool(
        systemd, rtc, root + "/run", [] { return static_cast<std::int64_t>(std::time(nullptr)); },
        user);
    return static_cast<int>(tool.run(arguments, std::cerr));
}
