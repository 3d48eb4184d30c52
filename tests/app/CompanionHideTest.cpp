// The hide and unhide exchange, and a recording's hand-off with margins, over a real session
// bus against the companion stand-in, which logs every notification it hears. Each run uses an
// object path and bus name of its own, since parallel tests share the bus.
#include "app/Application.h"
#include "platform/linux/DBusCompanionBus.h"
#include "ui/ApplicationVisibility.h"
#include "ui/MainWindow.h"

#include "ReservationTestSupport.h"
#include "TestPaths.h"
#include "tests/support/FakeEngineServices.h"

#include <QAction>
#include <QDBusConnection>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr char const* kMarker = "Test_Notification_Marker";
} // namespace

class CompanionHideTest : public QObject {
    Q_OBJECT

    QString m_standIn;
    QString m_path;
    QTemporaryDir m_dir;
    QString m_log;
    QProcess m_companion;
    std::unique_ptr<DBusCompanionBus> m_center;
    std::unique_ptr<FakeEngineServices> m_services;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<Application> m_app;
    int m_markers = 0;

    // The notifications the stand-in heard, in order, as "name|object" ("-" for none).
    QStringList heard() {
        QFile file(m_log);
        QStringList out;
        if (!file.open(QIODevice::ReadOnly)) {
            return out;
        }
        for (QByteArray const& line : file.readAll().split('\n')) {
            QJsonObject const o = QJsonDocument::fromJson(line).object();
            if (o.value("event").toString() == "notification") {
                QJsonValue const object = o.value("object");
                out << o.value("name").toString() + '|' +
                           (object.isNull() ? QStringLiteral("-") : object.toString());
            }
        }
        return out;
    }
    bool logHas(char const* event) {
        QFile file(m_log);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(event);
    }
    // Everything this program posted so far has reached the stand-in once a marker posted
    // now has: one connection's signals arrive in order.
    QStringList heardFromUsAfterSync() {
        QString const marker = QString::fromLatin1(kMarker) + '|' + QString::number(++m_markers);
        m_center->post(kMarker, std::to_string(m_markers), {});
        if (!QTest::qWaitFor([&] { return heard().contains(marker); }, 10000)) {
            return {QStringLiteral("(the stand-in never heard the marker)")};
        }
        QStringList ours;
        for (QString const& h : heard()) {
            if (h.startsWith("Schedule_")) {
                ours << h;
            }
        }
        return ours;
    }
    void companionPosts(char const* what) {
        int const code = QProcess::execute(m_standIn, {"--post", what, "--path", m_path});
        QCOMPARE(code, 0);
    }

private slots:
    void initTestCase() {
        if (!QDBusConnection::sessionBus().isConnected()) {
            QSKIP("no session bus: run under dbus-run-session");
        }
        m_standIn = QString::fromUtf8(kStandInCompanion);
        QVERIFY(m_dir.isValid());
        QString const unique = QString::number(QCoreApplication::applicationPid());
        m_path = "/org/velto/test/HideDBus" + unique;
        m_log = m_dir.filePath("companion.jsonl");
        m_companion.start(m_standIn, {"--log", m_log, "--path", m_path, "--bus-name",
                                      "org.velto.test.HideDBus" + unique});
        QVERIFY(m_companion.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(logHas("\"start\""), 10000);

        m_center = std::make_unique<DBusCompanionBus>(QDBusConnection::sessionBus(), m_path);
        QVERIFY(m_center->isListening());
        m_services = std::make_unique<FakeEngineServices>();
        RecordingEngine::Services services = m_services->services();
        services.bus = m_center.get();
        m_window = std::make_unique<MainWindow>(services);

        // The application reports unhides; the window follows the companion, wired as the
        // program does it. The window's own start-up is not needed here.
        m_app = std::make_unique<Application>(*m_window, *m_center, m_services->settings,
                                              m_services->privileged);
        MainWindow* const window = m_window.get();
        m_center->addObserver(kCompanionHidMessage, window, [window] { window->companionHid(); });
        m_center->addObserver(kCompanionShownMessage, window,
                              [window] { window->companionShown(); });

        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanupTestCase() {
        m_app.reset();
        m_window.reset();
        m_center.reset();
        if (m_companion.state() != QProcess::NotRunning) {
            m_companion.terminate();
            m_companion.waitForFinished(5000);
        }
    }

    // The cases build on each other: one exchange, as the two programs would see it.
    void dualClosePostsOneHideWithTheMessageObject() {
        m_window->action(MainWindow::Action::CloseTogether)->trigger();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(heardFromUsAfterSync(), QStringList({"Schedule_Notification_SendHide|message"}));
    }

    void companionUnhideShowsAndIsAnsweredOnce() {
        companionPosts("unhide");
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 10000);
        QCOMPARE(heardFromUsAfterSync(), QStringList({"Schedule_Notification_SendHide|message",
                                                      "Schedule_Notification_SendUnHide|-"}));
    }

    void companionUnhideWhileShownPostsNothing() {
        companionPosts("unhide");
        // The stand-in hears its own post; by then ours would have been sent too.
        QTRY_COMPARE_WITH_TIMEOUT(heard().count("Velto_Notification_SendUnHide|-"), 2, 10000);
        QTest::qWait(100); // let the observer run
        QVERIFY(m_window->isVisible());
        QCOMPARE(heardFromUsAfterSync().size(), 2);
    }

    void companionHideHidesSilently() {
        companionPosts("hide");
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 10000);
        QVERIFY(ApplicationVisibility::instance().isHidden());
        QCOMPARE(heardFromUsAfterSync().size(), 2);

        // And back, for the user: again exactly one report.
        companionPosts("unhide");
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 10000);
        QStringList const ours = heardFromUsAfterSync();
        QCOMPARE(ours.size(), 3);
        QCOMPARE(ours.last(), QStringLiteral("Schedule_Notification_SendUnHide|-"));
    }

    // With margins of 2 and 5 minutes the companion hears the early start and the late end,
    // and a wide-FM station's channel (91.6 MHz: 9160).
    void handOffCarriesTheMargins() {
        m_services->settings.setInteger(kStartEarlyKey, 2);
        m_services->settings.setInteger(kEndLateKey, 5);
        m_services->launcher.setRunning(true);
        m_services->clock.setAutoAdvance(true); // the waits before the hand-off pass at once
        RecordingEngine& engine = m_window->engine();
        double const start = std::trunc(m_services->clock.now()) + 3600.0;
        CheckResult result;
        int id = -1;
        QVERIFY(engine.list().add(makeReservation(start, start + 1800.0, 0x01000000 + 9160, "wide"),
                                  result, true, &id));
        engine.runRecording(id);
        (void)heardFromUsAfterSync(); // the message has arrived
        QFile file(m_log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonObject info;
        for (QByteArray const& line : file.readAll().split('\n')) {
            QJsonObject const o = QJsonDocument::fromJson(line).object();
            if (o.value("name").toString() == QLatin1String(kRecordMessage)) {
                info = o.value("userInfo").toObject();
            }
        }
        QCOMPARE(info.value("RecStartTime").toObject().value("value").toDouble(), start - 120.0);
        QCOMPARE(info.value("RecEndTime").toObject().value("value").toDouble(),
                 start + 1800.0 + 300.0);
        QCOMPARE(info.value("CH").toObject().value("value").toDouble(), 9160.0);
    }
};

QTEST_MAIN(CompanionHideTest)
#include "CompanionHideTest.moc"
