#include "app/InstanceLock.h"

#include "store/ReservationFile.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::string InstanceLock::lockPath(std::string const& folder) {
    return folder + "/" + ReservationFile::kFileName + ".lock";
}

InstanceLock::Result InstanceLock::acquire(std::string const& folder, int* fdOut) {
    // Never through a symbolic link, and never a FIFO or device in the lock's place.
    int const fd = ::open(lockPath(folder).c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        return Result::Unavailable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Result::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int const error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::HeldByOther : Result::Unavailable;
    }
    // Kept open: the lock lasts as long as the process.
    if (fdOut) {
        *fdOut = fd;
    }
    return Result::Acquired;
}

InstanceLock::Result InstanceLock::acquireWithin(std::string const& folder, int timeoutMs,
                                                 int* fdOut) {
    constexpr int kStepMs = 50;
    for (int waited = 0;; waited += kStepMs) {
        Result const result = acquire(folder, fdOut);
        if (result != Result::HeldByOther || waited >= timeoutMs) {
            return result;
        }
        ::usleep(kStepMs * 1000);
    }
}

bool InstanceLock::heldBy(std::string const& folder, long pid) {
    if (pid <= 0) {
        return false;
    }
    struct stat lockFile {};
    if (::lstat(lockPath(folder).c_str(), &lockFile) != 0 || !S_ISREG(lockFile.st_mode)) {
        return false;
    }
    std::string const process = "/proc/" + std::to_string(pid);
    DIR* const fds = ::opendir((process + "/fd").c_str());
    if (fds == nullptr) {
        return false;
    }
    bool held = false;
    while (dirent const* entry = ::readdir(fds)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        struct stat opened {};
        if (::stat((process + "/fd/" + entry->d_name).c_str(), &opened) != 0 ||
            opened.st_dev != lockFile.st_dev || opened.st_ino != lockFile.st_ino) {
            continue;
        }
        // The file's locks taken through this descriptor; a "->" line waits for one.
        std::ifstream info(process + "/fdinfo/" + entry->d_name);
        for (std::string line; std::getline(info, line);) {
            if (line.starts_with("lock:") && line.find("FLOCK") != std::string::npos &&
                line.find("->") == std::string::npos) {
                held = true;
            }
        }
    }
    ::closedir(fds);
    return held;
}
