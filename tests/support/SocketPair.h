// A connected pair of stream sockets for tests of the broker's channel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

class SocketPair {
public:
    SocketPair() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fd), 0); }
    ~SocketPair() {
        for (int f : fd) {
            if (f >= 0) {
                close(f);
            }
        }
    }
    void sendBytes(const std::string& bytes) {
        ASSERT_EQ(send(fd[0], bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    void closeWriter() {
        close(fd[0]);
        fd[0] = -1;
    }
    int fd[2] = {-1, -1};
};

// The 4-byte big-endian length that begins a frame.
inline std::string frameHeader(std::uint32_t size) {
    return {static_cast<char>(size >> 24), static_cast<char>(size >> 16),
            static_cast<char>(size >> 8), static_cast<char>(size)};
}
