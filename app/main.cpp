// The program: builds the platform services and the main window, connects them, and runs
// the application's start-up.
//
// The command line is the toolkit's (passed on unchanged); the one addition,
// --measure-startup, prints the time from the start of main to the first drawing of the
// reservation table and quits.
#include "app/AppLocation.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/InstanceLock.h"
#include "app/ReservationRequests.h"
#include "app/ResvManBusAdaptor.h"
#include "app/SingleInstance.h"
#include "app/SleepVeto.h"
#include "app/TerminationSignals.h"
#include "app/Translations.h"
#include "app/TrustTexts.h"
#include "app/WakeCheckCommand.h"
#include "app/WindowReservationTarget.h"
#include "engine/CompanionReports.h"
#include "history/SqliteJournal.h"
#include "platform/CompanionReport.h"
#include "platform/linux/BusTypes.h"
#include "platform/linux/CompanionLauncher.h"
#include "platform/linux/DBusCompanionBus.h"
#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/HelperInstaller.h"
#include "platform/linux/LoginAutostart.h"
#include "platform/linux/PrivilegedScheduler.h"
#include "platform/linux/QSettingsStore.h"
#include "platform/linux/ResumeWatch.h"
#include "platform/linux/SessionActivity.h"
#include "platform/linux/SleepWatch.h"
#include "platform/linux/TestWakeUp.h"
#include "posix/BootInfo.h"
#include "posix/LocalCalendar.h"
#include "posix/SafeFile.h"
#include "posix/SystemClock.h"
#include "ui/ApplicationVisibility.h"
#include "ui/ExitSequence.h"
#include "ui/HistoryPresenter.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "ui/PowerSettingsDialog.h"
#include "ui/RecordingNotices.h"
#include "ui/ReservationDialog.h"
#include "ui/ReservationTableView.h"
#include "ui/ShutdownWarning.h"
#include "ui/TrayIcon.h"
#include "ui/UiTexts.h"
#include "ui/WakeCheckWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kExitAlreadyRunning = 3;
constexpr int kLockWaitMs = 3000;
constexpr int kExitNoSafeFolder = 4;

