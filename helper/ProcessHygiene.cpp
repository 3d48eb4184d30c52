#include "helper/ProcessHygiene.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void CloseFrom(int lowest) {
    if (close_range(static_cast<unsigned>(lowest), ~0U, 0) == 0) {
        return;
    }
    // Kernels before 5.9: walk the open descriptors instead.
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        return;
    }
    std::vector<int> open;
    const int own = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const int fd = std::atoi(entry->d_name);
        if (fd >= lowest && fd != own) {
            open.push_back(fd);
        }
    }
    closedir(dir);
    for (const int fd : open) {
        close(fd);
    }
}

} // namespace

void SanitizeProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0 && null != fd) {
                dup2(null, fd);
                close(null);
            }
        }
    }
    CloseFrom(3);
    clearenv();
    setenv("PATH", kSafePath, 1);
    umask(022);
}
