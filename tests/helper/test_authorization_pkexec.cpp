// The broker started through pkexec for real. Needs root (where polkit lets pkexec through
// without a password) and a system bus; one is started for the test when there is none,
// and stopped again, with the polkitd it activated, by their process ids.
#include "Sandbox.h"
#include "platform/linux/AdminAuthorization.h"
#include "platform/linux/BrokerChannel.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kBusSocket = "/run/dbus/system_bus_socket";

std::string Output(const char* command) {
    std::string out;
    if (FILE* pipe = popen(command, "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
            out += buffer;
        }
        pclose(pipe);
    }
    return out;
}

bool BusAnswers() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", kBusSocket);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

void Stop(pid_t pid, const char* name) {
    if (pid <= 0 ||
        ReadFile("/proc/" + std::to_string(pid) + "/comm") != std::string(name) + "\n") {
        return;
    }
    kill(pid, SIGTERM);
    for (int i = 0;
         i < 100 && kill(pid, 0) == 0 &&
         ReadFile("/proc/" + std::to_string(pid) + "/stat").find(") Z") == std::string::npos;
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A system bus for the test's length: the one already running, or one started here.
class SystemBus {
public:
    SystemBus() {
        if (BusAnswers()) {
            ready = true;
            return;
        }
        if (access("/usr/bin/dbus-daemon", X_OK) != 0) {
            why = "no dbus-daemon";
            return;
        }
        // Where no bus ever ran, its folder may be missing too.
        mkdir("/run/dbus", 0755);
        // Left over by a bus that was killed; dbus-daemon would refuse to start over them.
        unlink(kBusSocket);
        unlink("/run/dbus/pid");
        m_daemon = std::atoi(Output("/usr/bin/dbus-daemon --system --fork --print-pid").c_str());
        for (int i = 0; i < 250 && m_daemon > 0 && !(ready = BusAnswers()); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ready) {
            why = "the system bus did not start";
        }
    }
    ~SystemBus() {
        if (m_daemon <= 0) {
            return;
        }
        const std::string reply =
            Output("/usr/bin/dbus-send --system --print-reply --dest=org.freedesktop.DBus "
                   "/org/freedesktop/DBus org.freedesktop.DBus.GetConnectionUnixProcessID "
                   "string:org.freedesktop.PolicyKit1 2>/dev/null");
        const auto at = reply.find("uint32 ");
        if (at != std::string::npos) {
            Stop(std::atoi(reply.c_str() + at + 7), "polkitd");
        }
        Stop(m_daemon, "dbus-daemon");
        unlink(kBusSocket);
        unlink("/run/dbus/pid");
    }

    bool ready = false;
    std::string why;

private:
    pid_t m_daemon = -1;
};

} // namespace

TEST(Pkexec, StartsTheBrokerAndRunsTheTool) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "pkexec without a password needs root";
    }
    if (access(BrokerChannel::kPkexec, X_OK) != 0) {
        GTEST_SKIP() << "pkexec is not installed";
    }
    SystemBus bus;
    if (!bus.ready) {
        GTEST_SKIP() << bus.why;
    }
    Sandbox sandbox;
    BrokerChannel::StartResult result;
    auto channel = BrokerChannel::Start(sandbox.broker, BrokerChannel::Launch::Pkexec, &result);
    ASSERT_TRUE(channel) << "pkexec did not start the broker";
    EXPECT_EQ(result, BrokerChannel::StartResult::Started);
    const auto answer = channel->Execute({"18264530", "wake", "18264597"});
    EXPECT_EQ(answer.kind, BrokerChannel::Answer::Kind::Exited);
    EXPECT_EQ(answer.status, 0);
    EXPECT_EQ(channel->Execute({"/bin/sh", "-c", "id"}).kind, BrokerChannel::Answer::Kind::Refused);
    channel->Close();

    const auto log = sandbox.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "env PATH=/usr/sbin:/usr/bin:/sbin:/bin PKEXEC_UID=0");
    EXPECT_NE(log[1].find("list-units"), std::string::npos);
}

TEST(Pkexec, AuthorizationGoesThroughPkexecWhenAsked) {
    if (geteuid() != 0 || access(BrokerChannel::kPkexec, X_OK) != 0) {
        GTEST_SKIP() << "needs root and pkexec";
    }
    SystemBus bus;
    if (!bus.ready) {
        GTEST_SKIP() << bus.why;
    }
    Sandbox sandbox;
    AuthorizationSetBrokerLaunch(BrokerChannel::Launch::Pkexec);
    AuthorizationRef authorization = nullptr;
    ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, 0, &authorization), errAuthorizationSuccess);
    AuthorizationItem item{kAuthorizationRightExecute, sandbox.tool.size(),
                           const_cast<char*>(sandbox.tool.c_str()), 0};
    AuthorizationRights rights{1, &item};
    EXPECT_EQ(AuthorizationCopyRights(
                  authorization, &rights, nullptr,
                  kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights, nullptr),
              errAuthorizationSuccess);
    char* args[] = {const_cast<char*>("18264530"), const_cast<char*>("shutdown"),
                    const_cast<char*>("18264597"), nullptr};
    EXPECT_EQ(
        AuthorizationExecuteWithPrivileges(authorization, sandbox.tool.c_str(), 0, args, nullptr),
        errAuthorizationSuccess);
    EXPECT_EQ(AuthorizationFree(authorization, 0), errAuthorizationSuccess);
    EXPECT_EQ(sandbox.Commands().size(), 1u);
}
