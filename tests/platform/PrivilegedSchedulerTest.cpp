// The program's side of the root helper: the polkit broker and the privileged scheduler,
// run against a real broker and the sandbox tool; and the search for the installed helper.
#include "platform/linux/PrivilegedScheduler.h"
#include "platform/linux/HelperSearch.h"
#include "platform/linux/PolkitBroker.h"
#include "tests/support/Sandbox.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr double k2001 = 978307200.0;

class PrivilegedSchedulerTest : public testing::Test {
protected:
    void SetUp() override { PolkitBroker::setLaunch(BrokerChannel::Launch::Direct); }
    void TearDown() override { PolkitBroker::setLaunch(BrokerChannel::Launch::Automatic); }

    // A stand-in broker that counts its starts and then refuses, as a dismissed password
    // request does.
    std::string refusingBroker(const std::string& folder) {
        writeFile(folder + "/schedule", "#!/bin/sh\nexit 0\n");
        writeFile(folder + "/resvman-schedule-broker",
                  "#!/bin/sh\necho started >> " + folder + "/starts\nexit 126\n");
        chmod((folder + "/schedule").c_str(), 0755);
        chmod((folder + "/resvman-schedule-broker").c_str(), 0755);
        return folder + "/schedule";
    }

    // A stand-in broker that greets and then never answers its first request; the ones
    // started after it answer "started <status>".
    std::string hangingOnceBroker(const std::string& folder, int status) {
        writeFile(folder + "/schedule", "#!/bin/sh\nexit 0\n");
        writeFile(folder + "/resvman-schedule-broker",
                  "#!/usr/bin/python3\n"
                  "import os, struct, sys, time\n"
                  "def frame(text):\n"
                  "    os.write(1, struct.pack('>I', len(text)) + text.encode())\n"
                  "with open('" +
                      folder +
                      "/starts', 'a') as f: f.write('started\\n')\n"
                      "first = not os.path.exists('" +
                      folder +
                      "/hung')\n"
                      "open('" +
                      folder +
                      "/hung', 'a').close()\n"
                      "frame('resvman-schedule-broker 1')\n"
                      "while True:\n"
                      "    size = os.read(0, 4)\n"
                      "    if len(size) < 4: sys.exit(0)\n"
                      "    os.read(0, struct.unpack('>I', size)[0])\n"
                      "    if first: time.sleep(600)\n"
                      "    frame('started " +
                      std::to_string(status) + "')\n");
        chmod((folder + "/schedule").c_str(), 0755);
        chmod((folder + "/resvman-schedule-broker").c_str(), 0755);
        return folder + "/schedule";
    }

    int startCount(const std::string& folder) {
        const std::string text = readFile(folder + "/starts");
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    Sandbox sandbox;
};

std::string calendarIn(const std::string& command) {
    const auto at = command.find("--on-calendar=");
    return at == std::string::npos ? "" : command.substr(at + 14, 23);
}

} // namespace

TEST_F(PrivilegedSchedulerTest, PermissionIsObtainedOnceAndReused) {
    PolkitBroker polkit;
    std::vector<std::string> const args{"18264530", "wake", "18264597"};
    BrokerChannel::Answer answer;
    // No permission yet: nothing runs.
    EXPECT_EQ(polkit.runTool(sandbox.tool, args, answer), PolkitBroker::Status::Denied);
    ASSERT_EQ(polkit.authorize(sandbox.tool, true), PolkitBroker::Status::Success);
    ASSERT_EQ(polkit.authorize(sandbox.tool, true), PolkitBroker::Status::Success);
    EXPECT_EQ(polkit.runTool(sandbox.tool, args, answer), PolkitBroker::Status::Success);
    EXPECT_EQ(answer.kind, BrokerChannel::Answer::Kind::Exited);
    EXPECT_EQ(polkit.runTool(sandbox.tool, args, answer), PolkitBroker::Status::Success);
    // One broker served both runs: each run is one tool start (one env line).
    const auto log = sandbox.logLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.starts_with("env"); }),
              2);
    // Another tool than the one permitted is not run.
    EXPECT_EQ(polkit.runTool("/usr/bin/id", args, answer), PolkitBroker::Status::ToolNotRunnable);
    EXPECT_EQ(polkit.authorize("/usr/bin/id", true), PolkitBroker::Status::Denied);
    EXPECT_EQ(sandbox.logLines().size(), log.size());
}

