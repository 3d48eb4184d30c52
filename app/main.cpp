// The program: builds the platform services and the controllers, connects them, and runs
// the start-up of the application controller.
//
// The command line is the toolkit's (passed on unchanged); the one addition,
// --measure-startup, prints the time from the start of main to the first drawing of the
// reservation table and quits.
#include "app/AppController.h"
#include "app/BundleLocation.h"
#include "app/CommandLine.h"
#include "app/ReservationRequests.h"
#include "app/ResvManBusAdaptor.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "app/Translations.h"
#include "app/TrustTexts.h"
#include "app/WindowReservationTarget.h"
#include "platform/linux/BootInfo.h"
#include "platform/linux/CompanionLauncher.h"
#include "platform/linux/DBusNotificationCenter.h"
#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/HelperInstaller.h"
#include "platform/linux/LocalCalendar.h"
#include "platform/linux/LoginAutostart.h"
#include "platform/linux/QtUserDefaults.h"
#include "platform/linux/ResumeWatch.h"
#include "platform/linux/SessionActivity.h"
#include "platform/linux/SleepVeto.h"
#include "platform/linux/SleepWatch.h"
#include "platform/linux/SqliteJournal.h"
#include "platform/linux/SystemClock.h"
#include "store/SafeFile.h"
#include "ui/AlertPanel.h"
#include "ui/ApplicationVisibility.h"
#include "ui/MyTableView.h"
#include "ui/ProgressDlgController.h"
#include "ui/RecordingNotices.h"
#include "ui/RegistReserveController.h"
#include "ui/ResvManDlgController.h"
#include "ui/ResvManWindow.h"
#include "ui/ShutdownWarning.h"
#include "ui/SuspendConfigController.h"
#include "ui/TrayIcon.h"
#include "ui/UiTexts.h"

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
    // "resvman <command> …" scripts the reservations and shows no window.
    if (IsCommandLine(argc, argv)) {
        return RunCommandLine(argc, argv);
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
    InstallTranslators(app);
    mark("translations");

    BundleLocation bundle;
    // Where the reservations are kept, and why not beside the program when they are not.
    std::string const folderReport = BundleLocation::Report(bundle.choice());
    if (!folderReport.empty()) {
        std::fputs(folderReport.c_str(), stderr);
    }
    if (bundle.homeDirectory().empty()) {
        RunAlertPanel(nullptr, AppTitle(), NoSafeFolderText(bundle.choice().unusable),
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
        InstanceLock::AcquireWithin(bundle.homeDirectory(), kLockWaitMs);
    if (lock == InstanceLock::Result::HeldByOther) {
        std::fprintf(stderr,
                     "resvman: another process already runs on the reservations in %s "
                     "(lock %s held); not starting a second one.\n",
                     bundle.homeDirectory().c_str(),
                     InstanceLock::LockPath(bundle.homeDirectory()).c_str());
        RunAlertPanel(nullptr, AppTitle(),
                      //% "Another copy of this program is already using the reservations in "
                      //% "this folder. Close it before starting the program again."
                      qtTrId("IDS_ERR_ALREADY_RUNNING"), QStringLiteral("OK"));
        return kExitAlreadyRunning;
    }
    if (lock == InstanceLock::Result::Unavailable) {
        std::fprintf(stderr, "resvman: cannot lock %s; running without the lock.\n",
                     InstanceLock::LockPath(bundle.homeDirectory()).c_str());
    }
    if (lock == InstanceLock::Result::Acquired) {
        // No other process of ours saves here now: what a crashed save left goes.
        RemoveSaveLeftovers(bundle.homeDirectory() + "/" + kReservationFileName);
    }
    // Caught from here on; handled once the controllers exist and the event loop runs.
    TerminationSignals terminationSignals;
    mark("one-instance checks");

    // Platform services. Declared before the controllers, so they outlive them.
    SystemClock clock;
    QtUserDefaults defaults;
    DBusNotificationCenter notifications;
    CompanionLauncher launcher;
    LocalCalendar calendar;
    DesktopNotifier desktopNotifier;
    LoginAutostart autostart = LoginAutostart::ForThisProgram();
    std::unique_ptr<SleepVeto> sleepVeto;
    // The recording history beside the reservation file. Outlives the controllers: their
    // threads report to it until they stop.
    SqliteJournal journal(bundle.homeDirectory() + "/" + kJournalFileName);

    auto appCon = std::make_unique<AppController>();
    CRecEngine::Services services;
    services.clock = &clock;
    services.defaults = &defaults;
    services.notifications = &notifications;
    services.launcher = &launcher;
    services.privileged = appCon.get();
    services.calendar = &calendar;
    services.bundle = &bundle;
    services.journal = &journal;

    std::unique_ptr<RegistReserveController> reserveCon;
    std::unique_ptr<SuspendConfigController> suspendCon;
    std::unique_ptr<ProgressDlgController> progressCon;
    std::unique_ptr<ResvManWindow> window;
    // The shutdown warning outlives the main window controller, which points at it.
    std::unique_ptr<ResvManDlgController>* controller = nullptr;
    ShutdownWarning shutdownWarning(&desktopNotifier, [&controller](double instant) {
        if (controller != nullptr && *controller) {
            (*controller)->CancelPlannedShutdown(instant);
        }
    });
    shutdownWarning.userActive = [&shutdownWarning](std::function<void(bool)> answer) {
        SessionActivity::AskUserActive(&shutdownWarning, std::move(answer));
    };
    // Destroyed first: its destructor stops the engine's threads before anything they use.
    std::unique_ptr<ResvManDlgController> resvMan;

    // The reservations are read while the windows are made.
    resvMan = std::make_unique<ResvManDlgController>(services);
    controller = &resvMan;
    resvMan->StartLoadingSchedule();
    reserveCon = std::make_unique<RegistReserveController>();
    suspendCon = std::make_unique<SuspendConfigController>(&defaults);
    suspendCon->m_autostart = &autostart;
    progressCon = std::make_unique<ProgressDlgController>();
    window = std::make_unique<ResvManWindow>();

    window->connectController(resvMan.get());
    QString const folderNotice = DataFolderNoticeText(bundle.choice());
    if (!folderNotice.isEmpty()) {
        resvMan->ShowNotice(NoticeKind::DataFolder, folderNotice);
    }
    resvMan->suspendCon = suspendCon.get();
    resvMan->ReserveCon = reserveCon.get();
    resvMan->ProgressCon = progressCon.get();
    resvMan->appCon = appCon.get();
    resvMan->m_notifications = &notifications;
    resvMan->m_shutdownWarning = &shutdownWarning;
    // The clock jumped while the machine slept, and timers may have fired: plan again.
    ResumeWatch resumeWatch([&resvMan] { resvMan->ReSettingSchedule(); });

    // What the history hears, on the main thread; a click on a notification opens it.
    ResvManDlgController* const dlg = resvMan.get();
    resvMan->m_recordingNotices = new RecordingNotices(
        &desktopNotifier, [dlg] { dlg->ShowHistory(); }, dlg);
    journal.setListener([dlg](JournalEntry const& entry) {
        QMetaObject::invokeMethod(
            dlg, [dlg, entry] { dlg->JournalRecorded(entry); }, Qt::QueuedConnection);
    });
    journal.setTroubleListener([dlg](SqliteJournal::Trouble const& trouble) {
        QMetaObject::invokeMethod(
            dlg, [dlg, trouble] { dlg->JournalTrouble(trouble); }, Qt::QueuedConnection);
    });
    bool exitCommand = false;
    QObject::connect(resvMan.get(), &ResvManDlgController::terminateRequested,
                     [&exitCommand] { exitCommand = true; });
    // When the computer sleeps and wakes, for the reasons of misses and the wake-ups.
    SleepWatch sleepWatch;
    auto journalNow = [&journal, &clock](JournalKind kind) {
        JournalEntry entry;
        entry.kind = kind;
        entry.at = clock.now();
        journal.Record(entry);
    };
    QObject::connect(&sleepWatch, &SleepWatch::goingToSleep,
                     [journalNow] { journalNow(JournalKind::Sleep); });
    QObject::connect(&sleepWatch, &SleepWatch::resumed,
                     [journalNow] { journalNow(JournalKind::Woke); });

    appCon->resvManCon = resvMan.get();
    appCon->m_notifications = &notifications;
    appCon->m_defaults = &defaults;
    AppController* const app_ = appCon.get();
    appCon->addObserver = [&notifications, app_](char const* name, std::function<void()> handler) {
        notifications.addObserver(name, app_, std::move(handler));
    };
    appCon->registerSleepVeto = [&sleepVeto, &defaults](std::function<bool(double*)> next) {
        sleepVeto = std::make_unique<SleepVeto>(defaults, [next]() -> std::optional<double> {
            double start = 0.0;
            if (next(&start)) {
                return start;
            }
            return std::nullopt;
        });
        sleepVeto->Register(); // reports its own failure and lets the program run on
    };
    appCon->startSleepVeto = [&sleepVeto] {
        if (sleepVeto) {
            sleepVeto->Start();
        }
    };

    // The wake-up helper: its row in the settings dialog, the one-time installation, and
    // the main window's line while waking or shutting down is on without it.
    HelperInstaller installer;
    SuspendConfigController::InstallDone installDone;
    QObject::connect(&installer, &HelperInstaller::finished, &installer,
                     [&](HelperInstaller::Result result, QString const& detail) {
                         std::fprintf(stderr, "resvman: wake-up helper: %s\n", qPrintable(detail));
                         bool const installed = result == HelperInstaller::Result::Installed;
                         if (installed) {
                             app_->RefreshHelper();
                             app_->UpdateHelperNotice();
                             resvMan->ReSettingSchedule();
                         }
                         if (auto done = std::exchange(installDone, nullptr)) {
                             done(installed, HelperInstallFailedText(result, detail));
                         }
                     });
    suspendCon->helperProblem = [app_] { return app_->HelperProblem(); };
    suspendCon->installHelper = [&installer,
                                 &installDone](SuspendConfigController::InstallDone done) {
        installDone = std::move(done);
        installer.start();
    };
    resvMan->configClosed = [app_] { app_->UpdateHelperNotice(); };
    resvMan->helperMissing = [app_] { return !app_->HelperProblem().isEmpty(); };

    TrayIcon tray(QIcon(), [&resvMan] { resvMan->OnExit(nullptr); });
    // The icon's images take a while to load: they follow the window's first drawing.
    QObject::connect(window.get(), &ResvManWindow::firstPainted, &tray, [&tray] {
        QApplication::setWindowIcon(ApplicationIcon());
        tray.setIcon(QApplication::windowIcon());
    });
    QObject::connect(&terminationSignals, &TerminationSignals::received, resvMan.get(),
                     [&resvMan] { resvMan->OnTerminationSignal(); });

    // A second start asks this one to come forward.
    QObject::connect(&single, &SingleInstance::showRequested, window.get(), [&window] {
        ApplicationVisibility::instance().unhide();
        window->raise();
        window->activateWindow();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, appCon.get(),
                     [app_] { app_->applicationWillTerminate(); });

    if (measureStartup) {
        window->table()->viewport()->installEventFilter(new StartupMeter(startup, &app));
    }

    mark("services and windows");

    // The interface is loaded: the controllers set themselves up, then the launch. The
    // reservation dialog's window is made when it is first opened; the table's station
    // column needs only the presets.
    reserveCon->LoadChannelPreset();
    progressCon->awakeFromNib();
    resvMan->awakeFromNib();
    appCon->awakeFromNib();
    mark("awakeFromNib");
    JournalEntry started;
    started.kind = JournalKind::ProgramStarted;
    started.at = clock.now();
    started.bootId = CurrentBootId();
    started.bootAt = CurrentBootTime();
    journal.Record(started);
    appCon->applicationDidFinishLaunching();
    mark("applicationDidFinishLaunching");

    // Scripts reach the same list, plan, file and table as the window's commands.
    WindowReservationTarget scriptTarget(*resvMan, clock);
    ReservationRequests scriptRequests(scriptTarget);
    api->setReservationFile(QString::fromStdString(resvMan->ReservationFilePath()));
    api->setFingerprint([&resvMan]() -> uint64_t {
        return resvMan->m_Schedule ? ReservationFingerprint(*resvMan->m_Schedule) : 0;
    });
    api->setRequests(&scriptRequests);
    QObject::connect(resvMan.get(), &ResvManDlgController::tableReloaded, api,
                     &ResvManBusAdaptor::checkChanged);
    auto const closeApi = [api] { api->setRequests(nullptr); };
    QObject::connect(resvMan.get(), &ResvManDlgController::terminateRequested, api, closeApi);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, api, closeApi);

    // A signal handled during the start-up (in a dialog's loop) already ended the run.
    int const result = resvMan->TerminationRequested() ? 0 : app.exec();
    if (resvMan->TerminationRequested() && !resvMan->SaveForExit()) {
        SaveOutcome const outcome = resvMan->m_Schedule->lastSaveOutcome();
        std::fprintf(stderr, "resvman: the reservations could not be saved to %s: %s\n",
                     outcome.path.c_str(),
                     outcome.rescuePending ? "a copy of the damaged file could not be made first"
                                           : std::strerror(outcome.error));
    }
    appCon->applicationWillTerminate();
    // No hand-off goes on past the exit row.
    resvMan->StopThreads();
    JournalEntry exited;
    exited.kind = JournalKind::ProgramExited;
    exited.at = clock.now();
    exited.exitCause = exitCommand ? ExitCause::ExitCommand : ExitCause::Ended;
    journal.Record(exited);
    journal.setListener({});
    journal.setTroubleListener({});
    return result;
}
