#include "helper/SysfsRtcAlarm.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <string>
#include <unistd.h>

SysfsRtcAlarm::SysfsRtcAlarm(std::string sysfsRoot)
    : m_path(std::move(sysfsRoot) + "/class/rtc/rtc0/wakealarm") {}

bool SysfsRtcAlarm::present() {
    return access(m_path.c_str(), W_OK) == 0;
}

std::optional<std::int64_t> SysfsRtcAlarm::read() {
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return std::nullopt;
    }
    char buffer[64];
    ssize_t n;
    do {
        n = ::read(fd, buffer, sizeof buffer - 1);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n <= 0) {
        return std::nullopt; // an empty file is how the kernel says no alarm is set
    }
    std::size_t length = static_cast<std::size_t>(n);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == ' ')) {
        --length;
    }
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(buffer, buffer + length, value);
    if (ec != std::errc() || end != buffer + length || length == 0 || value <= 0) {
        return std::nullopt;
    }
    return value;
}

IRtcAlarm::WriteResult SysfsRtcAlarm::write(std::int64_t unixTime) {
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return WriteResult::Failed;
    }
    const std::string text = std::to_string(unixTime) + "\n";
    ssize_t n;
    do {
        n = ::write(fd, text.data(), text.size());
    } while (n < 0 && errno == EINTR);
    const int error = n < 0 ? errno : 0;
    const bool closed = ::close(fd) == 0;
    // The kernel answers ERANGE for a time outside the RTC's range; some RTCs say EINVAL for
    // an alarm further ahead than they can hold.
    if (unixTime != 0 && (error == ERANGE || error == EINVAL)) {
        return WriteResult::OutOfRange;
    }
    return closed && n == static_cast<ssize_t>(text.size()) ? WriteResult::Done
                                                            : WriteResult::Failed;
}
