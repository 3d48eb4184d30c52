#include "platform/linux/DBusCompanionBus.h"
#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/CompanionBusWire.h"

#include "RawSignalRecorder.h"
#include "TestPaths.h"
#include "tests/support/EventLoopHelpers.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

QDBusConnection bus() {
    return QDBusConnection::sessionBus();
}

CompanionValues recordingMessage() {
    return {{"CH", int32_t{8000}},
            {"BAND", std::string("FM")},
            {"RecStartTime", 1700000000.0},
            {"RecEndTime", 1700003600.0},
            {"Title", std::string("朝のニュース")},
            {"AppTerminate", true}};
}

// Key, inner D-Bus signature and value of every entry of a raw signal's dictionary.
struct RawEntry {
    QString key;
    QString signature;
    QVariant value;
};

std::vector<RawEntry> rawEntries(QDBusMessage const& message) {
    std::vector<RawEntry> entries;
    QDBusArgument const info = message.arguments().at(3).value<QDBusArgument>();
    info.beginMap();
    while (!info.atEnd()) {
        QString key;
        QDBusVariant value;
        info.beginMapEntry();
        info >> key >> value;
        info.endMapEntry();
        entries.push_back(
            {key, QString::fromLatin1(QDBusMetaType::typeToSignature(value.variant().metaType())),
             value.variant()});
    }
    info.endMap();
    return entries;
}

class DBusCompanionBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus().isConnected()) << "needs a session bus (run under dbus-run-session)";
        path = uniqueObjectPath("center");
        center = std::make_unique<DBusCompanionBus>(bus(), path);
        ASSERT_TRUE(center->isListening());
    }

    QString path;
    std::unique_ptr<DBusCompanionBus> center;
    QObject context;
};

TEST_F(DBusCompanionBusTest, RecordingMessageKeepsItsWireTypesAndOrder) {
    RawSignalRecorder raw(bus(), path);
    ASSERT_TRUE(center->post(kRecordMessage, std::string("message"), recordingMessage()));
    ASSERT_TRUE(waitUntil([&] { return raw.messages.size() == 1; }));

    QDBusMessage const& m = raw.messages.front();
    EXPECT_EQ(m.signature(), QStringLiteral("ssba{sv}"));
    EXPECT_EQ(m.path(), path);
    EXPECT_EQ(m.interface(), QString::fromLatin1(kCompanionBusInterface));
    EXPECT_EQ(m.member(), QString::fromLatin1(kCompanionBusMember));
    EXPECT_EQ(m.arguments().at(0).toString(), QStringLiteral("Schedule_Notification_SendMessage"));
    EXPECT_EQ(m.arguments().at(1).toString(), QStringLiteral("message"));
    EXPECT_TRUE(m.arguments().at(2).toBool());

    std::vector<RawEntry> const entries = rawEntries(m);
    ASSERT_EQ(entries.size(), 6u);
    struct Expected {
        char const* key;
        char const* signature;
        QVariant value;
    } const expected[] = {{"CH", "i", QVariant(8000)},
                          {"BAND", "s", QVariant(QStringLiteral("FM"))},
                          {"RecStartTime", "d", QVariant(1700000000.0)},
                          {"RecEndTime", "d", QVariant(1700003600.0)},
                          {"Title", "s", QVariant(QStringLiteral("朝のニュース"))},
                          {"AppTerminate", "b", QVariant(true)}};
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].key, QString::fromLatin1(expected[i].key));
        EXPECT_EQ(entries[i].signature, QString::fromLatin1(expected[i].signature))
            << expected[i].key;
        EXPECT_EQ(entries[i].value, expected[i].value) << expected[i].key;
    }
}

