// The desktop notification client against a stand-in notification service, and the resume
// watch against the stand-in logind, both on a private bus of the test's own.
#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/ResumeWatch.h"

#include "tests/support/EventLoopHelpers.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/StandInNotifications.h"

#include <QDBusMessage>
#include <gtest/gtest.h>

namespace {

class DesktopNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        service = QDBusConnection::connectToBus(bus.address(), QStringLiteral("notify-service"));
        ASSERT_TRUE(service.registerObject(
            QStringLiteral("/org/freedesktop/Notifications"), &standIn,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
        client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("notify-client"));
        ASSERT_TRUE(client.isConnected());
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("notify-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("notify-service"));
    }

    PrivateBus bus;
    QDBusConnection service{QString()};
    QDBusConnection client{QString()};
    StandInNotifications standIn;
};

TEST_F(DesktopNotifierTest, ShowsWithoutWaitingAndReportsTheChosenAction) {
    DesktopNotifier notifier(client, QStringLiteral("ResvMan"), QStringLiteral("resvman"));
    std::vector<std::string> chosen;
    DesktopNotification n;
    n.summary = "The computer shuts down in a minute";
    n.body = "なお録音中です: <img src=\"file:///etc/passwd\"> & <a href=\"x\">";
    n.actions = {{"cancel-shutdown", "Cancel shutdown"}};
    n.critical = true;
    n.onAction = [&chosen](std::string const& key) { chosen.push_back(key); };
    int const handle = notifier.notify(n);
    EXPECT_NE(handle, 0);
    EXPECT_TRUE(standIn.shown.isEmpty()); // asked for, not waited for
    ASSERT_TRUE(waitUntil([&] { return standIn.shown.size() == 1; }));

    auto const& got = standIn.shown.front();
    EXPECT_EQ(got.appName, QStringLiteral("ResvMan"));
    EXPECT_EQ(got.icon, QStringLiteral("resvman"));
    EXPECT_EQ(got.summary, QString::fromStdString(n.summary));
    // Plain text whatever the service makes of markup.
    EXPECT_EQ(got.body,
              QStringLiteral("なお録音中です: &lt;img src=&quot;file:///etc/passwd&quot;&gt; &amp; "
                             "&lt;a href=&quot;x&quot;&gt;"));
    EXPECT_EQ(got.actions, (QStringList{"cancel-shutdown", "Cancel shutdown"}));
    EXPECT_EQ(got.hints.value(QStringLiteral("urgency")).toInt(), 2);
    ASSERT_TRUE(waitUntil([&] { return notifier.shown() == 1; }));
    // Another program's notification clicked: not ours.
    standIn.Notify("other", 0, "", "theirs", "", {"x", "X"}, {}, -1);
    standIn.invoke(standIn.shown.back().id, QStringLiteral("x"));
    standIn.invoke(got.id, QStringLiteral("cancel-shutdown"));
    ASSERT_TRUE(waitUntil([&] { return !chosen.empty() && notifier.shown() == 0; }));
    pump(100);
    EXPECT_EQ(chosen, std::vector<std::string>{"cancel-shutdown"});
}

// A service that reads markup gets the body's text escaped; one that does not, as it is.
TEST_F(DesktopNotifierTest, BodyStaysPlainTextWhereTheServiceReadsMarkup) {
    for (bool markup : {true, false}) {
        standIn.shown.clear();
        standIn.capabilities = markup ? QStringList{QStringLiteral("body-markup")} : QStringList{};
        DesktopNotifier notifier(client, QStringLiteral("ResvMan"), QStringLiteral("resvman"));
        pump(200); // the capabilities' answer
        DesktopNotification n;
        n.summary = "Recording failed";
        n.body = "“Q&A <b>night</b>”";
        notifier.notify(n);
        ASSERT_TRUE(waitUntil([&] { return standIn.shown.size() == 1; }));
        EXPECT_EQ(standIn.shown.front().body,
                  markup ? QStringLiteral("“Q&amp;A &lt;b&gt;night&lt;/b&gt;”")
                         : QString::fromStdString(n.body));
    }
}

TEST_F(DesktopNotifierTest, CloseWithdrawsBeforeOrAfterTheServiceAnswered) {
    DesktopNotifier notifier(client);
    int clicks = 0;
    DesktopNotification n;
    n.summary = "early";
    n.onAction = [&clicks](std::string const&) { ++clicks; };
    notifier.close(notifier.notify(n)); // before the service has even seen it
    n.summary = "late";
    int const late = notifier.notify(n);
    ASSERT_TRUE(waitUntil([&] { return standIn.shown.size() == 2 && notifier.shown() == 1; }));
    notifier.close(late);
    notifier.close(late);  // twice: nothing more
    notifier.close(12345); // unknown: ignored
    ASSERT_TRUE(waitUntil([&] { return standIn.closedByCaller.size() == 2; }));
    EXPECT_EQ(standIn.closedByCaller, (QList<uint>{standIn.shown[0].id, standIn.shown[1].id}));
    standIn.invoke(standIn.shown[1].id, QStringLiteral("default"));
    pump(100);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(notifier.shown(), 0);
}

TEST_F(DesktopNotifierTest, WithoutAServiceNothingIsShownAndNothingIsKept) {
    ASSERT_TRUE(service.unregisterService(QStringLiteral("org.freedesktop.Notifications")));
    DesktopNotifier notifier(client);
    DesktopNotification n;
    n.summary = "nobody listens";
    EXPECT_NE(notifier.notify(n), 0);
    ASSERT_TRUE(waitUntil([&] { return notifier.shown() == 0; }));
    EXPECT_TRUE(standIn.shown.isEmpty());
}

TEST_F(DesktopNotifierTest, ResumeIsReportedOnlyWhenSleepEnds) {
    // The service connection stands in for logind here.
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.login1")));
    int resumed = 0;
    ResumeWatch watch([&resumed] { ++resumed; }, client);
    ASSERT_TRUE(watch.attached());
    pump(100); // the match rule reaches the bus
    for (bool sleeping : {true, false, true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        ASSERT_TRUE(service.send(signal));
    }
    ASSERT_TRUE(waitUntil([&] { return resumed == 2; }));
    pump(100);
    EXPECT_EQ(resumed, 2);

    ResumeWatch detached([] {}, QDBusConnection(QStringLiteral("no such bus")));
    EXPECT_FALSE(detached.attached());
}

} // namespace