// Reports the time to the first drawing of the table, then quits.
class StartupMeter : public QObject {
public:
    StartupMeter(QElapsedTimer const& timer, QObject* parent) : QObject(parent), m_timer(timer) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("startup-ms: %lld\n", static_cast<long long>(m_timer.elapsed()));
            // For a measurement from outside that counts the process's start as well.
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint-monotonic-ns: %lld\n",
                        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer const& m_timer;
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv) {
    registerBusTypes();
    // "resvman <command> …" scripts the reservations and shows no window.
    if (isCommandLine(argc, argv)) {
        return runCommandLine(argc, argv);
    }

    QElapsedTimer startup;
    startup.start();
    bool measureStartup = false;
    for (int i = 1; i < argc; ++i) {
        measureStartup = measureStartup || std::strcmp(argv[i], "--measure-startup") == 0;
    }

    // With --measure-startup, the time of each step of the start too.
    auto mark = [&](char const* step) {
        if (measureStartup) {
            std::printf("  %-28s %6.1f ms\n", step, startup.nsecsElapsed() / 1e6);
        }
    };

    QApplication app(argc, argv);
    mark("toolkit");
    QApplication::setOrganizationName(QStringLiteral("Velto"));
    QApplication::setApplicationName(QStringLiteral("ResvMan"));
    QApplication::setDesktopFileName(QStringLiteral("resvman"));
    // Hiding every window is not quitting: only the exit command ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installTranslators(app);
    mark("translations");

    AppLocation location;
    // Where the reservations are kept, and why not beside the program when they are not.
    std::string const folderReport = AppLocation::report(location.choice());
    if (!folderReport.empty()) {
        std::fputs(folderReport.c_str(), stderr);
    }
    if (location.dataFolder().empty()) {
        MessageBox::show(nullptr, appTitle(), noSafeFolderText(location.choice().unusable),
                         QStringLiteral("OK"));
        return kExitNoSafeFolder;
    }

    SingleInstance single;
    // The scripting interface shares the object a second start calls; it answers once the
    // list is loaded (calls wait in the queue until the event loop runs).
    auto* api = new ResvManBusAdaptor(&single, QDBusConnection::sessionBus());
    if (!measureStartup && single.claim() == SingleInstance::Claim::Secondary) {
        return 0; // the running program was asked to show itself
    }
    // A command of the command line may hold the lock for a moment.
    InstanceLock::Result const lock =
        InstanceLock::acquireWithin(location.dataFolder(), kLockWaitMs);
    if (lock == InstanceLock::Result::HeldByOther) {
        std::fprintf(stderr,
                     "resvman: another process already runs on the reservations in %s "
                     "(lock %s held); not starting a second one.\n",
                     location.dataFolder().c_str(),
                     InstanceLock::lockPath(location.dataFolder()).c_str());
        MessageBox::show(nullptr, appTitle(),
                         //% "Another copy of this program is already using the reservations in "
                         //% "this folder. Close it before starting the program again."
                         qtTrId("IDS_ERR_ALREADY_RUNNING"), QStringLiteral("OK"));
        return kExitAlreadyRunning;
    }
    if (lock == InstanceLock::Result::Unavailable) {
        std::fprintf(stderr, "resvman: cannot lock %s; running without the lock.\n",
                     InstanceLock::lockPath(location.dataFolder()).c_str());
    }
    if (lock == InstanceLock::Result::Acquired) {
        // No other process of ours saves here now: what a crashed save left goes.
        removeSaveLeftovers(location.dataFolder() + "/" + ReservationFile::kFileName);
    }
    // Caught from here on; handled once the window exists and the event loop runs.
    TerminationSignals terminationSignals;
    mark("one-instance checks");

    // Platform services. Declared before the window, so they outlive it.
    SystemClock clock;
    QSettingsStore settings;
    DBusCompanionBus bus;
    CompanionLauncher launcher;
    LocalCalendar calendar;
    DesktopNotifier desktopNotifier;
    LoginAutostart autostart = LoginAutostart::forThisProgram();
    PrivilegedScheduler privileged;
    // The recording history beside the reservation file. Outlives the window: the engine's
    // threads report to it until they stop.
    SqliteJournal journal(location.dataFolder() + "/" + SqliteJournal::kFileName);
    RecordingNotices recordingNotices(&desktopNotifier);
    // The shutdown warning outlives the window, which points at it.
    ShutdownWarning shutdownWarning(&desktopNotifier);
    shutdownWarning.setActivityCheck([&shutdownWarning](std::function<void(bool)> answer) {
        SessionActivity::askUserActive(&shutdownWarning, std::move(answer));
    });

    RecordingEngine::Services services;
    services.clock = &clock;
    services.settings = &settings;
    services.bus = &bus;
    services.launcher = &launcher;
    services.privileged = &privileged;
    services.calendar = &calendar;
    services.location = &location;
    services.journal = &journal;

    // Destroyed first: its destructor stops the engine's threads before anything they use.
    MainWindow window(services);
    // Whether the RTC keeps local time decides how each run writes its alarm.
    window.engine().planner().setRtcFacts([] { return RtcFacts::read(); });
    // The reservations are read while the rest of the window is made.
    window.engine().startLoading();
    window.powerSettingsDialog()->setAutostart(&autostart);
    window.setRecordingNotices(&recordingNotices);
    window.setShutdownWarning(&shutdownWarning);
    QObject::connect(&shutdownWarning, &ShutdownWarning::cancelled, &window,
                     [&window](double instant) { window.engine().cancelPlannedShutdown(instant); });
    QString const folderNotice = dataFolderNoticeText(location.choice());
    if (!folderNotice.isEmpty()) {
        window.showNotice(NoticeKind::DataFolder, folderNotice);
    }
    // The clock jumped while the machine slept, and timers may have fired: plan again.
    ResumeWatch resumeWatch([&window] { window.engine().requestReplan(); });

    // What the history hears, on the main thread.
    HistoryPresenter* const history = window.history();
    journal.setListener([history](JournalEntry const& entry) {
        QMetaObject::invokeMethod(
            history, [history, entry] { history->journalRecorded(entry); }, Qt::QueuedConnection);
    });
    journal.setTroubleListener([history](SqliteJournal::Trouble const& trouble) {
        QMetaObject::invokeMethod(
            history, [history, trouble] { history->journalTrouble(trouble); },
            Qt::QueuedConnection);
    });
    ExitSequence* const exit = window.exitSequence();
    bool exitCommand = false;
    QObject::connect(exit, &ExitSequence::terminateRequested,
                     [&exitCommand] { exitCommand = true; });
    // When the computer sleeps and wakes, for the reasons of misses and the wake-ups.
    SleepWatch sleepWatch;
    auto journalNow = [&journal, &clock](JournalKind kind) {
        JournalEntry entry;
        entry.kind = kind;
        entry.at = clock.now();
        journal.record(entry);
    };
    QObject::connect(&sleepWatch, &SleepWatch::goingToSleep,
                     [journalNow] { journalNow(JournalKind::Sleep); });
    QObject::connect(&sleepWatch, &SleepWatch::resumed,
                     [journalNow] { journalNow(JournalKind::Woke); });

    Application application(window, bus, settings, privileged);
    // Made at the start-up's first step; it asks nothing before the list is read.
    std::unique_ptr<SleepVeto> sleepVeto;
    QObject::connect(&application, &Application::powerManagementNeeded, [&] {
        sleepVeto = std::make_unique<SleepVeto>(settings,
                                                [&window] { return window.engine().nextStart(); });
        sleepVeto->setRecordingUntil([&window] { return window.engine().recordingUntil(); });
        sleepVeto->attach(); // reports its own failure and lets the program run on
    });
    QObject::connect(&application, &Application::reservationsLoaded, [&sleepVeto] {
        if (sleepVeto) {
            sleepVeto->start();
        }
    });
    QObject::connect(&application, &Application::companionMessagesNeeded, [&] {
        bus.addObserver(kCompanionHidMessage, &window, [&window] { window.companionHid(); });
        bus.addObserver(kCompanionShownMessage, &window, [&window] { window.companionShown(); });
        // The companion's reports go to the history, which keeps those that match a
        // hand-over; anyone on the bus may post one, so a damaged one is only logged.
        for (char const* name : {kRecordingStartedMessage, kRecordingFinishedMessage}) {
            bus.addObserver(name, &window, [&journal, &clock](CompanionMessage const& message) {
                std::string error;
                std::optional<CompanionReport> const report =
                    CompanionReport::fromWire(message.name, message.values, error);
                if (!report) {
                    std::fprintf(stderr, "resvman: a report from Velto was refused: %s\n",
                                 error.c_str());
                    return;
                }
                journal.record(journalEntryOf(*report, clock.now()));
            });
        }
    });

    // The wake-up helper: its row in the settings dialog, the one-time installation, and
    // the main window's line while waking or shutting down is on without it.
    HelperInstaller installer;
    PowerSettingsDialog* const powerSettings = window.powerSettingsDialog();
    // Offered only for a helper that passes the trust check (start() checks it again).
    trust::Verdict const helperSource = installer.checkSource();
    powerSettings->setHelperInstallable(helperSource.ok(), helperUntrustedText(helperSource));
    QObject::connect(powerSettings, &PowerSettingsDialog::installHelperRequested, &installer,
                     &HelperInstaller::start);
    QObject::connect(&installer, &HelperInstaller::finished, &installer,
                     [&](HelperInstaller::Result result, QString const& detail) {
                         std::fprintf(stderr, "resvman: wake-up helper: %s\n", qPrintable(detail));
                         bool const installed = result == HelperInstaller::Result::Installed;
                         if (installed) {
                             application.refreshHelper();
                             application.updateHelperNotice();
                             window.engine().requestReplan();
                         }
                         powerSettings->helperInstallFinished(
                             installed,
                             helperInstallFailedText(result, detail, installer.checkSource()));
                     });

    // Settings → Check wake-up…: the check reads the facts on its own thread; the test
    // wake-up's instant is kept by every planning run until it passes.
    TestWakeUp testWakeUp(clock, privileged, QDBusConnection::systemBus(), RtcFacts::kSysfsRoot);
    testWakeUp.setBeforePlanning(
        [&window](double instant) { window.engine().planner().holdWakeUp(instant); });
    WakeFactsReader const wakeFacts =
        WakeCheckCommand::readerFor(location.dataFolder(), &privileged, &settings);
    WakeCheckWindow wakeCheck([wakeFacts] { return wakeFacts.read(); }, powerSettings);
    wakeCheck.setTestWakeUp(&testWakeUp);
    wakeCheck.setJournal(&journal);
    QObject::connect(powerSettings, &PowerSettingsDialog::checkWakeRequested, &wakeCheck,
                     &WakeCheckWindow::openAndCheck);
    // A limit the check found is the planner's from the next run on.
    QObject::connect(&wakeCheck, &WakeCheckWindow::checked, &window, [&wakeCheck, &window] {
        for (WakeFinding const& finding : wakeCheck.findings()) {
            if (finding.code == WakeFinding::Code::WithinDay) {
                window.engine().requestReplan();
            }
        }
    });

    TrayIcon tray{QIcon()};
    QObject::connect(&tray, &TrayIcon::exitRequested, exit, &ExitSequence::exitProgram);
    // The icon's images take a while to load: they follow the window's first drawing.
    QObject::connect(&window, &MainWindow::firstPainted, &tray, [&tray] {
        QApplication::setWindowIcon(applicationIcon());
        tray.setIcon(QApplication::windowIcon());
    });
    QObject::connect(&terminationSignals, &TerminationSignals::received, exit,
                     &ExitSequence::terminate);

    // A second start asks this one to come forward.
    QObject::connect(&single, &SingleInstance::showRequested, &window, [&window] {
        ApplicationVisibility::instance().unhide();
        window.raise();
        window.activateWindow();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &application,
                     [&application] { application.shutDown(); });

    if (measureStartup) {
        window.table()->viewport()->installEventFilter(new StartupMeter(startup, &app));
    }

    mark("services and windows");

    // The reservation dialog's controls are made when it is first opened; the table's
    // station column needs only the presets.
    window.reservationDialog()->loadPresets();
    application.setUp();
    mark("set-up");
    JournalEntry started;
    started.kind = JournalKind::ProgramStarted;
    started.at = clock.now();
    started.bootId = currentBootId();
    started.bootAt = currentBootTime();
    journal.record(started);
    application.start();
    mark("start");

    // Scripts reach the same list, plan, file and table as the window's commands.
    WindowReservationTarget scriptTarget(window);
    ReservationRequests scriptRequests(scriptTarget);
    api->setReservationFile(QString::fromStdString(window.engine().reservationFilePath()));
    api->setFingerprint(
        [&window]() -> uint64_t { return reservationFingerprint(window.engine().list()); });
    api->setRequests(&scriptRequests);
    QObject::connect(&window, &MainWindow::tableReloaded, api, &ResvManBusAdaptor::checkChanged);
    auto const closeApi = [api] { api->setRequests(nullptr); };
    QObject::connect(exit, &ExitSequence::terminateRequested, api, closeApi);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, api, closeApi);

    // A signal handled during the start-up (in a dialog's loop) already ended the run.
    int const result = exit->terminationRequested() ? 0 : app.exec();
    if (exit->terminationRequested() && !exit->saveForExit()) {
        SaveOutcome const outcome = window.engine().file().lastSaveOutcome();
        std::fprintf(stderr, "resvman: the reservations could not be saved to %s: %s\n",
                     outcome.path.c_str(),
                     outcome.rescuePending ? "a copy of the damaged file could not be made first"
                                           : std::strerror(outcome.error));
    }
    application.shutDown();
    // No hand-off goes on past the exit row.
    window.engine().stopThreads();
    JournalEntry exited;
    exited.kind = JournalKind::ProgramExited;
    exited.at = clock.now();
    exited.exitCause = exitCommand ? ExitCause::ExitCommand : ExitCause::Ended;
    journal.record(exited);
    journal.setListener({});
    journal.setTroubleListener({});
    return result;
}
