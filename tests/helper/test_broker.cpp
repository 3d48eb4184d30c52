// The broker: its framing, its request checks, and the broker program over its socket.
#include "Sandbox.h"
#include "helper/BrokerFrame.h"
#include "helper/BrokerSession.h"
#include "helper/ToolLauncher.h"
#include "platform/linux/BrokerChannel.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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
    void Send(const std::string& bytes) {
        ASSERT_EQ(send(fd[0], bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    void CloseWriter() {
        close(fd[0]);
        fd[0] = -1;
    }
    int fd[2] = {-1, -1};
};

std::string Header(std::uint32_t size) {
    return {static_cast<char>(size >> 24), static_cast<char>(size >> 16),
            static_cast<char>(size >> 8), static_cast<char>(size)};
}

std::string Payload(const std::vector<std::string>& args) {
    return broker::EncodeArguments(args);
}

class FakeLauncher : public IToolLauncher {
public:
    Outcome Launch(const std::vector<std::string>& arguments) override {
        launched.push_back(arguments);
        return outcome;
    }
    Outcome outcome{true, 0, 0};
    std::vector<std::vector<std::string>> launched;
};

// Starts a broker on a socket pair, as the program does, with the given arguments and
// environment; the test keeps the other end.
pid_t SpawnBroker(const std::string& broker, int channel, std::vector<std::string> args,
                  std::vector<std::string> env) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel, 0);
    posix_spawn_file_actions_adddup2(&actions, channel, 1);
    args.insert(args.begin(), broker);
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, broker.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Future() {
    return std::to_string(time(nullptr) + 86400 - 978307200) + ".0000000000";
}

} // namespace

TEST(BrokerFrame, FramesCrossTheStreamWhole) {
    SocketPair pair;
    ASSERT_TRUE(broker::WriteFrame(pair.fd[0], "hello"));
    ASSERT_TRUE(broker::WriteFrame(pair.fd[0], std::string(broker::kMaxFramePayload, 'x')));
    EXPECT_FALSE(broker::WriteFrame(pair.fd[0], ""));
    EXPECT_FALSE(broker::WriteFrame(pair.fd[0], std::string(broker::kMaxFramePayload + 1, 'x')));
    pair.CloseWriter();
    std::string payload;
    ASSERT_EQ(broker::ReadFrame(pair.fd[1], &payload), broker::FrameStatus::Frame);
    EXPECT_EQ(payload, "hello");
    ASSERT_EQ(broker::ReadFrame(pair.fd[1], &payload), broker::FrameStatus::Frame);
    EXPECT_EQ(payload.size(), broker::kMaxFramePayload);
    EXPECT_EQ(broker::ReadFrame(pair.fd[1], &payload), broker::FrameStatus::End);
}

TEST(BrokerFrame, BadFramingIsMalformed) {
    const std::vector<std::string> streams = {
        Header(0), // empty frame
        Header(broker::kMaxFramePayload + 1) + std::string(300, 'x'),
        Header(0xffffffff),     // absurd length
        std::string("\0\0", 2), // header cut short
        Header(10) + "abc",     // body cut short
    };
    for (const auto& bytes : streams) {
        SocketPair pair;
        pair.Send(bytes);
        pair.CloseWriter();
        std::string payload;
        EXPECT_EQ(broker::ReadFrame(pair.fd[1], &payload), broker::FrameStatus::Malformed)
            << testing::PrintToString(bytes);
    }
}

TEST(BrokerFrame, ArgumentsAreNulTerminatedStrings) {
    std::vector<std::string> args;
    EXPECT_TRUE(broker::DecodeArguments(Payload({"a", "", "c"}), 3, &args));
    EXPECT_EQ(args, (std::vector<std::string>{"a", "", "c"}));
    EXPECT_FALSE(broker::DecodeArguments("abc", 3, &args)); // no terminator
    EXPECT_FALSE(broker::DecodeArguments(std::string("a\0b", 3), 3, &args));
    EXPECT_FALSE(broker::DecodeArguments(Payload({"a", "b", "c", "d"}), 3, &args));
    EXPECT_FALSE(broker::DecodeArguments("", 3, &args));
}

