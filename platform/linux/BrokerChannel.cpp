#include "platform/linux/BrokerChannel.h"

#include "posix/Trust.h"
#include "protocol/BrokerFrame.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::atomic<bool> g_abandoned{false};
std::atomic<long long> g_answerDeadlineMs{0}; // 0: kAnswerDeadline

using Clock = std::chrono::steady_clock;

enum class Wait { Ready, TimedOut, Abandoned, Failed };

// Waits until fd has something to read, in short slices so that AbandonAll is seen soon.
Wait waitReadable(int fd, Clock::time_point deadline) {
    using namespace std::chrono;
    for (;;) {
        if (g_abandoned.load()) {
            return Wait::Abandoned;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return Wait::TimedOut;
        }
        const auto slice = std::min(duration_cast<milliseconds>(deadline - now), milliseconds(100));
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(slice.count()) + 1);
        if (ready > 0) {
            return Wait::Ready; // data, the end of the stream, or an error: the read tells
        }
        if (ready < 0 && errno != EINTR) {
            return Wait::Failed;
        }
    }
}

// Waits a little for a child that is expected to end now; one that does not is left to a
// thread of its own, so that nothing here waits on it.
int reap(pid_t pid, std::chrono::milliseconds patience) {
    using namespace std::chrono;
    const auto deadline = Clock::now() + patience;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (Clock::now() >= deadline) {
            std::thread([pid] {
                int ignored = 0;
                while (waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
                }
            }).detach();
            return -1;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
}

} // namespace

void BrokerChannel::setAbandoned(bool abandoned) {
    g_abandoned.store(abandoned);
}

void BrokerChannel::setAnswerDeadlineForTesting(std::chrono::milliseconds deadline) {
    g_answerDeadlineMs.store(deadline.count());
}

std::unique_ptr<BrokerChannel> BrokerChannel::start(const std::string& brokerPath, Launch launch,
                                                    StartResult* result) {
    *result = StartResult::Failed;
    if (brokerPath.empty() || brokerPath[0] != '/') {
        return nullptr;
    }
    if (launch == Launch::Automatic) {
        launch = geteuid() == 0 ? Launch::Direct : Launch::Pkexec;
    }
    if (launch == Launch::Pkexec || geteuid() == 0) {
        const trust::Verdict verdict = trust::checkFile(brokerPath, trust::kRootOnly, true);
        if (!verdict.ok()) {
            std::fprintf(stderr, "resvman: not running %s as root (%s)\n", brokerPath.c_str(),
                         verdict.describe().c_str());
            return nullptr;
        }
    }
    // Close-on-exec, so that other programs this one starts (the companion) do not keep the
    // channel open and the broker always sees the end of it.
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        return nullptr;
    }
    // pkexec passes only descriptors 0-2 on, so the channel is the broker's stdin and stdout.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pair[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string program = launch == Launch::Pkexec ? kPkexec : brokerPath;
    std::vector<std::string> args;
    if (launch == Launch::Pkexec) {
        // No textual agent: the broker's stdin is the channel, not a terminal.
        args = {"pkexec", "--disable-internal-agent", brokerPath};
    } else {
        args = {brokerPath};
    }
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // pkexec gets the program's environment (it keeps only what is safe); a broker started
    // directly gets none, as it would from pkexec.
    std::string path = "PATH=/usr/bin:/bin";
    char* bare[] = {path.data(), nullptr};
    char** env = launch == Launch::Pkexec ? environ : bare;

    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), env);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pair[1]);
    if (spawned != 0) {
        ::close(pair[0]);
        return nullptr;
    }
    // A frame that stops half-way must not hold a read for ever either.
    timeval stall{5, 0};
    setsockopt(pair[0], SOL_SOCKET, SO_RCVTIMEO, &stall, sizeof stall);
    const auto deadline =
        Clock::now() + (launch == Launch::Pkexec ? kPkexecStartDeadline : kDirectStartDeadline);
    std::string hello;
    const Wait greeting = waitReadable(pair[0], deadline);
    if (greeting == Wait::Ready &&
        broker::readFrame(pair[0], &hello) == broker::FrameStatus::Frame &&
        hello == broker::kBrokerHello) {
        *result = StartResult::Started;
        return std::unique_ptr<BrokerChannel>(new BrokerChannel(pair[0], pid));
    }
    // No greeting: pkexec was refused, the broker would not start, or time ran out. Either
    // way it ends; one started directly is ours to stop.
    ::close(pair[0]);
    if (greeting != Wait::Ready && launch == Launch::Direct) {
        kill(pid, SIGKILL);
    }
    const int status = reap(pid, std::chrono::seconds(greeting == Wait::Ready ? 5 : 1));
    if (launch == Launch::Pkexec && status == 126) {
        *result = StartResult::Dismissed;
    } else if (launch == Launch::Pkexec && status == 127) {
        *result = StartResult::Refused;
    }
    return nullptr;
}

BrokerChannel::~BrokerChannel() {
    close();
}

BrokerChannel::Answer BrokerChannel::execute(const std::vector<std::string>& arguments) {
    Answer answer;
    if (m_fd < 0) {
        return answer; // Lost
    }
    // Nothing that large or empty is a request; it is not sent, and the channel stays.
    const std::string payload = broker::encodeArguments(arguments);
    if (payload.empty() || payload.size() > broker::kMaxFramePayload) {
        answer.kind = Answer::Kind::Refused;
        return answer;
    }
    if (!broker::writeFrame(m_fd, payload)) {
        close(); // the broker is gone
        return answer;
    }
    const long long testDeadline = g_answerDeadlineMs.load();
    const auto deadline =
        Clock::now() + (testDeadline > 0 ? std::chrono::milliseconds(testDeadline)
                                         : std::chrono::milliseconds(kAnswerDeadline));
    switch (waitReadable(m_fd, deadline)) {
    case Wait::Ready:
        break;
    case Wait::TimedOut:
        endHungBroker();
        answer.kind = Answer::Kind::TimedOut;
        return answer;
    case Wait::Abandoned:
    case Wait::Failed:
        // The answer would come too late to matter, and the stream is out of step now.
        endHungBroker();
        return answer;
    }
    std::string reply;
    if (broker::readFrame(m_fd, &reply) != broker::FrameStatus::Frame) {
        close();
        return answer;
    }
    const std::string_view text = reply;
    if (text.starts_with(broker::kReplyStarted)) {
        const std::string_view number = text.substr(broker::kReplyStarted.size());
        int status = -1;
        std::from_chars(number.data(), number.data() + number.size(), status);
        answer.kind = Answer::Kind::Exited;
        answer.status = status;
    } else if (text.starts_with(broker::kReplyFailed)) {
        answer.kind = Answer::Kind::NotStarted;
    } else if (text == broker::kReplyTimedOut) {
        answer.kind = Answer::Kind::TimedOut;
    } else {
        answer.kind = Answer::Kind::Refused;
    }
    return answer;
}

void BrokerChannel::endHungBroker() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_pid > 0) {
        // Allowed only for a broker started directly; one started through pkexec runs as
        // root and ends when it sees the channel closed, once its tool run has ended.
        kill(m_pid, SIGKILL);
        reap(m_pid, std::chrono::milliseconds(200));
        m_pid = -1;
    }
}

void BrokerChannel::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_pid > 0) {
        reap(m_pid, std::chrono::seconds(g_abandoned.load() ? 0 : 5));
        m_pid = -1;
    }
}
