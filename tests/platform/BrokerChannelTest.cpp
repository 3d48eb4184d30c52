// The program's end of the broker's channel: started, asked and ended for real.
#include "platform/linux/BrokerChannel.h"
#include "tests/support/Sandbox.h"

#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(BrokerChannel, StartsExecutesAndEndsTheBroker) {
    Sandbox sandbox;
    BrokerChannel::StartResult result;
    auto channel = BrokerChannel::start(sandbox.broker, BrokerChannel::Launch::Direct, &result);
    ASSERT_TRUE(channel);
    EXPECT_EQ(result, BrokerChannel::StartResult::Started);
    using Kind = BrokerChannel::Answer::Kind;
    const auto answer = channel->execute({"18264530", "shutdown", "18264597"});
    EXPECT_EQ(answer.kind, Kind::Exited);
    EXPECT_EQ(answer.status, 0);
    EXPECT_EQ(channel->execute({"18264530", "shutdown"}).kind, Kind::Refused);
    EXPECT_EQ(channel->execute({std::string(300, 'x')}).kind, Kind::Refused); // not sent
    EXPECT_FALSE(channel->broken());
    EXPECT_EQ(channel->execute({"18264530", "wake", "18264597"}).kind, Kind::Exited);
    const pid_t pid = channel->pid();
    channel->close();
    EXPECT_EQ(kill(pid, 0), -1); // reaped
    EXPECT_EQ(channel->execute({"18264530", "wake", "18264597"}).kind, Kind::Lost);
    EXPECT_EQ(sandbox.commandLog().size(), 2u);
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
            EXPECT_FALSE(BrokerChannel::start(sandbox.broker, launch, &result)) << what;
            EXPECT_EQ(result, BrokerChannel::StartResult::Failed) << what;
        }
        EXPECT_TRUE(sandbox.logLines().empty()) << what;
    }
}

TEST(BrokerChannel, NoBrokerNoChannel) {
    Sandbox sandbox;
    unlink(sandbox.tool.c_str()); // the broker will not start without its tool
    BrokerChannel::StartResult result;
    EXPECT_FALSE(BrokerChannel::start(sandbox.broker, BrokerChannel::Launch::Direct, &result));
    EXPECT_EQ(result, BrokerChannel::StartResult::Failed);
    EXPECT_FALSE(
        BrokerChannel::start(sandbox.root + "/none", BrokerChannel::Launch::Direct, &result));
    EXPECT_FALSE(BrokerChannel::start("relative/broker", BrokerChannel::Launch::Direct, &result));
}

TEST(BrokerChannel, AChannelIsNotInheritedByOtherChildren) {
    // Another program the application starts must not hold the broker's channel open.
    Sandbox sandbox;
    BrokerChannel::StartResult result;
    auto channel = BrokerChannel::start(sandbox.broker, BrokerChannel::Launch::Direct, &result);
    ASSERT_TRUE(channel);
    pid_t sleeper = -1;
    char sleep[] = "/usr/bin/sleep";
    char seconds[] = "30";
    char* argv[] = {sleep, seconds, nullptr};
    ASSERT_EQ(posix_spawn(&sleeper, sleep, nullptr, nullptr, argv, environ), 0);
    const pid_t pid = channel->pid();
    channel->close();
    EXPECT_EQ(kill(pid, 0), -1);
    kill(sleeper, SIGTERM);
    waitpid(sleeper, nullptr, 0);
}
