// The broker: its request checks, and the broker program over its socket.
#include "helper/BrokerSession.h"
#include "helper/ToolLauncher.h"
#include "protocol/BrokerFrame.h"
#include "tests/support/Sandbox.h"
#include "tests/support/SocketPair.h"

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

std::string payloadOf(const std::vector<std::string>& args) {
    return broker::encodeArguments(args);
}

class FakeLauncher : public IToolLauncher {
public:
    Outcome launch(const std::vector<std::string>& arguments) override {
        launched.push_back(arguments);
        return outcome;
    }
    Outcome outcome{true, 0, 0};
    std::vector<std::vector<std::string>> launched;
};

// Starts a broker on a socket pair, as the program does, with the given arguments and
// environment; the test keeps the other end.
pid_t spawnBroker(const std::string& broker, int channel, std::vector<std::string> args,
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

int exitStatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string future() {
    return std::to_string(time(nullptr) + 86400 - 978307200) + ".0000000000";
}

} // namespace

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
        EXPECT_EQ(session.handleRequest(payloadOf(args)), "started 0");
    }
    EXPECT_EQ(launcher.launched, accepted);

    const std::vector<std::string> refused = {
        payloadOf({"/bin/sh", "-c", "id"}),
        payloadOf({"73019482", "wake"}),
        payloadOf({"73019482", "wake", "1e9"}),
        payloadOf({"73019482", "wake", "736246500.0000000000", "x"}),
        payloadOf({"18264530", "wake", "18264597", "--help"}),
        payloadOf({"18264530", "reboot", "18264597"}),
        std::string("73019482\0wake\0"
                    "736246500.0000000000",
                    34), // last not terminated
        std::string("\0\0\0", 3),
        std::string(200, 'A'),
    };
    launcher.launched.clear();
    for (const auto& payload : refused) {
        EXPECT_EQ(session.handleRequest(payload), "refused") << testing::PrintToString(payload);
    }
    EXPECT_TRUE(launcher.launched.empty());
    EXPECT_NE(log.str().find("refused a request"), std::string::npos);
}

TEST(BrokerSession, ReportsTheToolsStatusOrWhyItDidNotStart) {
    FakeLauncher launcher;
    std::ostringstream log;
    BrokerSession session(launcher, log);
    launcher.outcome = {true, 3, 0};
    EXPECT_EQ(session.handleRequest(payloadOf({"18264530", "wake", "18264597"})), "started 3");
    launcher.outcome = {false, -1, ENOENT};
    EXPECT_EQ(session.handleRequest(payloadOf({"18264530", "wake", "18264597"})), "failed 2");
    launcher.outcome = {true, 137, 0, true};
    EXPECT_EQ(session.handleRequest(payloadOf({"18264530", "wake", "18264597"})), "timed-out");
}

TEST(ToolLauncher, AToolPastItsDeadlineIsEndedWithWhatItStarted) {
    const std::string folder = makeScratchFolder();
    const std::string tool = folder + "/schedule";
    writeFile(tool,
              "#!/bin/sh\necho $$ > " + folder + "/pid\n/usr/bin/sleep 30 &\n/usr/bin/sleep 30\n");
    chmod(tool.c_str(), 0755);
    const int fd = open(tool.c_str(), O_PATH); // a script needs its descriptor after the exec
    ASSERT_GE(fd, 0);
    ToolLauncher launcher(fd, tool, getuid());
    launcher.deadline = std::chrono::milliseconds(300);
    const auto began = std::chrono::steady_clock::now();
    const auto outcome = launcher.launch({"18264530", "wake", "18264597"});
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    EXPECT_TRUE(outcome.timedOut);
    const pid_t group = std::atoi(readFile(folder + "/pid").c_str());
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
        ASSERT_TRUE(broker::writeFrame(pair.fd[0], payloadOf({"18264530", "wake", "18264597"})));
        shutdown(pair.fd[0], SHUT_WR);
        EXPECT_EQ(session.serve(pair.fd[1], pair.fd[1]), BrokerSession::Exit::Done);
    }
    {
        SocketPair pair;
        pair.sendBytes(frameHeader(5000));
        ASSERT_TRUE(broker::writeFrame(pair.fd[0], payloadOf({"18264530", "wake", "18264597"})));
        EXPECT_EQ(session.serve(pair.fd[1], pair.fd[1]), BrokerSession::Exit::BadStream);
        std::string reply;
        ASSERT_EQ(broker::readFrame(pair.fd[0], &reply), broker::FrameStatus::Frame);
        EXPECT_EQ(reply, broker::kBrokerHello);
        ASSERT_EQ(broker::readFrame(pair.fd[0], &reply), broker::FrameStatus::Frame);
        EXPECT_EQ(reply, "refused");
    }
    EXPECT_EQ(launcher.launched.size(), 1u); // nothing after the bad frame was run
}

