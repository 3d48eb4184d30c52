// The settings command's re-planning and the exit command: confirmation, the wait for a
// running hand-off, the final save.
#include "WhenShown.h"
#include "app/TerminationSignals.h"
#include "ui/AlertPanel.h"
#include "ui/ProgressDlgController.h"
#include "ui/RegistReserveController.h"
#include "ui/RegistReserveWindow.h"
#include "ui/ResvManDlgController.h"
#include "ui/SuspendConfigController.h"

#include "tests/support/FakeEngineServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include <csignal>
#include <unistd.h>

namespace {

SCHEDULEITEM_TAG reservation(double start, char const* title, bool enabled = true) {
    SCHEDULEITEM_TAG rec;
    rec.dStartTime = start;
    rec.dEndTime = start + 1800.0;
    rec.uFreq = 954; // AM 954 kHz
    std::strncpy(rec.cTitle, title, sizeof rec.cTitle - 1);
    rec.cValid = enabled ? 1 : 0;
    return rec;
}

} // namespace

class TestExit : public QObject {
    Q_OBJECT

    QTranslator m_translator;
    std::unique_ptr<FakeEngineServices> m_services;
    std::unique_ptr<ResvManDlgController> m_controller;
    std::unique_ptr<QMainWindow> m_window;
    std::unique_ptr<SuspendConfigController> m_settings;
    std::unique_ptr<ProgressDlgController> m_countdown;

    void add(SCHEDULEITEM_TAG rec) {
        SCHEDULE_RETURN result;
        QVERIFY(m_controller->m_Schedule->addSchedule(&rec, result, 1));
    }
    std::string filePath() { return m_controller->ReservationFilePath(); }
    // Titles in the saved reservation file, in order.
    QStringList savedTitles() {
        CScheduleItem saved;
        saved.Load(filePath().c_str());
        QStringList titles;
        SCHEDULEITEM_TAG rec;
        for (int i = 0; saved.readScheduleByIndex(i, &rec); ++i) {
            titles << QString::fromUtf8(rec.cTitle);
        }
        return titles;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
    }
    void init() {
        m_services = std::make_unique<FakeEngineServices>(1.7e9);
        m_controller = std::make_unique<ResvManDlgController>(m_services->services());
        m_window = std::make_unique<QMainWindow>();
        m_window->resize(600, 400);
        m_window->show();
        m_settings = std::make_unique<SuspendConfigController>(&m_services->defaults);
        m_countdown = std::make_unique<ProgressDlgController>();
        m_countdown->awakeFromNib();
        m_controller->m_mainWindow = m_window.get();
        m_controller->suspendCon = m_settings.get();
        m_controller->ProgressCon = m_countdown.get();
        m_controller->CreateSchedule();
    }
    void cleanup() {
        m_controller.reset();
        m_countdown.reset();
        m_settings.reset();
        m_window.reset();
        m_services.reset();
    }

