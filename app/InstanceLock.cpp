#include "app/InstanceLock.h"

#include "store/ReservationFile.h"

#include <cerrno>
#include <fcntl.h>
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
