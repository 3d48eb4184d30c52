// The program's end of the privileged broker: starts it once (through pkexec, or directly
// when the program already runs as root), hands it argument vectors and reads its answers.
// Every wait has a deadline: a broker that does not answer in time is ended, and the
// channel is then broken (the authorization starts a new broker at the next need).
// Plain C++ so the helper tests, sanitizer builds included, exercise it.
#pragma once

#include <chrono>
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
        Dismissed, // the user closed the password request
        Refused,   // pkexec did not authorize the broker
        Failed,    // no broker could be started (missing, not root's alone, no pkexec)
    };

    // What became of one request.
    struct Answer {
        enum class Kind {
            Exited,     // the tool ran; status is its exit status
            NotStarted, // the broker could not start the tool
            Refused,    // the broker refused the request (or it was not sent)
            TimedOut,   // the tool or the broker did not finish in time
            Lost,       // the broker went away
        };
        Kind kind = Kind::Lost;
        int status = -1;
    };

    static constexpr const char* kPkexec = "/usr/bin/pkexec";
    // The broker ends a tool run after 60 s; its answer may take a little longer.
    static constexpr std::chrono::seconds kAnswerDeadline{70};
    // A person types the password for pkexec; a broker started directly greets at once.
    static constexpr std::chrono::seconds kPkexecStartDeadline{300};
    static constexpr std::chrono::seconds kDirectStartDeadline{30};

    // Starts the broker at brokerPath and waits for its greeting; that is when pkexec asks
    // for the administrator password. Null when no broker came up; *result says why.
    // Whenever the broker would run as root (through pkexec, or directly by root), it must
    // be a file of root's in folders only root may change (trust::kRootOnly); otherwise it
    // is not started and the reason goes to standard error.
    static std::unique_ptr<BrokerChannel> start(const std::string& brokerPath, Launch launch,
                                                StartResult* result);

    ~BrokerChannel();
    BrokerChannel(const BrokerChannel&) = delete;
    BrokerChannel& operator=(const BrokerChannel&) = delete;

    // Has the broker run the schedule tool with these arguments and waits for its answer.
    Answer execute(const std::vector<std::string>& arguments);

    // Closes the channel, which ends the broker, and reaps it.
    void close();

    pid_t pid() const { return m_pid; }
    bool broken() const { return m_fd < 0; }

    // While set, every wait under way or to come gives up at once (the program is ending;
    // tests set it back). Any thread.
    static void setAbandoned(bool abandoned);
    // Tests: a shorter wait for answers (zero restores the standard one).
    static void setAnswerDeadlineForTesting(std::chrono::milliseconds deadline);

private:
    BrokerChannel(int fd, pid_t pid) : m_fd(fd), m_pid(pid) {}
    // Closes the channel of a broker that did not answer, ending it where we may.
    void endHungBroker();

    int m_fd;
    pid_t m_pid;
};