TEST(BrokerSession, RunsTheToolOnlyWithTheFourShapes) {
    FakeLauncher launcher;
    std::ostringstream log;
    BrokerSession session(launcher, log);
    const std::vector<std::vector<std::string>> accepted = {
        {"73019482", "wake", "736246500.0000000000"},
        {"73019482", "shutdown", "-1.5000000000"},
        {"18264530", "wake", "18264597"},
        {"18264530", "shutdown", "18264597"}};
    for (const auto& args : accepted) {
        EXPECT_EQ(session.HandleRequest(Payload(args)), "started 0");
    }
    EXPECT_EQ(launcher.launched, accepted);

    const std::vector<std::string> refused = {
        Payload({"/bin/sh", "-c", "id"}),
        Payload({"73019482", "wake"}),
        Payload({"73019482", "wake", "1e9"}),
        Payload({"73019482", "wake", "736246500.0000000000", "x"}),
        Payload({"18264530", "wake", "18264597", "--help"}),
        Payload({"18264530", "reboot", "18264597"}),
        std::string("73019482\0wake\0"
                    "736246500.0000000000",
                    34), // last not terminated
        std::string("\0\0\0", 3),
        std::string(200, 'A'),
    };
    launcher.launched.clear();
    for (const auto& payload : refused) {
        EXPECT_EQ(session.HandleRequest(payload), "refused") << testing::PrintToString(payload);
    }
    EXPECT_TRUE(launcher.launched.empty());
    EXPECT_NE(log.str().find("refused a request"), std::string::npos);
}

TEST(BrokerSession, ReportsTheToolsStatusOrWhyItDidNotStart) {
    FakeLauncher launcher;
    std::ostringstream log;
    BrokerSession session(launcher, log);
    launcher.outcome = {true, 3, 0};
    EXPECT_EQ(session.HandleRequest(Payload({"18264530", "wake", "18264597"})), "started 3");
    launcher.outcome = {false, -1, ENOENT};
    EXPECT_EQ(session.HandleRequest(Payload({"18264530", "wake", "18264597"})), "failed 2");
    launcher.outcome = {true, 137, 0, true};
    EXPECT_EQ(session.HandleRequest(Payload({"18264530", "wake", "18264597"})), "timed-out");
}

TEST(ToolLauncher, AToolPastItsDeadlineIsEndedWithWhatItStarted) {
    const std::string folder = MakeScratchFolder();
    const std::string tool = folder + "/schedule";
    WriteFile(tool,
              "#!/bin/sh\necho $$ > " + folder + "/pid\n/usr/bin/sleep 30 &\n/usr/bin/sleep 30\n");
    chmod(tool.c_str(), 0755);
    const int fd = open(tool.c_str(), O_PATH); // a script needs its descriptor after the exec
    ASSERT_GE(fd, 0);
    ToolLauncher launcher(fd, tool, getuid());
    launcher.deadline = std::chrono::milliseconds(300);
    const auto began = std::chrono::steady_clock::now();
    const auto outcome = launcher.Launch({"18264530", "wake", "18264597"});
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    EXPECT_TRUE(outcome.timedOut);
    const pid_t group = std::atoi(ReadFile(folder + "/pid").c_str());
    ASSERT_GT(group, 0);
    // The sleep it left in the background is gone too (once its new parent has reaped it).
    const auto reaped = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (kill(-group, 0) == 0 && std::chrono::steady_clock::now() < reaped) {
        usleep(10000);
    }
    EXPECT_EQ(kill(-group, 0), -1);
    close(fd);
    std::filesystem::remove_all(folder);
}

TEST(BrokerSession, ServesUntilClosedAndStopsAtBadFraming) {
    FakeLauncher launcher;
    std::ostringstream log;
    BrokerSession session(launcher, log);
    {
        SocketPair pair;
        ASSERT_TRUE(broker::WriteFrame(pair.fd[0], Payload({"18264530", "wake", "18264597"})));
        shutdown(pair.fd[0], SHUT_WR);
        EXPECT_EQ(session.Serve(pair.fd[1], pair.fd[1]), BrokerSession::kExitDone);
    }
    {
        SocketPair pair;
        pair.Send(Header(5000));
        ASSERT_TRUE(broker::WriteFrame(pair.fd[0], Payload({"18264530", "wake", "18264597"})));
        EXPECT_EQ(session.Serve(pair.fd[1], pair.fd[1]), BrokerSession::kExitBadStream);
        std::string reply;
        ASSERT_EQ(broker::ReadFrame(pair.fd[0], &reply), broker::FrameStatus::Frame);
        EXPECT_EQ(reply, broker::kBrokerHello);
        ASSERT_EQ(broker::ReadFrame(pair.fd[0], &reply), broker::FrameStatus::Frame);
        EXPECT_EQ(reply, "refused");
    }
    EXPECT_EQ(launcher.launched.size(), 1u); // nothing after the bad frame was run
}

