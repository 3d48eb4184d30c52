#include "app/SleepVeto.h"
#include "platform/linux/SleepWatch.h"
#include "tests/support/FakeSettings.h"

#include "TestPaths.h"
#include "tests/support/EventLoopHelpers.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/StandInLogind.h"
#include "tests/support/StandInScreenSaver.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

constexpr double kNow = 1800000000.0;

// One private "system" bus for the whole program, with a stand-in logind and screen saver
// on it. The program's system bus connection is pointed at it through the environment
// before anything opens it.
class SleepVetoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus = new PrivateBus;
        ASSERT_FALSE(bus->address().isEmpty()) << "dbus-daemon did not start";
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus->address().toUtf8());

        QDBusConnection services = QDBusConnection::connectToBus(bus->address(), "services");
        ASSERT_TRUE(services.isConnected());
        logind = new StandInLogind;
        screenSaver = new StandInScreenSaver;
        ASSERT_TRUE(services.registerObject(QStringLiteral("/org/freedesktop/login1"), logind,
                                            QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(services.registerService(QStringLiteral("org.freedesktop.login1")));
        QDBusConnection saver = QDBusConnection::connectToBus(bus->address(), "saver");
        ASSERT_TRUE(saver.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                         screenSaver, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(saver.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    }
    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus(QStringLiteral("services"));
        QDBusConnection::disconnectFromBus(QStringLiteral("saver"));
        delete logind;
        delete screenSaver;
        delete bus;
    }

    void SetUp() override {
        logind->calls.clear();
        screenSaver->calls.clear();
        // Locks of the previous test, dropped as it ended, are seen going here.
        ASSERT_TRUE(waitUntil([] { return logind->held == 0 && screenSaver->active.isEmpty(); }))
            << "a lock of an earlier test is still held";
    }

    std::unique_ptr<SleepVeto> makeVeto(char const* sessionName = "session") {
        QDBusConnection session = QDBusConnection::connectToBus(bus->address(), sessionName);
        return std::make_unique<SleepVeto>(
            settings,
            [this] {
                ++nextStartQueries;
                return nextStart;
            },
            QDBusConnection::systemBus(), session, [this] { return now; });
    }
    // Registers the veto, lets it look at the rule and waits until it is attached.
    static bool attach(SleepVeto& veto) {
        QObject context;
        std::optional<bool> outcome;
        QObject::connect(&veto, &SleepVeto::attached, &context,
                         [&outcome](bool attached) { outcome = attached; });
        veto.attach();
        veto.start();
        return waitUntil([&] { return outcome.has_value(); }) && *outcome;
    }
    bool settle(SleepVeto& veto, bool held) {
        return waitUntil([&] {
            return veto.holdsLogindInhibitor() == held && (logind->held > 0) == held &&
                   veto.holdsScreenSaverInhibitor() == held &&
                   screenSaver->active.isEmpty() == !held;
        });
    }

    static inline PrivateBus* bus = nullptr;
    static inline StandInLogind* logind = nullptr;
    static inline StandInScreenSaver* screenSaver = nullptr;
    FakeSettings settings;
    double now = kNow;
    std::optional<double> nextStart;
    int nextStartQueries = 0;
};

TEST_F(SleepVetoTest, SleepNotAllowedHoldsOneIdleBlockInhibitorOfEachKind) {
    auto veto = makeVeto();
    ASSERT_TRUE(attach(*veto));
    EXPECT_TRUE(veto->vetoing());
    ASSERT_TRUE(settle(*veto, true));

    for (int i = 0; i < 5; ++i) {
        veto->evaluate();
    }
    pump(100);
    ASSERT_EQ(logind->calls.size(), 1) << "one lock, however often the rule is asked";
    EXPECT_EQ(logind->calls[0],
              (QStringList{QStringLiteral("idle"), QCoreApplication::applicationName(),
                           QStringLiteral("A recording is due"), QStringLiteral("block")}));
    ASSERT_EQ(screenSaver->calls.size(), 1);
    EXPECT_EQ(screenSaver->calls[0].at(1), QStringLiteral("A recording is due"));
    EXPECT_EQ(nextStartQueries, 0) << "the list is not asked when sleep is off";

    veto.reset(); // going away releases too
    EXPECT_TRUE(waitUntil([&] { return logind->held == 0 && screenSaver->active.isEmpty(); }));
}

TEST_F(SleepVetoTest, InhibitorsGoAtOnceWhenTheRulePermits) {
    auto veto = makeVeto();
    ASSERT_TRUE(attach(*veto));
    ASSERT_TRUE(settle(*veto, true));
    int const droppedBefore = logind->dropped;

    settings.setInteger(kAllowIdleSleepKey, 1); // sleep allowed, wake-ups not used
    veto->evaluate();
    EXPECT_FALSE(veto->vetoing());
    ASSERT_TRUE(settle(*veto, false));
    EXPECT_EQ(logind->dropped, droppedBefore + 1);
    EXPECT_GE(screenSaver->unInhibits, 1);

    veto->evaluate();
    pump(100);
    EXPECT_EQ(logind->calls.size(), 1);
}

TEST_F(SleepVetoTest, ALockThatArrivesAfterThePermissionIsDroppedAtOnce) {
    auto veto = makeVeto();
    ASSERT_TRUE(attach(*veto)); // asks for both locks; the answers are still on the way
    settings.setInteger(kAllowIdleSleepKey, 1);
    veto->evaluate();
    int const droppedBefore = logind->dropped;
    ASSERT_TRUE(
        waitUntil([&] { return logind->calls.size() == 1 && logind->dropped > droppedBefore; }));
    ASSERT_TRUE(settle(*veto, false));
    EXPECT_EQ(screenSaver->calls.size(), 1);
}

TEST_F(SleepVetoTest, HeldOnlyWithinTheLeadBeforeTheNextReservation) {
    settings.setInteger(kAllowIdleSleepKey, 1);
    settings.setInteger(kWakeBeforeKey, 1);
    auto veto = makeVeto();
    ASSERT_TRUE(attach(*veto));
    EXPECT_FALSE(veto->vetoing()) << "no reservation";

    nextStart = kNow + 6 * 60;
    veto->evaluate();
    EXPECT_FALSE(veto->vetoing());
    nextStart = kNow + 5 * 60; // exactly at the lead: still permitted
    veto->evaluate();
    EXPECT_FALSE(veto->vetoing());
    nextStart = kNow + 4 * 60;
    veto->evaluate();
    EXPECT_TRUE(veto->vetoing());
    ASSERT_TRUE(settle(*veto, true));

    // The reservation was handed over; the next one is far away.
    nextStart = kNow + 3600;
    veto->evaluate();
    ASSERT_TRUE(settle(*veto, false));

    settings.setInteger(kWakeLeadKey, 9);
    nextStart = kNow + 8 * 60;
    veto->evaluate();
    EXPECT_TRUE(veto->vetoing());
    ASSERT_TRUE(settle(*veto, true));
    veto.reset();
}

// Registering waits for no answer from the bus, so the window shows at once; the rule is
// first looked at once the reservations are loaded, and that first answer already counts a
// reservation within the lead.
TEST_F(SleepVetoTest, RegisteringWaitsForNothingAndTheRuleWaitsForTheList) {
    settings.setInteger(kAllowIdleSleepKey, 1);
    settings.setInteger(kWakeBeforeKey, 1);
    nextStart = kNow + 60; // within the lead
    auto veto = makeVeto();
    veto->attach();
    EXPECT_FALSE(veto->isAttached()) << "registering waited for the bus";
    ASSERT_TRUE(waitUntil([&] { return veto->isAttached(); }));
    pump(100);
    EXPECT_EQ(nextStartQueries, 0) << "asked before the list was loaded";
    EXPECT_FALSE(veto->vetoing());

    veto->start();
    EXPECT_EQ(nextStartQueries, 1);
    EXPECT_TRUE(veto->vetoing());
    ASSERT_TRUE(settle(*veto, true));
}

TEST_F(SleepVetoTest, TheTimerFollowsChangedSettingsWithinAboutASecond) {
    auto veto = makeVeto();
    ASSERT_TRUE(attach(*veto));
    ASSERT_TRUE(settle(*veto, true));
    settings.setInteger(kAllowIdleSleepKey, 1);
    EXPECT_TRUE(waitUntil([&] { return logind->held == 0 && !veto->vetoing(); }, 3000));
}

TEST_F(SleepVetoTest, WithoutAScreenSaverLogindAloneIsHeld) {
    PrivateBus empty;
    ASSERT_FALSE(empty.address().isEmpty());
    QDBusConnection session = QDBusConnection::connectToBus(empty.address(), "no-saver");
    SleepVeto veto(
        settings, [] { return std::optional<double>(); }, QDBusConnection::systemBus(), session,
        [] { return kNow; });
    ASSERT_TRUE(attach(veto));
    EXPECT_TRUE(waitUntil([&] { return veto.holdsLogindInhibitor(); }));
    pump(200);
    EXPECT_FALSE(veto.holdsScreenSaverInhibitor());
    EXPECT_TRUE(screenSaver->calls.isEmpty());
}

struct ProbeRun {
    int exitCode = -1;
    QByteArray out;
};

ProbeRun runProbe(QString const& systemBusAddress) {
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBusAddress);
    probe.setProcessEnvironment(env);
    probe.start(QString::fromUtf8(kSleepVetoProbe), {});
    probe.waitForFinished(30000);
    return {probe.exitCode(), probe.readAllStandardOutput()};
}

