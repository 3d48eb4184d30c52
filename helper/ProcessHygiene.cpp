#include "helper/ProcessHygiene.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void closeFrom(int lowest) {
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

void setLimit(int resource, rlim_t soft, rlim_t hard) {
    rlimit const wanted{soft, hard};
    if (setrlimit(resource, &wanted) == 0) {
        return;
    }
    rlimit current{};
    if (getrlimit(resource, &current) == 0) {
        current.rlim_cur =
            current.rlim_max == RLIM_INFINITY || current.rlim_max > soft ? soft : current.rlim_max;
        setrlimit(resource, &current);
    }
}

} // namespace

uid_t requestingUser() {
    const char* text = std::getenv(kRequestingUserVariable);
    if (text != nullptr && *text != '\0') {
        uid_t uid = 0;
        const char* end = text + std::strlen(text);
        const auto [last, error] = std::from_chars(text, end, uid);
        if (error == std::errc() && last == end && uid != static_cast<uid_t>(-1)) {
            return uid;
        }
    }
    return getuid();
}

bool resetResourceLimits() {
    for (const int resource :
         {RLIMIT_CPU, RLIMIT_FSIZE, RLIMIT_DATA, RLIMIT_AS, RLIMIT_RSS, RLIMIT_LOCKS}) {
        setLimit(resource, RLIM_INFINITY, RLIM_INFINITY);
    }
    setLimit(RLIMIT_STACK, 8 * 1024 * 1024, RLIM_INFINITY);
    setLimit(RLIMIT_NOFILE, 1024, 1024);
    setLimit(RLIMIT_CORE, 0, 0);

    const auto atLeast = [](int resource, rlim_t needed) {
        rlimit now{};
        return getrlimit(resource, &now) == 0 &&
               (now.rlim_cur == RLIM_INFINITY || now.rlim_cur >= needed);
    };
    return atLeast(RLIMIT_CPU, RLIM_INFINITY) && atLeast(RLIMIT_FSIZE, RLIM_INFINITY) &&
           atLeast(RLIMIT_STACK, 1024 * 1024) && atLeast(RLIMIT_DATA, 256u << 20) &&
           atLeast(RLIMIT_AS, 256u << 20);
}

bool sanitizeProcess() {
    // Until the limits are known to be sound, a write past a file-size limit fails (EFBIG)
    // rather than ending the program in the middle of what it does.
    signal(SIGXFSZ, SIG_IGN);
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0 && null != fd) {
                dup2(null, fd);
                close(null);
            }
        }
    }
    closeFrom(3);
    clearenv();
    setenv("PATH", kSafePath, 1);
    umask(022);
    if (!resetResourceLimits()) {
        return false;
    }
    signal(SIGXFSZ, SIG_DFL);
    return true;
}