TEST(BrokerProcess, RunsTheToolBesideItWithACleanEnvironment) {
    Sandbox sandbox;
    SocketPair pair;
    const pid_t pid = spawnBroker(sandbox.broker, pair.fd[1], {},
                                  {"PATH=/tmp/evil", "LD_PRELOAD=/tmp/evil.so", "FOO=bar"});
    std::string frame;
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, broker::kBrokerHello);

    ASSERT_TRUE(broker::writeFrame(pair.fd[0], payloadOf({"73019482", "wake", future()})));
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "started 0");
    ASSERT_TRUE(broker::writeFrame(pair.fd[0], payloadOf({"73019482", "wake", "now"})));
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "refused");
    // The tool's own refusal comes back as its exit status.
    std::filesystem::remove_all(sandbox.root + "/run/systemd");
    ASSERT_TRUE(broker::writeFrame(pair.fd[0], payloadOf({"18264530", "wake", "18264597"})));
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "started 3");

    pair.closeWriter();
    EXPECT_EQ(exitStatus(pid), 0);
    const auto log = sandbox.logLines();
    ASSERT_EQ(log.size(), 4u); // env, list, systemd-run; env (the refused run)
    EXPECT_EQ(log[0],
              "env PATH=/usr/sbin:/usr/bin:/sbin:/bin PKEXEC_UID=" + std::to_string(getuid()));
    EXPECT_NE(log[2].find("/usr/bin/systemd-run"), std::string::npos);
    EXPECT_EQ(log[3], log[0]);
}

TEST(BrokerProcess, StopsAtBadFraming) {
    Sandbox sandbox;
    SocketPair pair;
    const pid_t pid = spawnBroker(sandbox.broker, pair.fd[1], {}, {});
    std::string frame;
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    pair.sendBytes(frameHeader(100000) + std::string(1000, 'x'));
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "refused");
    EXPECT_EQ(exitStatus(pid), static_cast<int>(BrokerSession::Exit::BadStream));
    EXPECT_TRUE(sandbox.logLines().empty());
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
        const pid_t pid = spawnBroker(sandbox.broker, pair.fd[1], c.args, {});
        close(pair.fd[1]);
        pair.fd[1] = -1;
        std::string frame;
        EXPECT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::End) << c.what;
        EXPECT_NE(exitStatus(pid), 0) << c.what;
    }
}

TEST(BrokerProcess, RefusesAStandardInputThatIsNoChannel) {
    Sandbox sandbox;
    const pid_t pid = spawnBroker(sandbox.broker, open("/dev/null", O_RDWR | O_CLOEXEC), {}, {});
    EXPECT_EQ(exitStatus(pid), 2);
}

// Whether this process may raise a hard resource limit (CAP_SYS_RESOURCE): some
// containers run root without it.
bool canRaiseHardLimits() {
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit low{1 << 20, 1 << 20};
        const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
        _exit(setrlimit(RLIMIT_FSIZE, &low) == 0 && setrlimit(RLIMIT_FSIZE, &none) == 0 ? 0 : 1);
    }
    return exitStatus(pid) == 0;
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
    if (!canRaiseHardLimits()) {
        EXPECT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::End);
        EXPECT_EQ(exitStatus(pid), 3);
        EXPECT_EQ(sandbox.alarm(), "");
        EXPECT_TRUE(sandbox.logLines().empty());
        return;
    }
    const std::string when = future();
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    ASSERT_TRUE(broker::writeFrame(pair.fd[0], payloadOf({"73019482", "wake", when})));
    ASSERT_EQ(broker::readFrame(pair.fd[0], &frame), broker::FrameStatus::Frame);
    EXPECT_EQ(frame, "started 0");
    pair.closeWriter();
    EXPECT_EQ(exitStatus(pid), 0);
    EXPECT_EQ(sandbox.alarm(), std::to_string(std::stoll(when) + 978307200) + "\n");
}
