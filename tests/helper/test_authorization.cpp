// The program's side: the administrator authorization and the tool client, run against a
// real broker and the sandbox tool.
#include "Sandbox.h"
#include "platform/linux/AdminAuthorization.h"
#include "platform/linux/ScheduleToolClient.h"
#include "platform/linux/ScheduleToolPath.h"

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

AuthorizationRights ExecuteRight(AuthorizationItem* item, const std::string& tool) {
    *item = {kAuthorizationRightExecute, tool.size(), const_cast<char*>(tool.c_str()), 0};
    return {1, item};
}

class AuthorizationTest : public testing::Test {
protected:
    void SetUp() override { AuthorizationSetBrokerLaunch(BrokerChannel::Launch::Direct); }
    void TearDown() override {
        if (authorization != nullptr) {
            AuthorizationFree(authorization, kAuthorizationFlagDefaults);
        }
    }

    ScheduleToolClient Client(const std::string& tool) {
        path = tool;
        return ScheduleToolClient(authorization, path.c_str(), static_cast<int>(path.size()));
    }

    // A stand-in broker that counts its starts and then refuses, as a dismissed password
    // request does.
    std::string RefusingBroker(const std::string& folder) {
        WriteFile(folder + "/schedule", "#!/bin/sh\nexit 0\n");
        WriteFile(folder + "/resvman-schedule-broker",
                  "#!/bin/sh\necho started >> " + folder + "/starts\nexit 126\n");
        chmod((folder + "/schedule").c_str(), 0755);
        chmod((folder + "/resvman-schedule-broker").c_str(), 0755);
        return folder + "/schedule";
    }

    // A stand-in broker that greets and then never answers its first request; the ones
    // started after it answer "started <status>".
    std::string HangingOnceBroker(const std::string& folder, int status) {
        WriteFile(folder + "/schedule", "#!/bin/sh\nexit 0\n");
        WriteFile(folder + "/resvman-schedule-broker",
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

    int Starts(const std::string& folder) {
        const std::string text = ReadFile(folder + "/starts");
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    AuthorizationRef authorization = nullptr;
    std::string path;
    Sandbox sandbox;
};

std::string CalendarIn(const std::string& command) {
    const auto at = command.find("--on-calendar=");
    return at == std::string::npos ? "" : command.substr(at + 14, 23);
}

} // namespace

TEST_F(AuthorizationTest, RightIsObtainedOnceAndReused) {
    ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, 0, &authorization), errAuthorizationSuccess);
    char* args[] = {const_cast<char*>("18264530"), const_cast<char*>("wake"),
                    const_cast<char*>("18264597"), nullptr};
    // No right yet: nothing runs.
    EXPECT_EQ(
        AuthorizationExecuteWithPrivileges(authorization, sandbox.tool.c_str(), 0, args, nullptr),
        errAuthorizationDenied);
    AuthorizationItem item;
    auto rights = ExecuteRight(&item, sandbox.tool);
    ASSERT_EQ(AuthorizationCopyRights(authorization, &rights, nullptr,
                                      kAuthorizationFlagInteractionAllowed, nullptr),
              errAuthorizationSuccess);
    ASSERT_EQ(AuthorizationCopyRights(authorization, &rights, nullptr,
                                      kAuthorizationFlagInteractionAllowed, nullptr),
              errAuthorizationSuccess);
    FILE* pipe = reinterpret_cast<FILE*>(1);
    EXPECT_EQ(
        AuthorizationExecuteWithPrivileges(authorization, sandbox.tool.c_str(), 0, args, &pipe),
        errAuthorizationSuccess);
    EXPECT_EQ(pipe, nullptr);
    EXPECT_EQ(
        AuthorizationExecuteWithPrivileges(authorization, sandbox.tool.c_str(), 0, args, nullptr),
        errAuthorizationSuccess);
    // One broker served both runs: each run is one tool start (one env line).
    const auto log = sandbox.Log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.starts_with("env"); }),
              2);
    // Another tool than the one authorized is not run.
    EXPECT_EQ(AuthorizationExecuteWithPrivileges(authorization, "/usr/bin/id", 0, args, nullptr),
              errAuthorizationToolExecuteFailure);
    EXPECT_EQ(sandbox.Log().size(), log.size());
}

