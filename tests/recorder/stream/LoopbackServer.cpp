#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace velto::test {

namespace {

// The first run makes the media (a few seconds); the others find it made.
constexpr int startTimeoutMs = 60000;

int connectLoopback(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

LoopbackServer::LoopbackServer() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string script = STREAM_SERVER_SCRIPT;
    const std::string media = STREAM_MEDIA_DIR;
    const char* argv[] = {"python3", script.c_str(), "--media", media.c_str(), nullptr};
    const int spawned =
        posix_spawnp(&m_pid, "python3", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        m_pid = -1;
        close(pipeFds[0]);
        return;
    }
    std::string line;
    pollfd poller{pipeFds[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&poller, 1, startTimeoutMs) > 0) {
        char buffer[256];
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    if (std::sscanf(line.c_str(), "ports %d %d", &m_httpPort, &m_httpsPort) != 2) {
        m_httpPort = m_httpsPort = 0;
    }
}

LoopbackServer::~LoopbackServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string LoopbackServer::http(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_httpPort) + path;
}

std::string LoopbackServer::https(const std::string& path, const std::string& host) const {
    return "https://" + host + ":" + std::to_string(m_httpsPort) + path;
}

std::string LoopbackServer::caFile() const {
    return std::string(STREAM_MEDIA_DIR) + "/ca.pem";
}

int LoopbackServer::hits(const std::string& path) const {
    const int fd = connectLoopback(m_httpPort);
    if (fd < 0) {
        return -1;
    }
    const std::string request = "GET /hits?path=" + path + " HTTP/1.0\r\n\r\n";
    if (::write(fd, request.data(), request.size()) < 0) {
        close(fd);
        return -1;
    }
    std::string answer;
    char buffer[512];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    const std::size_t body = answer.find("\r\n\r\n");
    return body == std::string::npos ? -1 : std::stoi(answer.substr(body + 4));
}

int LoopbackServer::closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

} // namespace velto::test
