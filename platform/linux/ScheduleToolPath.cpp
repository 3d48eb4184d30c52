#include "platform/linux/ScheduleToolPath.h"

#include "helper/BrokerFrame.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

#ifndef RESVMAN_SCHEDULE_TOOL_INSTALL_PATH
#define RESVMAN_SCHEDULE_TOOL_INSTALL_PATH "/usr/local/libexec/resvman/schedule"
#endif

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A tool counts only with its broker beside it: a stray "schedule" next to an installed
// program is someone else's.
bool IsToolWithBroker(const std::string& tool) {
    return !tool.empty() && tool[0] == '/' && IsExecutableFile(tool) &&
           IsExecutableFile(FolderOf(tool) + "/" + broker::kBrokerFileName);
}

} // namespace

std::string ScheduleToolPathFor(const std::string& programFolder,
                                const std::string& installedPath) {
    if (!programFolder.empty()) {
        const std::string beside = programFolder + "/" + broker::kToolFileName;
        if (IsToolWithBroker(beside)) {
            return beside;
        }
    }
    return IsToolWithBroker(installedPath) ? installedPath : std::string();
}

std::string ScheduleToolPath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    const std::string self = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
    return ScheduleToolPathFor(FolderOf(self), RESVMAN_SCHEDULE_TOOL_INSTALL_PATH);
}
