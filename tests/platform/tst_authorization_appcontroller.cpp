// The application controller's wake-up, shutdown and cancel operations reach the schedule
// tool through the broker, say why one failed, and termination ends the broker.
#include "Sandbox.h"
#include "app/AppController.h"
#include "platform/linux/AdminAuthorization.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(AppControllerAuthorization, OperationsReachTheToolAndTerminationEndsTheBroker) {
    AuthorizationSetBrokerLaunch(BrokerChannel::Launch::Direct);
    Sandbox sandbox;
    AppController app;
    app._pszExePath = strdup(sandbox.tool.c_str());
    app._unExePathLength = static_cast<int32_t>(sandbox.tool.size());
    const double wake = std::floor(std::time(nullptr) / 60.0) * 60 + 86400;
    const auto seconds = [](double t) { return std::to_string(static_cast<long long>(t)); };

    EXPECT_TRUE(app.cancelScheduleWake(1));
    ASSERT_NE(app.m_Authorization, nullptr);
    EXPECT_TRUE(app.SettingWakeTime(wake));
    EXPECT_TRUE(app.ForceShutDownTime(wake + 35));
    EXPECT_EQ(app.lastFailure(), PrivilegedFailure::None);
    EXPECT_FALSE(app.cancelScheduleWake(3));
    EXPECT_EQ(app.lastFailure(), PrivilegedFailure::ToolFailed);

    const auto commands = sandbox.Commands();
    ASSERT_EQ(commands.size(), 6u); // a shutdown asks whether logind answers first
    EXPECT_NE(commands[2].find("--unit=resvman-wake-u" + std::to_string(getuid()) + "-" +
                               seconds(wake) + "-0 "),
              std::string::npos);
    EXPECT_NE(commands[5].find("--unit=resvman-shutdown-u" + std::to_string(getuid()) + "-" +
                               seconds(wake + 35) + "-0 "),
              std::string::npos);
    EXPECT_EQ(sandbox.Alarm(), seconds(wake) + "\n");

    app.applicationWillTerminate();
    EXPECT_EQ(app.m_Authorization, nullptr);
    EXPECT_EQ(app._pszExePath, nullptr);
    // The program is ending: no broker is started again.
    app._pszExePath = strdup(sandbox.tool.c_str());
    app._unExePathLength = static_cast<int32_t>(sandbox.tool.size());
    EXPECT_FALSE(app.cancelScheduleWake(2));
    EXPECT_EQ(sandbox.Commands().size(), 6u);
    AuthorizationSetRunsAbandoned(false);
}
