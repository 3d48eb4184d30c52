#include "sources/tuner/LinuxRadioDevice.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velto {

LinuxRadioDevice::~LinuxRadioDevice() {
    close();
}

int LinuxRadioDevice::open(const std::string& path) {
    close();
    // Non-blocking, so that a path naming a FIFO or a stuck node cannot hold the open.
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return errno;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        ::close(fd);
        return ENOTTY; // not a device node: no radio ioctls can work on it
    }
    m_fd = fd;
    return 0;
}

void LinuxRadioDevice::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

int LinuxRadioDevice::ioctl(unsigned long request, void* argument) {
    if (m_fd < 0) {
        return EBADF;
    }
    // The radio drivers talk to the stick over USB control transfers, which the kernel
    // bounds with its own timeout (0.5 to 10 s by driver); a signal may cut one short.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::ioctl(m_fd, request, argument) == 0) {
            return 0;
        }
        if (errno != EINTR) {
            return errno;
        }
    }
    return EINTR;
}

} // namespace velto
