// The broker started through pkexec for real. Needs root (where polkit lets pkexec through
// without a password) and a system bus; one is started for the test when there is none,
// and stopped again, with the polkitd it activated, by their process ids.
#include "platform/linux/BrokerChannel.h"
#include "platform/linux/PolkitBroker.h"
#include "tests/support/Sandbox.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kBusSocket = "/run/dbus/system_bus_socket";

std::string output(const char* command) {
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

bool busAnswers() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", kBusSocket);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

void stop(pid_t pid, const char* name) {
    if (pid <= 0 ||
        readFile("/proc/" + std::to_string(pid) + "/comm") != std::string(name) + "\n") {
        return;
    }
    kill(pid, SIGTERM);
    for (int i = 0;
         i < 100 && kill(pid, 0) == 0 &&
         readFile("/proc/" + std::to_string(pid) + "/stat").find(") Z") == std::string::npos;
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A system bus for the test's length: the one already running, or one started here.
class SystemBus {
public:
    SystemBus() {
        if (busAnswers()) {
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
        m_daemon = std::atoi(output("/usr/bin/dbus-daemon --system --fork --print-pid").c_str());
        for (int i = 0; i < 250 && m_daemon > 0 && !(ready = busAnswers()); ++i) {
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
            output("/usr/bin/dbus-send --system --print-reply --dest=org.freedesktop.DBus "
                   "/org/freedesktop/DBus org.freedesktop.DBus.GetConnectionUnixProcessID "
                   "string:org.freedesktop.PolicyKit1 2>/dev/null");
        const auto at = reply.find("uint32 ");
        if (at != std::string::npos) {
            stop(std::atoi(reply.c_str() + at + 7), "polkitd");
        }
        stop(m_daemon, "dbus-daemon");
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
    auto channel = BrokerChannel::start(sandbox.broker, BrokerChannel::Launch::Pkexec, &result);
    ASSERT_TRUE(channel) << "pkexec did not start the broker";
    EXPECT_EQ(result, BrokerChannel::StartResult::Started);
    const auto answer = channel->execute({"18264530", "wake", "18264597"});
    EXPECT_EQ(answer.kind, BrokerChannel::Answer::Kind::Exited);
    EXPECT_EQ(answer.status, 0);
    EXPECT_EQ(channel->execute({"/bin/sh", "-c", "id"}).kind, BrokerChannel::Answer::Kind::Refused);
    channel->close();

    const auto log = sandbox.logLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "env PATH=/usr/sbin:/usr/bin:/sbin:/bin PKEXEC_UID=0");
    EXPECT_NE(log[1].find("list-units"), std::string::npos);
}

TEST(Pkexec, PermissionGoesThroughPkexecWhenAsked) {
    if (geteuid() != 0 || access(BrokerChannel::kPkexec, X_OK) != 0) {
        GTEST_SKIP() << "needs root and pkexec";
    }
    SystemBus bus;
    if (!bus.ready) {
        GTEST_SKIP() << bus.why;
    }
    Sandbox sandbox;
    PolkitBroker::setLaunch(BrokerChannel::Launch::Pkexec);
    auto polkit = std::make_unique<PolkitBroker>();
    EXPECT_EQ(polkit->authorize(sandbox.tool, true), PolkitBroker::Status::Success);
    BrokerChannel::Answer answer;
    EXPECT_EQ(polkit->runTool(sandbox.tool, {"18264530", "shutdown", "18264597"}, answer),
              PolkitBroker::Status::Success);
    EXPECT_EQ(answer.kind, BrokerChannel::Answer::Kind::Exited);
    polkit.reset();
    PolkitBroker::setLaunch(BrokerChannel::Launch::Automatic);
    EXPECT_EQ(sandbox.commandLog().size(), 1u);
}