TEST_F(PrivilegedSchedulerTest, OnlyAnAbsoluteToolPathIsAskedFor) {
    PolkitBroker polkit;
    EXPECT_EQ(polkit.authorize("bundle/schedule", true), PolkitBroker::Status::InvalidTool);
    EXPECT_EQ(polkit.authorize("", true), PolkitBroker::Status::InvalidTool);
    EXPECT_EQ(polkit.authorize(std::string("/a\0b", 4), true), PolkitBroker::Status::InvalidTool);
    EXPECT_FALSE(polkit.authorized());
    EXPECT_TRUE(sandbox.logLines().empty());
}

TEST_F(PrivilegedSchedulerTest, OperationsRunTheToolWithTheirVectors) {
    PrivilegedScheduler scheduler(sandbox.tool);
    const double wake = std::floor(time(nullptr) / 60.0) * 60 + 86400;
    EXPECT_TRUE(scheduler.cancel(1)); // asks for the permission first: none was asked yet
    ASSERT_TRUE(scheduler.asked());
    EXPECT_TRUE(scheduler.setWakeTime(wake));
    EXPECT_TRUE(scheduler.setShutdownTime(wake + 3600));
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::None);
    EXPECT_TRUE(scheduler.cancel(2));

    const auto commands = sandbox.commandLog();
    ASSERT_EQ(commands.size(), 8u); // every run lists its kind first; a shutdown asks logind
    EXPECT_NE(commands[0].find("list-units"), std::string::npos);
    EXPECT_NE(commands[2].find("--unit=resvman-wake-u" + std::to_string(getuid()) + "-" +
                               std::to_string(std::int64_t(wake))),
              std::string::npos);
    EXPECT_NE(commands[5].find("--unit=resvman-shutdown-u" + std::to_string(getuid()) + "-" +
                               std::to_string(std::int64_t(wake + 3600))),
              std::string::npos);
    EXPECT_EQ(commands[7], "/usr/bin/systemctl stop --no-ask-password -- resvman-shutdown-u" +
                               std::to_string(getuid()) + "-" +
                               std::to_string(std::int64_t(wake + 3600)) + "-0.timer");
    EXPECT_EQ(sandbox.alarm(), std::to_string(std::int64_t(wake)) + "\n");
    EXPECT_EQ(calendarIn(commands[2]).size(), 23u);
}

TEST_F(PrivilegedSchedulerTest, UnknownKindAuthorizesButRunsNothing) {
    PrivilegedScheduler scheduler(sandbox.tool);
    EXPECT_FALSE(scheduler.cancel(3));
    EXPECT_TRUE(scheduler.asked()); // the permission is asked for before the kind is looked at
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::ToolFailed);
    EXPECT_FALSE(scheduler.cancel(0));
    EXPECT_TRUE(sandbox.logLines().empty());
}

TEST_F(PrivilegedSchedulerTest, AnUnwritableInstantAsksForNothing) {
    PrivilegedScheduler scheduler(sandbox.tool);
    EXPECT_FALSE(scheduler.setWakeTime(std::nan("")));
    EXPECT_FALSE(scheduler.setShutdownTime(INFINITY));
    EXPECT_FALSE(scheduler.asked());
}

TEST_F(PrivilegedSchedulerTest, ARefusedPermissionIsKeptAndNotAskedAgain) {
    const std::string folder = makeScratchFolder();
    PrivilegedScheduler scheduler(refusingBroker(folder));
    EXPECT_FALSE(scheduler.setWakeTime(k2001 + 1e9));
    EXPECT_TRUE(scheduler.asked()); // asked, then refused
    EXPECT_FALSE(scheduler.cancel(1));
    EXPECT_FALSE(scheduler.setShutdownTime(k2001 + 1e9));
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::NotAuthorized);
    EXPECT_EQ(startCount(folder), 1);
    std::filesystem::remove_all(folder);
}

TEST_F(PrivilegedSchedulerTest, WhyARunFailedIsTold) {
    Sandbox noSystemd(false);
    PrivilegedScheduler scheduler(noSystemd.tool);
    EXPECT_FALSE(scheduler.cancel(1));
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::NoSystemd); // the tool's exit status
    PrivilegedScheduler none;
    EXPECT_FALSE(none.cancel(1));
    EXPECT_EQ(none.lastFailure(), PrivilegedFailure::Unavailable);
    EXPECT_FALSE(none.authorize());
    EXPECT_FALSE(none.setWakeTime(k2001 + 1e9));
    EXPECT_FALSE(scheduler.setWakeTime(std::nan("")));
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::ToolFailed);
}

