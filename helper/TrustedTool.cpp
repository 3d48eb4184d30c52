#include "helper/TrustedTool.h"

#include "posix/Trust.h"
#include "protocol/BrokerFrame.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string parentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

} // namespace

std::string TrustedTool::ownExecutable() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return {};
    }
    return std::string(buffer, static_cast<std::size_t>(n));
}

int TrustedTool::open(const std::string& brokerExecutable, std::string* toolPath,
                      std::string* error) {
    if (brokerExecutable.empty() || brokerExecutable[0] != '/' ||
        brokerExecutable.ends_with(" (deleted)")) {
        *error = "cannot tell where the broker itself lies";
        return -1;
    }
    const std::string folder = parentFolder(brokerExecutable);
    *toolPath = (folder == "/" ? "" : folder) + "/" + broker::kToolFileName;

    // The file itself, never a link in its place; checked once it is open, so a swap after
    // the check would need write access to one of the folders the check found sound.
    const int fd = ::open(toolPath->c_str(), O_PATH | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        *error = *toolPath + ": " + std::strerror(errno);
        return -1;
    }
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        *error = *toolPath + ": not an executable file";
        ::close(fd);
        return -1;
    }
    const uid_t self = geteuid();
    const trust::Policy policy =
        self == 0 ? trust::kRootOnly : trust::Policy{self, trust::Owners::UserOrRoot};
    const trust::Verdict verdict = trust::checkFile(*toolPath, policy, true);
    struct stat checked {};
    if (!verdict.ok() || verdict.resolved != *toolPath || stat(toolPath->c_str(), &checked) != 0 ||
        checked.st_dev != opened.st_dev || checked.st_ino != opened.st_ino) {
        *error = verdict.ok() ? *toolPath + ": changed while it was checked" : verdict.describe();
        ::close(fd);
        return -1;
    }
    return fd;
}
