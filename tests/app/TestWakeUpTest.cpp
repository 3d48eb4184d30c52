// The test wake-up against a stand-in logind on a private bus: the wake-up is planned two
// minutes ahead, suspend is asked, and the resume (on time, late, without the alarm's event,
// by hand) or a refused suspend each come out as the right verdict.
#include "platform/linux/TestWakeUp.h"
#include "engine/WakeCheck.h"

#include "tests/support/EventLoopHelpers.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakePrivilegedOps.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/RtcFolder.h"
#include "tests/support/StandInLogind.h"

#include <gtest/gtest.h>

namespace {

constexpr double kNow = 1714500000.0;

class TestWakeUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        service = QDBusConnection::connectToBus(bus.address(), QStringLiteral("logind-service"));
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                           QDBusConnection::ExportAllSlots |
                                               QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.login1")));
        client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("logind-client"));
        ASSERT_TRUE(client.isConnected());
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("logind-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("logind-service"));
    }

    PrivateBus bus;
    QDBusConnection service{QString()};
    QDBusConnection client{QString()};
    StandInLogind logind;
};

TEST_F(TestWakeUpTest, EachEndingGetsItsVerdict) {
    struct Case {
        char const* name;
        bool refuse;
        double resumeAfterPlan; // seconds after the planned instant
        std::uint64_t eventsAfter;
        TestWakeResult::Kind kind;
        TestWakeOutcome outcome;
    };
    using Kind = TestWakeResult::Kind;
    Case const cases[] = {
        {"on time by the alarm", false, 4, 4, Kind::Slept, TestWakeOutcome::OnTime},
        {"late", false, 600, 4, Kind::Slept, TestWakeOutcome::Late},
        {"on time without the alarm's event", false, 3, 3, Kind::Slept, TestWakeOutcome::NoEvent},
        {"by hand", false, 14 * 60, 3, Kind::Slept, TestWakeOutcome::ByHand},
        {"suspend refused", true, 0, 3, Kind::SuspendFailed, TestWakeOutcome::OnTime},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        RtcFolder rtc;
        rtc.addRtc(static_cast<std::int64_t>(kNow));
        rtc.setWakeEvents(3);
        FakeClock clock(kNow);
        FakePrivilegedOps privileged;
        logind.refuseSuspend = c.refuse;
        int const suspendsBefore = logind.suspends;
        TestWakeUp test(clock, privileged, client, rtc.sysfs());
        double held = 0.0;
        test.setBeforePlanning([&held](double instant) { held = instant; });
        std::optional<TestWakeResult> result;
        bool asleep = false;
        QObject::connect(&test, &TestWakeUp::asleep, [&asleep] { asleep = true; });
        QObject::connect(&test, &TestWakeUp::finished,
                         [&result](TestWakeResult const& r) { result = r; });
        test.start();
        if (c.refuse) {
            ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
            EXPECT_EQ(result->kind, c.kind);
            EXPECT_NE(result->error.find("already"), std::string::npos) << result->error;
            EXPECT_FALSE(WakeCheck::testWakeEntry(*result, kNow)) << "nothing was tested";
            continue;
        }
        ASSERT_TRUE(waitUntil([&] { return logind.suspends == suspendsBefore + 1; }));
        double const planned = kNow + TestWakeUp::kLeadSeconds;
        EXPECT_EQ(held, planned) << "the planner keeps it before it is set";
        EXPECT_EQ(privileged.calls(),
                  std::vector<std::string>{FakePrivilegedOps::wakeCall(planned)});
        pump(50);
        // A resume without the sleep's start is not this test's.
        emit logind.PrepareForSleep(false);
        pump(50);
        EXPECT_FALSE(result);
        emit logind.PrepareForSleep(true);
        ASSERT_TRUE(waitUntil([&] { return asleep; }));
        rtc.setWakeEvents(c.eventsAfter);
        clock.advanceTo(planned + c.resumeAfterPlan);
        emit logind.PrepareForSleep(false);
        ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
        EXPECT_EQ(result->kind, c.kind);
        EXPECT_FALSE(test.running());
        std::optional<JournalEntry> const entry = WakeCheck::testWakeEntry(*result, kNow + 3600);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->test, c.outcome);
        EXPECT_EQ(entry->planned, planned);
        EXPECT_EQ(entry->at, planned + c.resumeAfterPlan);
    }
}

} // namespace