    // Settings: both kinds cancelled, wake-ups first, then planned anew, and only when the
    // confirmed dialog changed what the times depend on.
    void settingsReplanOnlyOnARelevantChange_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("Cancel") << "cancel" << QStringList();
        QTest::newRow("OK unchanged") << "ok" << QStringList();
        QTest::newRow("idle sleep only") << "suspend" << QStringList();
        // The re-planning (waking on) cancels again and sets the reservation's wake-up.
        QTest::newRow("wake on") << "wake"
                                 << QStringList({"cancel 1", "cancel 2", "cancel 1", "cancel 2",
                                                 "wake 1700035700.000"});
    }
    void settingsReplanOnlyOnARelevantChange() {
        QFETCH(QString, action);
        QFETCH(QStringList, calls);
        add(reservation(1.7e9 + 36000.0, "news"));
        WhenShown(m_settings->configWindow, [this, action] {
            if (action == "cancel") {
                m_settings->m_chkShutdown->click();
                m_settings->m_btnCancel->click();
                return;
            }
            if (action == "suspend") {
                m_settings->m_chkAllowSuspend->click();
            } else if (action == "wake") {
                m_settings->m_chkUseACPI->click();
            }
            m_settings->m_btnOK->click();
        });
        SetAlertPanelHandler([](AlertRequest const&) { return kAlertDefaultReturn; });
        m_controller->OnMenuSuspendConfig(nullptr);
        SetAlertPanelHandler(nullptr);

        QVERIFY(m_controller->WaitForPlanning());
        QStringList got;
        for (std::string const& c : m_services->privileged.calls()) {
            got << QString::fromStdString(c);
        }
        QCOMPARE(got, calls);
    }

    void exitWithNothingPendingQuitsWithoutAsking() {
        add(reservation(1.7e9 + 3600.0, "switched off", false));
        SCHEDULEITEM_TAG over = reservation(1.7e9 - 7200.0, "over");
        over.cPending = 0;
        add(over);
        QSignalSpy terminate(m_controller.get(), &ResvManDlgController::terminateRequested);
        bool asked = false;
        WhenShown(m_countdown->m_window, [this, &asked] {
            asked = true;
            m_countdown->m_btnCancel->click();
        });
        m_controller->OnMenuFinish(nullptr);
        QCOMPARE(terminate.count(), 1);
        QVERIFY(!asked);
        QCOMPARE(savedTitles(), QStringList({"over", "switched off"}));
    }

    void exitWithAPendingReservationAsks_data() {
        QTest::addColumn<QString>("answer");
        QTest::newRow("Cancel keeps everything") << "cancel";
        QTest::newRow("close box keeps everything") << "close";
        QTest::newRow("OK exits") << "ok";
        QTest::newRow("countdown runs out and exits") << "none";
    }
    void exitWithAPendingReservationAsks() {
        QFETCH(QString, answer);
        add(reservation(1.7e9 + 3600.0, "pending"));
        QSignalSpy terminate(m_controller.get(), &ResvManDlgController::terminateRequested);
        double t = 0.0;
        m_countdown->now = [&t, answer] {
            if (answer == "none") {
                t += 0.5;
            }
            return t;
        };
        QString message;
        WhenShown(m_countdown->m_window, [this, &message, answer] {
            message = m_countdown->m_txtMsg->text();
            if (answer == "cancel") {
                m_countdown->m_btnCancel->click();
            } else if (answer == "close") {
                m_countdown->m_window->close();
            } else if (answer == "ok") {
                m_countdown->m_btnOK->click();
            }
        });
        m_controller->OnExit(nullptr);

        QCOMPARE(message, QStringLiteral("Some reservations are still waiting to be recorded. If "
                                         "you exit now, they will not be recorded. Exit anyway?"));
        bool const exits = answer == "ok" || answer == "none";
        QCOMPARE(terminate.count(), exits ? 1 : 0);
        QCOMPARE(std::filesystem::exists(filePath()), exits);
        QCOMPARE(m_controller->m_Schedule->m_nCount.load(), 1);
        QVERIFY(m_window->isVisible()); // exit hides nothing; the process ends
    }

    // SIGTERM, a real one, with a dialog or an alert open: the dialog ends as if cancelled,
    // the event loop ends with 0 although the main window would refuse to close, and the
    // list is saved.
    void terminationSignalEndsAnyDialog_data() {
        QTest::addColumn<QString>("open");
        QTest::newRow("reservation dialog") << "reservation";
        QTest::newRow("settings dialog") << "settings";
        QTest::newRow("exit countdown") << "countdown";
        QTest::newRow("alert") << "alert";
    }
    void terminationSignalEndsAnyDialog() {
        QFETCH(QString, open);
        RegistReserveController reserve;
        reserve.setPresetFilePath("/nonexistent/Velto.plist");
        reserve.awakeFromNib();
        m_controller->ReserveCon = &reserve;
        add(reservation(1.7e9 + 3600.0, "pending")); // the exit asks about it
        TerminationSignals termination;
        connect(&termination, &TerminationSignals::received, m_controller.get(),
                [this] { m_controller->OnTerminationSignal(); });

        QWidget* const dialog = open == "reservation"
                                    ? static_cast<QWidget*>(reserve.m_RegistWindow)
                                : open == "settings"  ? m_settings->configWindow
                                : open == "countdown" ? m_countdown->m_window
                                                      : nullptr;
        QTimer poll; // sends the signal once the dialog or alert shows
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* const modal = QApplication::activeModalWidget();
            if ((dialog != nullptr && dialog->isVisible()) ||
                (dialog == nullptr && qobject_cast<QMessageBox*>(modal) != nullptr)) {
                poll.stop();
                ::kill(::getpid(), SIGTERM);
            }
        });
        poll.start(5);
        QTimer::singleShot(0, this, [&] {
            if (open == "reservation") {
                m_controller->OnAdd(nullptr);
            } else if (open == "settings") {
                m_controller->OnConfig(nullptr);
            } else if (open == "countdown") {
                m_controller->OnExit(nullptr);
            } else {
                m_controller->OnDelete(nullptr); // asks first
            }
        });
        QTimer stuck; // a run that does not end fails the case instead of hanging it
        stuck.setSingleShot(true);
        connect(&stuck, &QTimer::timeout, this, [] { QCoreApplication::exit(1); });
        stuck.start(10000);
        int const code = QCoreApplication::exec();
        stuck.stop();

        QCOMPARE(code, 0);
        QVERIFY(m_controller->TerminationRequested());
        QVERIFY(dialog == nullptr || !dialog->isVisible());
        QVERIFY(m_controller->SaveForExit());
        QCOMPARE(savedTitles(), QStringList{"pending"}); // nothing added, nothing deleted
    }

    // A final save that fails is told, and the exit asks whether to go on without it.
    void exitWithAFailedSaveAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Cancel stays") << kAlertAlternateReturn;
        QTest::newRow("OK exits") << kAlertDefaultReturn;
    }
    void exitWithAFailedSaveAsksFirst() {
        QFETCH(int, answer);
        std::filesystem::create_directory(filePath()); // not a file: the save fails
        QSignalSpy terminate(m_controller.get(), &ResvManDlgController::terminateRequested);
        QStringList asked;
        SetAlertPanelHandler([&](AlertRequest const& request) {
            asked << request.message + QLatin1Char('|') + request.defaultButton + QLatin1Char('|') +
                         request.alternateButton;
            return answer;
        });
        m_controller->OnExit(nullptr);
        SetAlertPanelHandler(nullptr);
        QCOMPARE(asked, QStringList(qtTrId("IDS_WARN_EXIT_UNSAVED")
                                        .arg(QString::fromStdString(filePath()),
                                             qtTrId("IDS_SAVE_REASON_NOT_A_FILE")) +
                                    QStringLiteral("|OK|Cancel")));
        QCOMPARE(terminate.count(), answer == kAlertDefaultReturn ? 1 : 0);
    }

    // A recording hand-off holds the engine lock: the exit waits for it, then saves what
    // the user changed last.
    void exitWaitsForTheHandOffThenSaves() {
        add(reservation(1.7e9 - 60.0, "handed over", false));
        std::atomic<bool> locked{false};
        std::atomic<bool> released{false};
        std::atomic<bool> savedBeforeRelease{false};
        std::string const path = filePath();
        std::thread holder([&] {
            std::lock_guard lock(m_controller->m_RecLock);
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            savedBeforeRelease = std::filesystem::exists(path);
            released = true;
        });
        while (!locked) {
            std::this_thread::yield();
        }
        add(reservation(1.7e9 + 7200.0, "added last", false)); // the user's latest change

        bool releasedFirst = false;
        QStringList atTerminate;
        connect(m_controller.get(), &ResvManDlgController::terminateRequested, this, [&] {
            releasedFirst = released;
            atTerminate = savedTitles();
        });
        m_controller->OnExit(nullptr);
        holder.join();

        QVERIFY(!savedBeforeRelease);
        QVERIFY(releasedFirst);
        QCOMPARE(atTerminate, QStringList({"handed over", "added last"}));
        // The list and the lock outlive the exit: threads may still reach them.
        QVERIFY(m_controller->m_Schedule != nullptr);
        QVERIFY(m_controller->m_RecLock.try_lock());
        m_controller->m_RecLock.unlock();
    }
};

QTEST_MAIN(TestExit)
#include "tst_exit.moc"
