// The program's end of the privileged broker: starts it once (through pkexec, or directly
// when the program already runs as root), hands it argument vectors and reads its answers.
// Plain C++ so the helper tests, sanitizer builds included, exercise it.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class BrokerChannel {
public:
    enum class Launch {
        Automatic, // directly when root, otherwise through pkexec
        Direct,
        Pkexec,
    };
    enum class StartResult {
        Started,
        Dismissed, // the password request was dismissed
        Failed,
        Refused, // the broker is not root's alone: it is never run as root (see Start)
    };

    static constexpr const char* kPkexec = "/usr/bin/pkexec";

    // Starts the broker at brokerPath and waits for its greeting; that is when pkexec asks
    // for the administrator password. Null when no broker came up; *result says why.
    // Whenever the broker would run as root (through pkexec, or directly by root), it must
    // be a file of root's in folders only root may change (trust::kRootOnly); otherwise it
    // is not started and the reason goes to standard error.
    static std::unique_ptr<BrokerChannel> Start(const std::string& brokerPath, Launch launch,
                                                StartResult* result);

    ~BrokerChannel();
    BrokerChannel(const BrokerChannel&) = delete;
    BrokerChannel& operator=(const BrokerChannel&) = delete;

    // Has the broker run the schedule tool with these arguments. True when the tool was
    // started; *toolStatus then holds its exit status.
    bool Execute(const std::vector<std::string>& arguments, int* toolStatus = nullptr);

    // Closes the channel, which ends the broker, and reaps it.
    void Close();

    pid_t pid() const { return m_pid; }
    bool broken() const { return m_fd < 0; }

private:
    BrokerChannel(int fd, pid_t pid) : m_fd(fd), m_pid(pid) {}

    int m_fd;
    pid_t m_pid;
};