TEST_F(DBusCompanionBusTest, NoObjectIsDistinctFromAnEmptyObject) {
    RawSignalRecorder raw(bus(), path);
    std::vector<CompanionMessage> seen;
    center->addObserver(kUnhideMessage, &context,
                        [&](CompanionMessage const& n) { seen.push_back(n); });

    // One at a time: QtDBus may hand this process's own signals to it out of order (the bus
    // itself keeps their order).
    for (std::optional<std::string> const& object :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("message")}) {
        std::size_t const before = seen.size();
        ASSERT_TRUE(center->post(kUnhideMessage, object, {}));
        ASSERT_TRUE(waitUntil([&] {
            return seen.size() == before + 1 && std::size_t(raw.messages.size()) == before + 1;
        }));
    }

    EXPECT_FALSE(seen[0].object.has_value());
    EXPECT_EQ(seen[1].object, std::optional<std::string>(""));
    EXPECT_EQ(seen[2].object, std::optional<std::string>("message"));
    EXPECT_TRUE(seen[0].values.empty());
    // On the wire "no object" is the flag, with an empty string beside it.
    EXPECT_FALSE(raw.messages[0].arguments().at(2).toBool());
    EXPECT_EQ(raw.messages[0].arguments().at(1).toString(), QString());
    EXPECT_EQ(raw.messages[0].signature(), QStringLiteral("ssba{sv}"));
}

TEST_F(DBusCompanionBusTest, ObserversRunOnTheMainThreadForPostsFromOtherThreads) {
    int calls = 0;
    bool allOnMain = true;
    center->addObserver(kRecordMessage, &context, [&] {
        ++calls;
        allOnMain = allOnMain && QThread::currentThread() == qApp->thread();
    });

    constexpr int kThreads = 4;
    constexpr int kEach = 25;
    std::atomic<int> sent{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                if (center->post(kRecordMessage, std::string("message"), recordingMessage())) {
                    ++sent;
                }
            }
        });
    }
    for (auto& p : posters) {
        p.join();
    }
    EXPECT_EQ(sent.load(), kThreads * kEach);
    EXPECT_TRUE(waitUntil([&] { return calls == kThreads * kEach; }, 10000)) << calls;
    EXPECT_TRUE(allOnMain);
}

TEST_F(DBusCompanionBusTest, ObserversMatchByNameAndEndWithTheirContext) {
    int hides = 0;
    int unhides = 0;
    auto shortLived = std::make_unique<QObject>();
    center->addObserver(kCompanionHidMessage, &context, [&] { ++hides; });
    center->addObserver(kCompanionShownMessage, shortLived.get(), [&] { ++unhides; });

    center->post(kCompanionHidMessage, std::nullopt, {});
    center->post(kCompanionShownMessage, std::nullopt, {});
    center->post("Velto_Notification_Other", std::nullopt, {});
    ASSERT_TRUE(waitUntil([&] { return hides == 1 && unhides == 1; }));

    shortLived.reset();
    center->post(kCompanionShownMessage, std::nullopt, {});
    center->post(kCompanionHidMessage, std::nullopt, {});
    ASSERT_TRUE(waitUntil([&] { return hides == 2; }));
    pump(100);
    EXPECT_EQ(unhides, 1);
}

TEST_F(DBusCompanionBusTest, ObserversIgnoreOtherPathsAndForeignShapes) {
    int calls = 0;
    center->addObserver(kCompanionHidMessage, &context, [&] { ++calls; });

    // Same name on another path (another test, or the real program) is not ours.
    DBusCompanionBus elsewhere(bus(), uniqueObjectPath("elsewhere"));
    elsewhere.post(kCompanionHidMessage, std::nullopt, {});

    // Our path and member, but not our signature.
    QDBusMessage foreign =
        QDBusMessage::createSignal(path, QString::fromLatin1(kCompanionBusInterface),
                                   QString::fromLatin1(kCompanionBusMember));
    foreign << QStringLiteral("Velto_Notification_SendHide") << QStringLiteral("message");
    bus().send(foreign);

    center->post(kCompanionHidMessage, std::nullopt, {});
    ASSERT_TRUE(waitUntil([&] { return calls >= 1; }));
    pump(100);
    EXPECT_EQ(calls, 1);
}