TEST(BrokerProcess, RunsTheToolBesideItWithACleanEnvironment) {
    Sandbox sandbox;
    SocketPair pair;
    const pid_t pid = SpawnBroker(sandbox.broker, pair.fd[1], {},
                                  {"PATH=/tmp/evil", "LD_PRELOAD=/tmp/evil.so", "FOO=bar"});
    std::string frame;
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, broker::kBrokerHello);

    ASSERT_TRUE(broker::WriteFrame(pair.fd[0], Payload({"73019482", "wake", Future()})));
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "started 0");
    ASSERT_TRUE(broker::WriteFrame(pair.fd[0], Payload({"73019482", "wake", "now"})));
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "refused");
    // The tool's own refusal comes back as its exit status.
    std::filesystem::remove_all(sandbox.root + "/run/systemd");
    ASSERT_TRUE(broker::WriteFrame(pair.fd[0], Payload({"18264530", "wake", "18264597"})));
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "started 3");

    pair.CloseWriter();
    EXPECT_EQ(ExitStatus(pid), 0);
    const auto log = sandbox.Log();
    ASSERT_EQ(log.size(), 4u); // env, list, systemd-run; env (the refused run)
    EXPECT_EQ(log[0],
              "env PATH=/usr/sbin:/usr/bin:/sbin:/bin PKEXEC_UID=" + std::to_string(getuid()));
    EXPECT_NE(log[2].find("/usr/bin/systemd-run"), std::string::npos);
    EXPECT_EQ(log[3], log[0]);
}

TEST(BrokerProcess, StopsAtBadFraming) {
    Sandbox sandbox;
    SocketPair pair;
    const pid_t pid = SpawnBroker(sandbox.broker, pair.fd[1], {}, {});
    std::string frame;
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    pair.Send(Header(100000) + std::string(1000, 'x'));
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "refused");
    EXPECT_EQ(ExitStatus(pid), BrokerSession::kExitBadStream);
    EXPECT_TRUE(sandbox.Log().empty());
}

TEST(BrokerProcess, RefusesToStartWithoutATrustworthyTool) {
    struct Case {
        const char* what;
        std::function<void(Sandbox&)> spoil;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {"tool writable by others", [](Sandbox& s) { chmod(s.tool.c_str(), 0777); }, {}},
        {"tool group-writable", [](Sandbox& s) { chmod(s.tool.c_str(), 0775); }, {}},
        {"folder writable by others", [](Sandbox& s) { chmod(s.bundle.c_str(), 0777); }, {}},
        {"tool missing", [](Sandbox& s) { unlink(s.tool.c_str()); }, {}},
        {"tool is a symlink",
         [](Sandbox& s) {
             unlink(s.tool.c_str());
             symlink("/usr/bin/id", s.tool.c_str());
         },
         {}},
        {"arguments given", [](Sandbox&) {}, {"/usr/bin/id"}},
        // Run as root, the broker takes only root's tool, even one of its own owner's.
        {"tool and broker of another user's",
         [](Sandbox& s) {
             if (geteuid() == 0) {
                 chown(s.tool.c_str(), 50001, 50001);
                 chown(s.broker.c_str(), 50001, 50001);
                 chmod(s.broker.c_str(), 0755);
             } else {
                 unlink(s.tool.c_str());
             }
         },
         {}},
    };
    for (const auto& c : cases) {
        Sandbox sandbox;
        c.spoil(sandbox);
        SocketPair pair;
        const pid_t pid = SpawnBroker(sandbox.broker, pair.fd[1], c.args, {});
        close(pair.fd[1]);
        pair.fd[1] = -1;
        std::string frame;
        EXPECT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::End) << c.what;
        EXPECT_NE(ExitStatus(pid), 0) << c.what;
    }
}

TEST(BrokerProcess, RefusesAStandardInputThatIsNoChannel) {
    Sandbox sandbox;
    const pid_t pid = SpawnBroker(sandbox.broker, open("/dev/null", O_RDWR | O_CLOEXEC), {}, {});
    EXPECT_EQ(ExitStatus(pid), 2);
}

TEST(BrokerChannel, StartsExecutesAndEndsTheBroker) {
    Sandbox sandbox;
    BrokerChannel::StartResult result;
    auto channel = BrokerChannel::Start(sandbox.broker, BrokerChannel::Launch::Direct, &result);
    ASSERT_TRUE(channel);
    EXPECT_EQ(result, BrokerChannel::StartResult::Started);
    using Kind = BrokerChannel::Answer::Kind;
    const auto answer = channel->Execute({"18264530", "shutdown", "18264597"});
    EXPECT_EQ(answer.kind, Kind::Exited);
    EXPECT_EQ(answer.status, 0);
    EXPECT_EQ(channel->Execute({"18264530", "shutdown"}).kind, Kind::Refused);
    EXPECT_EQ(channel->Execute({std::string(300, 'x')}).kind, Kind::Refused); // not sent
    EXPECT_FALSE(channel->broken());
    EXPECT_EQ(channel->Execute({"18264530", "wake", "18264597"}).kind, Kind::Exited);
    const pid_t pid = channel->pid();
    channel->Close();
    EXPECT_EQ(kill(pid, 0), -1); // reaped
    EXPECT_EQ(channel->Execute({"18264530", "wake", "18264597"}).kind, Kind::Lost);
    EXPECT_EQ(sandbox.Commands().size(), 2u);
}

