#include "helper/TrustedTool.h"

#include "helper/BrokerFrame.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Parent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

bool TrustedOwner(uid_t owner, uid_t brokerOwner) {
    return owner == 0 || owner == brokerOwner;
}

} // namespace

std::string TrustedTool::OwnExecutable() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return {};
    }
    return std::string(buffer, static_cast<std::size_t>(n));
}

int TrustedTool::Open(const std::string& brokerExecutable, std::string* toolPath,
                      std::string* error) {
    if (brokerExecutable.empty() || brokerExecutable[0] != '/' ||
        brokerExecutable.ends_with(" (deleted)")) {
        *error = "cannot tell where the broker itself lies";
        return -1;
    }
    struct stat broker {};
    if (stat(brokerExecutable.c_str(), &broker) != 0) {
        *error = brokerExecutable + ": " + std::strerror(errno);
        return -1;
    }
    const std::string folder = Parent(brokerExecutable);
    *toolPath = (folder == "/" ? "" : folder) + "/" + broker::kToolFileName;

    const int fd = open(toolPath->c_str(), O_PATH | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        *error = *toolPath + ": " + std::strerror(errno);
        return -1;
    }
    struct stat tool {};
    if (fstat(fd, &tool) != 0 || !S_ISREG(tool.st_mode) || (tool.st_mode & S_IXUSR) == 0) {
        *error = *toolPath + ": not an executable file";
        close(fd);
        return -1;
    }
    if (!TrustedOwner(tool.st_uid, broker.st_uid) || (tool.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        *error = *toolPath + ": owned or writable by someone else";
        close(fd);
        return -1;
    }
    // Checked after opening: a swap would need write access to one of these folders.
    for (std::string dir = folder;; dir = Parent(dir)) {
        struct stat st {};
        if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            *error = dir + ": not a folder";
            close(fd);
            return -1;
        }
        // A sticky folder owned by root (like /tmp) lets nobody rename what others own.
        const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        const bool rootSticky = st.st_uid == 0 && (st.st_mode & S_ISVTX) != 0;
        if (!TrustedOwner(st.st_uid, broker.st_uid) || (othersWrite && !rootSticky)) {
            *error = dir + ": owned or writable by someone else";
            close(fd);
            return -1;
        }
        if (dir == "/") {
            break;
        }
    }
    return fd;
}