TEST_F(PrivilegedSchedulerTest, AHungBrokerIsEndedAndANewOneServesTheNextRun) {
    const std::string folder = makeScratchFolder();
    PrivilegedScheduler scheduler(hangingOnceBroker(folder, 5));
    BrokerChannel::setAnswerDeadlineForTesting(std::chrono::milliseconds(300));
    EXPECT_FALSE(scheduler.cancel(1));
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::TimedOut);
    // The next run starts a broker of its own; this one says the tool found no wake alarm.
    EXPECT_FALSE(scheduler.setWakeTime(k2001 + 1e9));
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::NotWakeable);
    EXPECT_EQ(startCount(folder), 2);
    BrokerChannel::setAnswerDeadlineForTesting(std::chrono::milliseconds(0));

    // The program ends while a run waits: it gives up at once, and no broker is started.
    auto const hung = hangingOnceBroker(makeScratchFolder(), 0);
    PrivilegedScheduler waiting(hung);
    std::thread ending([&waiting] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        waiting.release();
    });
    auto const began = std::chrono::steady_clock::now();
    EXPECT_FALSE(waiting.cancel(1));
    ending.join();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(30));
    EXPECT_FALSE(waiting.cancel(1));
    PolkitBroker::setRunsAbandoned(false);
    EXPECT_EQ(startCount(hung.substr(0, hung.rfind('/'))), 1);
    std::filesystem::remove_all(folder);
}

TEST_F(PrivilegedSchedulerTest, AnotherToolDropsThePermission) {
    PrivilegedScheduler scheduler(sandbox.tool);
    ASSERT_TRUE(scheduler.authorize());
    EXPECT_TRUE(scheduler.authorize()); // asked again, not replaced
    scheduler.setTool(sandbox.tool);
    EXPECT_TRUE(scheduler.asked());
    scheduler.setTool("");
    EXPECT_FALSE(scheduler.asked());
    EXPECT_FALSE(scheduler.cancel(1));
    EXPECT_EQ(scheduler.lastFailure(), PrivilegedFailure::Unavailable);
}

TEST_F(PrivilegedSchedulerTest, ReleaseEndsTheBrokerAndStartsNoOther) {
    PrivilegedScheduler scheduler(sandbox.tool);
    ASSERT_TRUE(scheduler.authorize());
    // The broker is this process's child: find it through /proc.
    pid_t broker = -1;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string stat = readFile(entry.path().string() + "/stat");
        const auto close = stat.rfind(')');
        if (stat.find("(resvman-schedul") != std::string::npos && close != std::string::npos &&
            std::atoi(stat.c_str() + close + 4) == getpid()) {
            broker = std::atoi(entry.path().filename().c_str());
        }
    }
    ASSERT_GT(broker, 0);
    scheduler.release();
    // The program does not wait for it: the broker ends on its own, and is reaped, shortly.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (kill(broker, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(kill(broker, 0), -1);
    // The program is ending: no broker is started again.
    EXPECT_FALSE(scheduler.cancel(2));
    EXPECT_TRUE(sandbox.commandLog().empty());
    PolkitBroker::setRunsAbandoned(false);
}

TEST(HelperSearch, OnlyAnInstallationOfRootsAloneIsUsed) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to make root's and others' installations";
    }
    Sandbox first;
    Sandbox second;
    const std::vector<std::string> folders = {first.bundle, second.bundle, "/nonexistent"};
    EXPECT_EQ(HelperSearch::inFolders(folders).tool, first.tool);
    unlink(first.broker.c_str()); // a tool counts only with its broker
    HelperSearch search = HelperSearch::inFolders(folders);
    EXPECT_EQ(search.tool, second.tool);
    ASSERT_EQ(search.refused.size(), 1u);
    EXPECT_EQ(search.refused[0].problem, trust::Problem::Missing);

    // The user's own copy, or one in a folder the user may write, is never taken.
    chown(second.tool.c_str(), 50001, 50001);
    search = HelperSearch::inFolders(folders);
    EXPECT_EQ(search.tool, "");
    ASSERT_EQ(search.refused.size(), 2u);
    EXPECT_EQ(search.refused[1].problem, trust::Problem::OwnedByOther);
    chown(second.tool.c_str(), 0, 0);
    chown(second.bundle.c_str(), 50001, 50001);
    EXPECT_EQ(HelperSearch::inFolders(folders).refused.at(1).problem, trust::Problem::OwnedByOther);
    chown(second.bundle.c_str(), 0, 0);
    chmod(second.bundle.c_str(), 0775);
    EXPECT_EQ(HelperSearch::inFolders(folders).refused.at(1).problem,
              trust::Problem::WritableByOther);
    EXPECT_TRUE(HelperSearch::inFolders({"/nonexistent"}).refused.empty());
}