TEST(BrokerChannel, NeverRunsAsRootWhatOthersCouldChange) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "the check is for brokers that run as root";
    }
    const std::vector<std::pair<const char*, std::function<void(Sandbox&)>>> spoils = {
        {"folder everyone may write", [](Sandbox& s) { chmod(s.bundle.c_str(), 0777); }},
        {"folder of another user's", [](Sandbox& s) { chown(s.bundle.c_str(), 50001, 50001); }},
        {"broker of another user's", [](Sandbox& s) { chown(s.broker.c_str(), 50001, 50001); }},
        {"broker its group may write", [](Sandbox& s) { chmod(s.broker.c_str(), 0775); }},
    };
    for (const auto& [what, spoil] : spoils) {
        Sandbox sandbox;
        spoil(sandbox);
        for (const auto launch : {BrokerChannel::Launch::Direct, BrokerChannel::Launch::Pkexec}) {
            BrokerChannel::StartResult result;
            EXPECT_FALSE(BrokerChannel::Start(sandbox.broker, launch, &result)) << what;
            EXPECT_EQ(result, BrokerChannel::StartResult::Failed) << what;
        }
        EXPECT_TRUE(sandbox.Log().empty()) << what;
    }
}

// Whether this process may raise a hard resource limit (CAP_SYS_RESOURCE): some
// containers run root without it.
bool CanRaiseHardLimits() {
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit low{1 << 20, 1 << 20};
        const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
        _exit(setrlimit(RLIMIT_FSIZE, &low) == 0 && setrlimit(RLIMIT_FSIZE, &none) == 0 ? 0 : 1);
    }
    return ExitStatus(pid) == 0;
}

TEST(BrokerProcess, InheritedResourceLimitsCannotStopTheToolHalfway) {
    // A file-size limit of a few bytes would kill the tool between its first and its second
    // write of the RTC alarm (and the sandbox tool at its first log line). The broker and
    // the tool lift it, or, where they may not, refuse to start and change nothing.
    Sandbox sandbox;
    SocketPair pair;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pair.fd[1], 0);
        dup2(pair.fd[1], 1);
        const rlimit tiny{4, 4};
        setrlimit(RLIMIT_FSIZE, &tiny);
        char* argv[] = {sandbox.broker.data(), nullptr};
        char* envp[] = {nullptr};
        execve(sandbox.broker.c_str(), argv, envp);
        _exit(127);
    }
    close(pair.fd[1]);
    pair.fd[1] = -1;
    std::string frame;
    if (!CanRaiseHardLimits()) {
        EXPECT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::End);
        EXPECT_EQ(ExitStatus(pid), 3);
        EXPECT_EQ(sandbox.Alarm(), "");
        EXPECT_TRUE(sandbox.Log().empty());
        return;
    }
    const std::string when = Future();
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    ASSERT_TRUE(broker::WriteFrame(pair.fd[0], Payload({"73019482", "wake", when})));
    ASSERT_EQ(broker::ReadFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "started 0");
    pair.CloseWriter();
    EXPECT_EQ(ExitStatus(pid), 0);
    EXPECT_EQ(sandbox.Alarm(), std::to_string(std::stoll(when) + 978307200) + "\n");
}

TEST(BrokerChannel, NoBrokerNoChannel) {
    Sandbox sandbox;
    unlink(sandbox.tool.c_str()); // the broker will not start without its tool
    BrokerChannel::StartResult result;
    EXPECT_FALSE(BrokerChannel::Start(sandbox.broker, BrokerChannel::Launch::Direct, &result));
    EXPECT_EQ(result, BrokerChannel::StartResult::Failed);
    EXPECT_FALSE(
        BrokerChannel::Start(sandbox.root + "/none", BrokerChannel::Launch::Direct, &result));
    EXPECT_FALSE(BrokerChannel::Start("relative/broker", BrokerChannel::Launch::Direct, &result));
}

TEST(BrokerChannel, AChannelIsNotInheritedByOtherChildren) {
    // Another program the application starts must not hold the broker's channel open.
    Sandbox sandbox;
    BrokerChannel::StartResult result;
    auto channel = BrokerChannel::Start(sandbox.broker, BrokerChannel::Launch::Direct, &result);
    ASSERT_TRUE(channel);
    pid_t sleeper = -1;
    char sleep[] = "/usr/bin/sleep";
    char seconds[] = "30";
    char* argv[] = {sleep, seconds, nullptr};
    ASSERT_EQ(posix_spawn(&sleeper, sleep, nullptr, nullptr, argv, environ), 0);
    const pid_t pid = channel->pid();
    channel->Close();
    EXPECT_EQ(kill(pid, 0), -1);
    kill(sleeper, SIGTERM);
    waitpid(sleeper, nullptr, 0);
}