TEST_F(DBusCompanionBusTest, ValuesSurviveTheRoundTrip) {
    std::vector<CompanionMessage> seen;
    center->addObserver(kRecordMessage, &context,
                        [&](CompanionMessage const& n) { seen.push_back(n); });

    CompanionValues info = recordingMessage();
    info.push_back({"Negative", int32_t{-2147483647 - 1}});
    info.push_back({"Fraction", 0.125});
    info.push_back({"Off", false});
    // A title from a damaged file: an embedded zero byte and a stray continuation byte.
    info.push_back({"Damaged", std::string("ab\0cd", 5)});
    info.push_back({"Invalid", std::string("x\x80y")});
    ASSERT_TRUE(center->post(kRecordMessage, std::string("message"), info));
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 1; }));

    CompanionValues const& got = seen[0].values;
    ASSERT_EQ(got.size(), info.size());
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(got[i], info[i]) << got[i].first;
    }
    EXPECT_EQ(got[9].second, CompanionValue(std::string("ab")));
    EXPECT_EQ(got[10].second, CompanionValue(std::string("x\xEF\xBF\xBDy")));
}

TEST_F(DBusCompanionBusTest, OtherIntegerWidthsAreTakenWhenTheyFit) {
    std::vector<CompanionMessage> seen;
    center->addObserver("Velto_Notification_Typed", &context,
                        [&](CompanionMessage const& n) { seen.push_back(n); });

    QDBusMessage m = QDBusMessage::createSignal(path, QString::fromLatin1(kCompanionBusInterface),
                                                QString::fromLatin1(kCompanionBusMember));
    QVariantMap info;
    info.insert(QStringLiteral("u"), QVariant::fromValue(uint(8000)));
    info.insert(QStringLiteral("x"), QVariant::fromValue(qlonglong(-5)));
    info.insert(QStringLiteral("big"), QVariant::fromValue(qlonglong(1) << 40));
    info.insert(QStringLiteral("list"), QStringList{QStringLiteral("a")});
    m << QStringLiteral("Velto_Notification_Typed") << QString() << false << info;
    ASSERT_TRUE(bus().send(m));
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 1; }));

    // QVariantMap sorts its keys: big, list, u, x. The two that do not fit are left out.
    CompanionValues const expected = {{"u", int32_t{8000}}, {"x", int32_t{-5}}};
    EXPECT_EQ(seen[0].values, expected);
}