TEST_F(SleepVetoTest, NoSystemBusOrNoLogindPrintsTheFailureLine) {
    ProbeRun const noBus = runProbe(QStringLiteral("unix:path=/nonexistent/system_bus_socket"));
    EXPECT_EQ(noBus.exitCode, 1);
    EXPECT_EQ(noBus.out, QByteArray("IORegisterForSystemPower failed\n"));

    PrivateBus withoutLogind;
    ASSERT_FALSE(withoutLogind.address().isEmpty());
    ProbeRun const noLogind = runProbe(withoutLogind.address());
    EXPECT_EQ(noLogind.exitCode, 1);
    EXPECT_EQ(noLogind.out, QByteArray("IORegisterForSystemPower failed\n"));

    ProbeRun const attached = runProbe(bus->address());
    EXPECT_EQ(attached.exitCode, 0);
    EXPECT_EQ(attached.out, QByteArray());
}

// The history hears of sleep and resume through logind's PrepareForSleep.
TEST_F(SleepVetoTest, SleepWatchHearsSleepAndResume) {
    SleepWatch watch;
    ASSERT_TRUE(watch.watching());
    QStringList heard;
    QObject::connect(&watch, &SleepWatch::goingToSleep, [&heard] { heard << "sleep"; });
    QObject::connect(&watch, &SleepWatch::resumed, [&heard] { heard << "resume"; });
    pump(100); // the match rule is in place
    QDBusConnection logindSide(QStringLiteral("services"));
    for (bool const start : {true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << start;
        ASSERT_TRUE(logindSide.send(signal));
    }
    EXPECT_TRUE(waitUntil([&heard] { return heard.size() == 2; }));
    EXPECT_EQ(heard, (QStringList{"sleep", "resume"}));
}

} // namespace
