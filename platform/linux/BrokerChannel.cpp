#include "platform/linux/BrokerChannel.h"

#include "helper/BrokerFrame.h"
#include "platform/linux/Trust.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Waits for a child that is expected to end soon; gives up after a while rather than hang
// the program on a broker that is still busy.
int Reap(pid_t pid) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(5);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (steady_clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
}

} // namespace

std::unique_ptr<BrokerChannel> BrokerChannel::Start(const std::string& brokerPath, Launch launch,
                                                    StartResult* result) {
    *result = StartResult::Failed;
    if (brokerPath.empty() || brokerPath[0] != '/') {
        return nullptr;
    }
    if (launch == Launch::Automatic) {
        launch = geteuid() == 0 ? Launch::Direct : Launch::Pkexec;
    }
    if (launch == Launch::Pkexec || geteuid() == 0) {
        const trust::Verdict verdict = trust::CheckFile(brokerPath, trust::kRootOnly, true);
        if (!verdict.ok()) {
            std::fprintf(stderr, "resvman: not running %s as root (%s)\n", brokerPath.c_str(),
                         verdict.Describe().c_str());
            *result = StartResult::Refused;
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
    close(pair[1]);
    if (spawned != 0) {
        close(pair[0]);
        return nullptr;
    }
    std::string hello;
    if (broker::ReadFrame(pair[0], &hello) == broker::FrameStatus::Frame &&
        hello == broker::kBrokerHello) {
        *result = StartResult::Started;
        return std::unique_ptr<BrokerChannel>(new BrokerChannel(pair[0], pid));
    }
    // No greeting: pkexec was refused, or the broker would not start. Either way it ends.
    close(pair[0]);
    const int status = Reap(pid);
    if (launch == Launch::Pkexec && status == 126) {
        *result = StartResult::Dismissed;
    }
    return nullptr;
}

BrokerChannel::~BrokerChannel() {
    Close();
}

bool BrokerChannel::Execute(const std::vector<std::string>& arguments, int* toolStatus) {
    if (m_fd < 0) {
        return false;
    }
    // Nothing that large or empty is a request; it is not sent, and the channel stays.
    const std::string payload = broker::EncodeArguments(arguments);
    if (payload.empty() || payload.size() > broker::kMaxFramePayload) {
        return false;
    }
    std::string reply;
    if (!broker::WriteFrame(m_fd, payload)) {
        Close(); // the broker is gone
        return false;
    }
    if (broker::ReadFrame(m_fd, &reply) != broker::FrameStatus::Frame) {
        Close();
        return false;
    }
    const std::string_view text = reply;
    if (!text.starts_with(broker::kReplyStarted)) {
        return false;
    }
    const std::string_view number = text.substr(broker::kReplyStarted.size());
    int status = -1;
    std::from_chars(number.data(), number.data() + number.size(), status);
    if (toolStatus != nullptr) {
        *toolStatus = status;
    }
    return true;
}

void BrokerChannel::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (m_pid > 0) {
        Reap(m_pid);
        m_pid = -1;
    }
}