// The stand-in companion, as a separate process on the same bus: what it logs is what a
// companion receives.
TEST_F(DBusCompanionBusTest, TheStandInCompanionLogsWhatItReceivesWithWireTypes) {
    QTemporaryDir dir;
    QString const log = dir.filePath(QStringLiteral("standin.log"));
    QString const busName = QStringLiteral("org.velto.Test.Center%1").arg(::getpid());
    QProcess standIn;
    standIn.start(QString::fromUtf8(kStandInCompanion),
                  {QStringLiteral("--log"), log, QStringLiteral("--path"), path,
                   QStringLiteral("--bus-name"), busName});
    auto lines = [&] {
        QFile f(log);
        QList<QJsonObject> out;
        if (f.open(QIODevice::ReadOnly)) {
            for (QByteArray const& line : f.readAll().split('\n')) {
                if (!line.isEmpty()) {
                    out.append(QJsonDocument::fromJson(line).object());
                }
            }
        }
        return out;
    };
    ASSERT_TRUE(waitUntil([&] { return lines().size() == 1; }, 10000));
    QJsonObject const start = lines().at(0);
    EXPECT_EQ(start.value(QStringLiteral("event")), QStringLiteral("start"));
    EXPECT_EQ(start.value(QStringLiteral("pid")).toInteger(), standIn.processId());

    center->post(kRecordMessage, std::string("message"), recordingMessage());
    center->post(kUnhideMessage, std::nullopt, {});
    ASSERT_TRUE(waitUntil([&] { return lines().size() == 3; }, 5000));
    standIn.terminate();
    standIn.waitForFinished(5000);

    QJsonObject const message = lines().at(1);
    EXPECT_EQ(message.value(QStringLiteral("name")),
              QStringLiteral("Schedule_Notification_SendMessage"));
    EXPECT_EQ(message.value(QStringLiteral("object")), QStringLiteral("message"));
    EXPECT_GE(message.value(QStringLiteral("time")).toDouble(),
              start.value(QStringLiteral("time")).toDouble());
    QJsonObject const info = message.value(QStringLiteral("userInfo")).toObject();
    auto entry = [&](char const* key) { return info.value(QLatin1String(key)).toObject(); };
    EXPECT_EQ(entry("CH").value(QStringLiteral("type")), QStringLiteral("i"));
    EXPECT_EQ(entry("CH").value(QStringLiteral("value")).toInt(), 8000);
    EXPECT_EQ(entry("BAND").value(QStringLiteral("type")), QStringLiteral("s"));
    EXPECT_EQ(entry("RecStartTime").value(QStringLiteral("type")), QStringLiteral("d"));
    EXPECT_EQ(entry("RecStartTime").value(QStringLiteral("value")).toDouble(), 1700000000.0);
    EXPECT_EQ(entry("RecEndTime").value(QStringLiteral("type")), QStringLiteral("d"));
    EXPECT_EQ(entry("Title").value(QStringLiteral("value")), QStringLiteral("朝のニュース"));
    EXPECT_EQ(entry("AppTerminate").value(QStringLiteral("type")), QStringLiteral("b"));
    EXPECT_EQ(entry("AppTerminate").value(QStringLiteral("value")), QJsonValue(true));

    QJsonObject const unhide = lines().at(2);
    EXPECT_TRUE(unhide.value(QStringLiteral("object")).isNull());
    EXPECT_TRUE(unhide.value(QStringLiteral("userInfo")).toObject().isEmpty());
}

TEST_F(DBusCompanionBusTest, CompanionSideHideAndUnhideReachTheObservers) {
    int hides = 0;
    int unhides = 0;
    center->addObserver(kCompanionHidMessage, &context, [&](CompanionMessage const& n) {
        hides += n.object.has_value() ? 100 : 1;
    });
    center->addObserver(kCompanionShownMessage, &context, [&] { ++unhides; });

    // The stand-in's own poster.
    EXPECT_EQ(QProcess::execute(QString::fromUtf8(kStandInCompanion),
                                {QStringLiteral("--post"), QStringLiteral("unhide"),
                                 QStringLiteral("--path"), path}),
              0);
    ASSERT_TRUE(waitUntil([&] { return unhides == 1; }));

    // The hand-made example of the protocol document, run as written but on our path.
    if (QStandardPaths::findExecutable(QStringLiteral("busctl")).isEmpty()) {
        GTEST_SKIP() << "busctl is not installed";
    }
    QFile doc(QString::fromUtf8(kSourceDir) + QStringLiteral("/docs/companion-protocol.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    QString const text = QString::fromUtf8(doc.readAll());
    qsizetype const marker = text.indexOf(QStringLiteral("<!-- example: hide -->"));
    ASSERT_GE(marker, 0);
    QString command = text.mid(marker).section(QLatin1Char('\n'), 1, 1).trimmed();
    ASSERT_TRUE(command.startsWith(QStringLiteral("busctl --user emit"))) << command.toStdString();
    command.replace(QString::fromLatin1(kCompanionBusPath), path);
    EXPECT_EQ(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}), 0);
    ASSERT_TRUE(waitUntil([&] { return hides > 0; }));
    EXPECT_EQ(hides, 1) << "the example posts without an object";
}

TEST(DBusCompanionBusWithoutBus, PostingAnswersFalse) {
    QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/resvman-test-bus"), QStringLiteral("nowhere"));
    DBusCompanionBus center(none, uniqueObjectPath("nowhere"));
    EXPECT_FALSE(center.isListening());
    EXPECT_FALSE(center.post(kHideMessage, std::string("message"), {}));
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

} // namespace
