// The settings command's re-planning and the exit command: confirmation, the wait for a
// running hand-off, the final save, and a termination signal.
#include "ui/ExitSequence.h"
#include "MainWindowFixture.h"
#include "WhenShown.h"
#include "app/TerminationSignals.h"
#include "ui/ExitCountdownDialog.h"
#include "ui/ImageButton.h"
#include "ui/MessageBox.h"
#include "ui/PowerSettingsDialog.h"
#include "ui/ReservationCommands.h"
#include "ui/ReservationDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
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
#include <memory>
#include <thread>

#include <csignal>
#include <unistd.h>

namespace {

Reservation reservation(double start, char const* title, bool enabled = true) {
    Reservation rec;
    rec.start = start;
    rec.end = start + 1800.0;
    rec.frequency = 954; // AM 954 kHz
    std::strncpy(rec.title, title, sizeof rec.title - 1);
    rec.enabled = enabled ? 1 : 0;
    return rec;
}

} // namespace

class ExitSequenceTest : public QObject, MainWindowFixture {
    Q_OBJECT

    ExitSequence& exitSequence() { return *m_window->exitSequence(); }
    ExitCountdownDialog* countdown() { return m_window->exitCountdownDialog(); }

private slots:
    void initTestCase() { useLanguage(":/i18n/resvman_en.qm"); }
    void init() {
        makeWindow(1.7e9);
        m_window->resize(600, 400);
        m_window->show();
    }
    void cleanup() { closeWindow(); }

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
        PowerSettingsDialog* const settings = m_window->powerSettingsDialog();
        whenShown(settings, [settings, action] {
            if (action == "cancel") {
                child<QCheckBox>(settings, "shutdownAfter")->click();
                child<QPushButton>(settings, "cancel")->click();
                return;
            }
            if (action == "suspend") {
                child<QCheckBox>(settings, "allowIdleSleep")->click();
            } else if (action == "wake") {
                child<QCheckBox>(settings, "wakeBefore")->click();
            }
            child<QPushButton>(settings, "ok")->click();
        });
        MessageBox::setHandler(
            [](MessageBox::Request const&) { return MessageBox::Button::Default; });
        m_window->openSettings();
        MessageBox::setHandler(nullptr);

        QVERIFY(engine().waitForPlanning());
        QStringList got;
        for (std::string const& c : m_fakes->privileged.calls()) {
            got << QString::fromStdString(c);
        }
        QCOMPARE(got, calls);
    }

    void exitWithNothingPendingQuitsWithoutAsking() {
        add(reservation(1.7e9 + 3600.0, "switched off", false));
        Reservation over = reservation(1.7e9 - 7200.0, "over");
        over.pending = 0;
        add(over);
        QSignalSpy terminate(&exitSequence(), &ExitSequence::terminateRequested);
        bool asked = false;
        whenShown(countdown(), [this, &asked] {
            asked = true;
            child<QPushButton>(countdown(), "cancel")->click();
        });
        m_window->action(MainWindow::Action::Quit)->trigger();
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
        QSignalSpy terminate(&exitSequence(), &ExitSequence::terminateRequested);
        double t = 0.0;
        countdown()->setClock([&t, answer] {
            if (answer == "none") {
                t += 0.5;
            }
            return t;
        });
        QString message;
        whenShown(countdown(), [this, &message, answer] {
            message = child<QLabel>(countdown(), "message")->text();
            if (answer == "cancel") {
                child<QPushButton>(countdown(), "cancel")->click();
            } else if (answer == "close") {
                countdown()->close();
            } else if (answer == "ok") {
                child<QPushButton>(countdown(), "ok")->click();
            }
        });
        m_window->button(MainWindow::Button::Exit)->click();

        QCOMPARE(message, QStringLiteral("Some reservations are still waiting to be recorded. If "
                                         "you exit now, they will not be recorded. Exit anyway?"));
        bool const exits = answer == "ok" || answer == "none";
        QCOMPARE(terminate.count(), exits ? 1 : 0);
        QCOMPARE(std::filesystem::exists(filePath()), exits);
        QCOMPARE(engine().list().size(), 1);
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
        m_window->reservationDialog()->setPresetFile("/nonexistent/Velto.plist");
        add(reservation(1.7e9 + 3600.0, "pending")); // the exit asks about it
        TerminationSignals termination;
        connect(&termination, &TerminationSignals::received, &exitSequence(),
                &ExitSequence::terminate);

        QDialog* const dialog =
            open == "reservation" ? static_cast<QDialog*>(m_window->reservationDialog())
            : open == "settings"  ? static_cast<QDialog*>(m_window->powerSettingsDialog())
            : open == "countdown" ? static_cast<QDialog*>(countdown())
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
                m_window->commands()->addReservation();
            } else if (open == "settings") {
                m_window->openSettings();
            } else if (open == "countdown") {
                exitSequence().exitProgram();
            } else {
                m_window->commands()->deleteSelected(); // asks first
            }
        });
        QTimer stuck; // a run that does not end fails the case instead of hanging it
        stuck.setSingleShot(true);
        connect(&stuck, &QTimer::timeout, this, [] { QCoreApplication::exit(1); });
        stuck.start(10000);
        int const code = QCoreApplication::exec();
        stuck.stop();

        QCOMPARE(code, 0);
        QVERIFY(exitSequence().terminationRequested());
        QVERIFY(dialog == nullptr || !dialog->isVisible());
        QVERIFY(exitSequence().saveForExit());
        QCOMPARE(savedTitles(), QStringList{"pending"}); // nothing added, nothing deleted
    }

    // A final save that fails is told, and the exit asks whether to go on without it.
    void exitWithAFailedSaveAsksFirst_data() {
        QTest::addColumn<bool>("exitAnyway");
        QTest::newRow("Cancel stays") << false;
        QTest::newRow("OK exits") << true;
    }
    void exitWithAFailedSaveAsksFirst() {
        QFETCH(bool, exitAnyway);
        std::filesystem::create_directory(filePath()); // not a file: the save fails
        QSignalSpy terminate(&exitSequence(), &ExitSequence::terminateRequested);
        QStringList asked;
        MessageBox::setHandler([&](MessageBox::Request const& request) {
            asked << request.message + QLatin1Char('|') + request.defaultButton + QLatin1Char('|') +
                         request.alternateButton;
            return exitAnyway ? MessageBox::Button::Default : MessageBox::Button::Alternate;
        });
        exitSequence().exitProgram();
        MessageBox::setHandler(nullptr);
        QCOMPARE(asked, QStringList(qtTrId("IDS_WARN_EXIT_UNSAVED")
                                        .arg(QString::fromStdString(filePath()),
                                             qtTrId("IDS_SAVE_REASON_NOT_A_FILE")) +
                                    QStringLiteral("|OK|Cancel")));
        QCOMPARE(terminate.count(), exitAnyway ? 1 : 0);
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
            std::lock_guard lock(engine().engineLock());
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
        connect(&exitSequence(), &ExitSequence::terminateRequested, this, [&] {
            releasedFirst = released;
            atTerminate = savedTitles();
        });
        exitSequence().exitProgram();
        holder.join();

        QVERIFY(!savedBeforeRelease);
        QVERIFY(releasedFirst);
        QCOMPARE(atTerminate, QStringList({"handed over", "added last"}));
        // The lock outlives the exit: threads may still reach it.
        QVERIFY(engine().engineLock().try_lock());
        engine().engineLock().unlock();
    }
};

QTEST_MAIN(ExitSequenceTest)
#include "ExitSequenceTest.moc"
