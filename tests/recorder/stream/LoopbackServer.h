#pragma once
#include <string>
#include <sys/types.h>

namespace velto::test {

// stream_server.py on loopback, started for a test and ended with it.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool running() const { return m_httpPort > 0; }
    std::string http(const std::string& path) const;
    // Over TLS, for "localhost" (the certificate's name) or another host name of loopback.
    std::string https(const std::string& path, const std::string& host = "localhost") const;
    // The authority that signed the server's certificate.
    std::string caFile() const;
    // Requests the server saw for `path`.
    int hits(const std::string& path) const;
    // A loopback port where nothing listens.
    static int closedPort();

private:
    pid_t m_pid = -1;
    int m_httpPort = 0;
    int m_httpsPort = 0;
};

} // namespace velto::test
