// The wire between the program and its privileged broker: a stream socket carrying frames
// of a 4-byte big-endian length followed by that many bytes. The broker greets with
// kBrokerHello; each request is one argument vector, every argument ending in a NUL byte;
// each reply is "started <exit status>", "failed <errno>", "refused", or "timed-out" for a
// tool the broker ended at its deadline. Header-only so the Qt-linked client needs no helper
// library.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/types.h>
#include <vector>

namespace broker {

inline constexpr const char* kBrokerFileName = "resvman-schedule-broker";
inline constexpr const char* kToolFileName = "schedule";

inline constexpr std::string_view kBrokerHello = "resvman-schedule-broker 1";
inline constexpr std::string_view kReplyRefused = "refused";
inline constexpr std::string_view kReplyStarted = "started ";
inline constexpr std::string_view kReplyFailed = "failed ";
inline constexpr std::string_view kReplyTimedOut = "timed-out";

// A request is three short arguments; anything near this size is not one.
inline constexpr std::uint32_t kMaxFramePayload = 256;

enum class FrameStatus {
    Frame,     // a whole frame was read
    End,       // the peer closed the stream between frames
    Malformed, // bad length, or the stream ended inside a frame
    IoError,
};

namespace detail {

inline bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        // MSG_NOSIGNAL: a peer that went away must give an error, not kill us with SIGPIPE.
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads exactly size bytes. Returns the bytes read before the stream ended, or -1.
inline ssize_t recvAll(int fd, char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::recv(fd, data + done, size - done, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

} // namespace detail

inline bool writeFrame(int fd, std::string_view payload) {
    if (payload.empty() || payload.size() > kMaxFramePayload) {
        return false;
    }
    const auto size = static_cast<std::uint32_t>(payload.size());
    std::string frame;
    frame.reserve(4 + payload.size());
    frame.push_back(static_cast<char>((size >> 24) & 0xff));
    frame.push_back(static_cast<char>((size >> 16) & 0xff));
    frame.push_back(static_cast<char>((size >> 8) & 0xff));
    frame.push_back(static_cast<char>(size & 0xff));
    frame.append(payload);
    return detail::sendAll(fd, frame.data(), frame.size());
}

inline FrameStatus readFrame(int fd, std::string* payload) {
    unsigned char header[4];
    const ssize_t got = detail::recvAll(fd, reinterpret_cast<char*>(header), sizeof header);
    if (got < 0) {
        return FrameStatus::IoError;
    }
    if (got == 0) {
        return FrameStatus::End;
    }
    if (got != static_cast<ssize_t>(sizeof header)) {
        return FrameStatus::Malformed;
    }
    const std::uint32_t size = (std::uint32_t{header[0]} << 24) | (std::uint32_t{header[1]} << 16) |
                               (std::uint32_t{header[2]} << 8) | std::uint32_t{header[3]};
    // An oversized frame is not read at all: the stream cannot be trusted past it.
    if (size == 0 || size > kMaxFramePayload) {
        return FrameStatus::Malformed;
    }
    payload->assign(size, '\0');
    const ssize_t body = detail::recvAll(fd, payload->data(), size);
    if (body < 0) {
        return FrameStatus::IoError;
    }
    if (body != static_cast<ssize_t>(size)) {
        return FrameStatus::Malformed;
    }
    return FrameStatus::Frame;
}

// Each argument followed by a NUL byte.
template <typename Strings> std::string encodeArguments(const Strings& arguments) {
    std::string payload;
    for (const auto& argument : arguments) {
        payload.append(argument);
        payload.push_back('\0');
    }
    return payload;
}

// The inverse of encodeArguments. False when the payload does not end with a NUL or holds
// more than maxCount arguments.
inline bool decodeArguments(std::string_view payload, std::size_t maxCount,
                            std::vector<std::string>* arguments) {
    arguments->clear();
    if (payload.empty() || payload.back() != '\0') {
        return false;
    }
    std::size_t start = 0;
    while (start < payload.size()) {
        const std::size_t end = payload.find('\0', start);
        if (arguments->size() == maxCount) {
            return false;
        }
        arguments->emplace_back(payload.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

} // namespace broker
