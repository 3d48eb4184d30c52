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
#include "app/Translations.h"
#include "app/WindowReservationTarget.h"
#include "platform/linux/CompanionLauncher.h"
#include "platform/linux/DBusNotificationCenter.h"
#include "platform/linux/LocalCalendar.h"
#include "platform/linux/QtUserDefaults.h"
#include "platform/linux/SleepVeto.h"
#include "platform/linux/SystemClock.h"
#include "ui/AlertPanel.h"
#include "ui/ApplicationVisibility.h"
#include "ui/MyTableView.h"
#include "ui/ProgressDlgController.h"
#include "ui/RegistReserveController.h"
#include "ui/ResvManDlgController.h"
#include "ui/ResvManWindow.h"
#include "ui/SuspendConfigController.h"
#include "ui/TrayIcon.h"
#include "ui/UiTexts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kExitAlreadyRunning = 3;
constexpr int kLockWaitMs = 3000;

// SIGTERM and SIGINT end the event loop, so the normal termination steps run.
int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    char const byte = 1;
    ssize_t const written = ::write(g_signalPipe[1], &byte, 1);
    (void)written;
}

void QuitOnTerminationSignals(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        ssize_t const got = ::read(g_signalPipe[0], &byte, 1);
        (void)got;
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// Reports the time to the first drawing of the table, then quits.
class StartupMeter : public QObject {
public:
    StartupMeter(QElapsedTimer const& timer, QObject* parent) : QObject(parent), m_timer(timer) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("startup-ms: %lld\n", static_cast<long long>(m_timer.elapsed()));
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
    QApplication::setWindowIcon(ApplicationIcon());
    // Hiding every window is not quitting: only the exit command ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallTranslators(app);
    mark("translations");

    BundleLocation bundle;

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
    QuitOnTerminationSignals(app);
    mark("one-instance checks");

    // Platform services. Declared before the controllers, so they outlive them.
    SystemClock clock;
    QtUserDefaults defaults;
    DBusNotificationCenter notifications;
    CompanionLauncher launcher;
    LocalCalendar calendar;
    std::unique_ptr<SleepVeto> sleepVeto;

    auto appCon = std::make_unique<AppController>();
    CRecEngine::Services services;
    services.clock = &clock;
    services.defaults = &defaults;
    services.notifications = &notifications;
    services.launcher = &launcher;
    services.privileged = appCon.get();
    services.calendar = &calendar;
    services.bundle = &bundle;

    auto reserveCon = std::make_unique<RegistReserveController>();
    auto suspendCon = std::make_unique<SuspendConfigController>(&defaults);
    auto progressCon = std::make_unique<ProgressDlgController>();
    auto window = std::make_unique<ResvManWindow>();
    // Destroyed first: its destructor stops the engine's threads before anything they use.
    auto resvMan = std::make_unique<ResvManDlgController>(services);

    window->connectController(resvMan.get());
    resvMan->suspendCon = suspendCon.get();
    resvMan->ReserveCon = reserveCon.get();
    resvMan->ProgressCon = progressCon.get();
    resvMan->appCon = appCon.get();
    resvMan->m_notifications = &notifications;

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

    TrayIcon tray(QApplication::windowIcon(), [&resvMan] { resvMan->OnExit(nullptr); });

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

    // The interface is loaded: the controllers set themselves up, then the launch.
    reserveCon->awakeFromNib();
    progressCon->awakeFromNib();
    resvMan->awakeFromNib();
    appCon->awakeFromNib();
    mark("awakeFromNib");
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

    int const result = app.exec();
    appCon->applicationWillTerminate();
    return result;
}