TEST_F(AuthorizationTest, MalformedRightsAndReferencesAreRefused) {
    AuthorizationItem item;
    auto rights = ExecuteRight(&item, sandbox.tool);
    EXPECT_EQ(AuthorizationCreate(nullptr, nullptr, 0, nullptr), errAuthorizationInvalidPointer);
    EXPECT_EQ(AuthorizationCopyRights(nullptr, &rights, nullptr, 1, nullptr),
              errAuthorizationInvalidRef);
    ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, 0, &authorization), errAuthorizationSuccess);
    const std::string relative = "bundle/schedule";
    for (AuthorizationItem bad : {
             AuthorizationItem{"system.privilege.other", item.valueLength, item.value, 0},
             AuthorizationItem{kAuthorizationRightExecute, 0, item.value, 0},
             AuthorizationItem{kAuthorizationRightExecute, item.valueLength, nullptr, 0},
             AuthorizationItem{kAuthorizationRightExecute, relative.size(),
                               const_cast<char*>(relative.c_str()), 0},
         }) {
        AuthorizationRights badRights{1, &bad};
        EXPECT_EQ(AuthorizationCopyRights(authorization, &badRights, nullptr, 1, nullptr),
                  errAuthorizationInvalidSet);
    }
    AuthorizationRights none{0, nullptr};
    EXPECT_EQ(AuthorizationCopyRights(authorization, &none, nullptr, 1, nullptr),
              errAuthorizationInvalidSet);
    EXPECT_EQ(AuthorizationFree(nullptr, 0), errAuthorizationInvalidRef);
    EXPECT_TRUE(sandbox.Log().empty());
}

TEST_F(AuthorizationTest, OperationsRunTheToolWithTheirVectors) {
    auto client = Client(sandbox.tool);
    const double wake = std::floor(time(nullptr) / 60.0) * 60 + 86400;
    EXPECT_TRUE(client.cancelScheduleWake(1)); // authorizes first: m_Authorization was null
    ASSERT_NE(authorization, nullptr);
    EXPECT_TRUE(client.SettingWakeTime(wake));
    EXPECT_TRUE(client.ForceShutDownTime(wake + 3600));
    EXPECT_TRUE(client.cancelScheduleWake(2));

    const auto commands = sandbox.Commands();
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
    EXPECT_EQ(sandbox.Alarm(), std::to_string(std::int64_t(wake)) + "\n");
    EXPECT_EQ(CalendarIn(commands[2]).size(), 23u);
}

TEST_F(AuthorizationTest, UnknownKindAuthorizesButRunsNothing) {
    auto client = Client(sandbox.tool);
    EXPECT_FALSE(client.cancelScheduleWake(3));
    EXPECT_NE(authorization, nullptr); // the authorization is obtained before the kind is looked at
    EXPECT_FALSE(client.cancelScheduleWake(0));
    EXPECT_TRUE(sandbox.Log().empty());
}

TEST_F(AuthorizationTest, AnUnwritableInstantAsksForNothing) {
    auto client = Client(sandbox.tool);
    EXPECT_FALSE(client.SettingWakeTime(std::nan("")));
    EXPECT_FALSE(client.ForceShutDownTime(INFINITY));
    EXPECT_EQ(authorization, nullptr);
}

TEST_F(AuthorizationTest, ARefusedRightIsKeptAndNotAskedAgain) {
    const std::string folder = MakeScratchFolder();
    auto client = Client(RefusingBroker(folder));
    EXPECT_FALSE(client.SettingWakeTime(k2001 + 1e9));
    EXPECT_NE(authorization, nullptr); // created, then the right was refused
    EXPECT_FALSE(client.cancelScheduleWake(1));
    EXPECT_FALSE(client.ForceShutDownTime(k2001 + 1e9));
    EXPECT_EQ(Starts(folder), 1);
    std::filesystem::remove_all(folder);
}

TEST_F(AuthorizationTest, WhyARunFailedIsTold) {
    Sandbox noSystemd(false);
    auto client = Client(noSystemd.tool);
    EXPECT_FALSE(client.cancelScheduleWake(1));
    EXPECT_EQ(client.failure(), PrivilegedFailure::NoSystemd); // the tool's exit status counts
    ScheduleToolClient none(authorization, "", 0);
    EXPECT_FALSE(none.cancelScheduleWake(1));
    EXPECT_EQ(none.failure(), PrivilegedFailure::Unavailable);
    EXPECT_FALSE(client.SettingWakeTime(std::nan("")));
    EXPECT_EQ(client.failure(), PrivilegedFailure::ToolFailed);
}

TEST_F(AuthorizationTest, AHungBrokerIsEndedAndANewOneServesTheNextRun) {
    const std::string folder = MakeScratchFolder();
    auto client = Client(HangingOnceBroker(folder, 5));
    BrokerChannel::SetAnswerDeadlineForTesting(std::chrono::milliseconds(300));
    EXPECT_FALSE(client.cancelScheduleWake(1));
    EXPECT_EQ(client.failure(), PrivilegedFailure::TimedOut);
    // The next run starts a broker of its own; this one says the tool found no wake alarm.
    EXPECT_FALSE(client.SettingWakeTime(k2001 + 1e9));
    EXPECT_EQ(client.failure(), PrivilegedFailure::NotWakeable);
    EXPECT_EQ(Starts(folder), 2);
    BrokerChannel::SetAnswerDeadlineForTesting(std::chrono::milliseconds(0));

    // The program ends while a run waits: it gives up at once, and no broker is started.
    auto const hung = HangingOnceBroker(MakeScratchFolder(), 0);
    AuthorizationRef second = nullptr;
    ScheduleToolClient waiting(second, hung.c_str(), static_cast<int>(hung.size()));
    std::thread ending([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        AuthorizationSetRunsAbandoned(true);
    });
    auto const began = std::chrono::steady_clock::now();
    EXPECT_FALSE(waiting.cancelScheduleWake(1));
    ending.join();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(30));
    EXPECT_FALSE(waiting.cancelScheduleWake(1));
    AuthorizationSetRunsAbandoned(false);
    AuthorizationFree(second, kAuthorizationFlagDefaults);
    EXPECT_EQ(Starts(hung.substr(0, hung.rfind('/'))), 1);
    std::filesystem::remove_all(folder);
}

TEST_F(AuthorizationTest, GetAuthorizationKeepsAnExistingReference) {
    auto client = Client(sandbox.tool);
    ASSERT_TRUE(client.GetAuthorization(&authorization));
    const AuthorizationRef first = authorization;
    EXPECT_TRUE(client.GetAuthorization(&authorization));
    EXPECT_EQ(authorization, first);
    EXPECT_FALSE(client.GetAuthorization(nullptr));
}

TEST_F(AuthorizationTest, NoToolPathMeansEveryRunAnswersNo) {
    ScheduleToolClient client(authorization, "", 0);
    EXPECT_FALSE(client.GetAuthorization(&authorization));
    EXPECT_FALSE(client.SettingWakeTime(k2001 + 1e9));
    EXPECT_FALSE(client.cancelScheduleWake(1));
    ScheduleToolClient nullPath(authorization, nullptr, 12);
    EXPECT_FALSE(nullPath.cancelScheduleWake(2));
}

TEST_F(AuthorizationTest, FreeEndsTheBroker) {
    auto client = Client(sandbox.tool);
    ASSERT_TRUE(client.GetAuthorization(&authorization));
    // The broker is this process's child: find it through /proc.
    pid_t broker = -1;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string stat = ReadFile(entry.path().string() + "/stat");
        const auto close = stat.rfind(')');
        if (stat.find("(resvman-schedul") != std::string::npos && close != std::string::npos &&
            std::atoi(stat.c_str() + close + 4) == getpid()) {
            broker = std::atoi(entry.path().filename().c_str());
        }
    }
    ASSERT_GT(broker, 0);
    EXPECT_EQ(AuthorizationFree(authorization, kAuthorizationFlagDefaults),
              errAuthorizationSuccess);
    authorization = nullptr;
    EXPECT_EQ(kill(broker, 0), -1);
}

TEST(ScheduleToolPath, OnlyAnInstallationOfRootsAloneIsUsed) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to make root's and others' installations";
    }
    Sandbox first;
    Sandbox second;
    const std::vector<std::string> folders = {first.bundle, second.bundle, "/nonexistent"};
    EXPECT_EQ(FindScheduleTool(folders).tool, first.tool);
    unlink(first.broker.c_str()); // a tool counts only with its broker
    HelperSearch search = FindScheduleTool(folders);
    EXPECT_EQ(search.tool, second.tool);
    ASSERT_EQ(search.refused.size(), 1u);
    EXPECT_EQ(search.refused[0].problem, trust::Problem::Missing);

    // The user's own copy, or one in a folder the user may write, is never taken.
    chown(second.tool.c_str(), 50001, 50001);
    search = FindScheduleTool(folders);
    EXPECT_EQ(search.tool, "");
    ASSERT_EQ(search.refused.size(), 2u);
    EXPECT_EQ(search.refused[1].problem, trust::Problem::OwnedByOther);
    chown(second.tool.c_str(), 0, 0);
    chown(second.bundle.c_str(), 50001, 50001);
    EXPECT_EQ(FindScheduleTool(folders).refused.at(1).problem, trust::Problem::OwnedByOther);
    chown(second.bundle.c_str(), 0, 0);
    chmod(second.bundle.c_str(), 0775);
    EXPECT_EQ(FindScheduleTool(folders).refused.at(1).problem, trust::Problem::WritableByOther);
    EXPECT_TRUE(FindScheduleTool({"/nonexistent"}).refused.empty());
}
