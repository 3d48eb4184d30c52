// The application: start-up order, the authorization rule, the unhide report, the end;
// and the program's data folder and one-instance rules.
#include "app/Application.h"
#include "app/AppLocation.h"
#include "app/InstanceLock.h"
#include "app/SingleInstance.h"
#include "ui/ApplicationVisibility.h"
#include "ui/ImageButton.h"
#include "ui/MainWindow.h"
#include "ui/PlanStatus.h"

#include "tests/support/FakeEngineServices.h"

#include <QDBusConnection>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records when the window is shown.
class ShowRecorder : public QObject {
public:
    explicit ShowRecorder(std::function<void()> shown) : m_shown(std::move(shown)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            m_shown();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_shown;
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEngineServices> m_fakes;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<Application> m_app;
    QStringList m_steps;
    bool m_listShown = false;

    // The start-up's steps as the fakes and the window see them; a step that comes after the
    // list was read says so.
    void record(QString const& step) {
        m_steps << (m_listShown ? step + QStringLiteral("(after the list is loaded)") : step);
    }
    void assemble() {
        m_fakes = std::make_unique<FakeEngineServices>(1.9e9);
        m_window = std::make_unique<MainWindow>(m_fakes->services());
        m_app = std::make_unique<Application>(*m_window, m_fakes->bus, m_fakes->settings,
                                              m_fakes->privileged);
        m_steps.clear();
        m_listShown = false;
        connect(m_app.get(), &Application::powerManagementNeeded, this,
                [this] { record("power management"); });
        connect(m_app.get(), &Application::companionMessagesNeeded, this,
                [this] { record("companion messages"); });
        connect(m_app.get(), &Application::reservationsLoaded, this,
                [this] { record("sleep rule"); });
        connect(m_window.get(), &MainWindow::tableReloaded, this, [this] { m_listShown = true; });
        m_fakes->privileged.setOnAuthorize([this] {
            record("authorization");
            return true;
        });
        m_window->installEventFilter(new ShowRecorder([this] { record("showWindow"); }));
        m_app->setUp();
    }

    int unhidePosts() {
        int count = 0;
        for (auto const& post : m_fakes->bus.posts()) {
            if (post.name == kUnhideMessage) {
                ++count;
                if (post.object.has_value() || !post.values.empty()) {
                    return -1;
                }
            }
        }
        return count;
    }

private slots:
    void cleanup() {
        ApplicationVisibility::instance().unhide();
        if (m_fakes) {
            m_fakes->clock.setAutoAdvance(true);
        }
        m_app.reset();
        m_window.reset();
        m_fakes.reset();
    }

    void startUpRunsInItsOrder_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("asks");
        QTest::newRow("no settings") << QString() << 0 << false;
        QTest::newRow("SHUTDOWN 1") << QString(kShutdownAfterKey) << 1 << true;
        QTest::newRow("USEACPI 1") << QString(kWakeBeforeKey) << 1 << true;
        QTest::newRow("USEACPI 0") << QString(kWakeBeforeKey) << 0 << false;
    }

    void startUpRunsInItsOrder() {
        QFETCH(QString, key);
        QFETCH(int, value);
        QFETCH(bool, asks);
        assemble();
        if (!key.isEmpty()) {
            m_fakes->settings.setInteger(key.toStdString(), value);
        }
        m_app->start();

        QStringList expected{"power management", "companion messages"};
        if (asks) {
            expected << "authorization";
        }
        expected << "sleep rule(after the list is loaded)"
                 << "showWindow(after the list is loaded)";
        QCOMPARE(m_steps, expected);
        // The window's own start-up did its work: the buttons, the window.
        QCOMPARE(m_window->button(MainWindow::Button::Add)->title(),
                 QStringLiteral("IDS_ADD")); // no translator
        QCOMPARE(m_window->button(MainWindow::Button::Exit)->title(), QStringLiteral("IDS_EXIT"));
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_window->button(MainWindow::Button::Delete)->state(),
                 ImageButton::State::Disabled); // nothing selected yet
    }

    void companionMessagesHideAndShow() {
        assemble();
        m_app->start();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        // Shown already: an unhide request changes nothing and posts nothing.
        m_window->companionShown();
        QCOMPARE(unhidePosts(), 0);

        m_window->companionHid();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_fakes->bus.posts().size(), std::size_t(0)); // a silent hide

        m_window->companionShown();
        QVERIFY(m_window->isVisible());
        QCOMPARE(unhidePosts(), 1); // no object, no info
        m_window->companionShown();
        QCOMPARE(unhidePosts(), 1);
    }

    // What the sleep veto asks: the next start of the list the window shows.
    void sleepVetoAsksForTheNextStart() {
        assemble();
        m_app->start();
        QVERIFY(!m_window->engine().nextStart()); // an empty list
        Reservation rec;
        rec.start = 1.9e9 + 3600.0;
        rec.end = rec.start + 600.0;
        rec.frequency = 954;
        CheckResult result;
        m_window->engine().list().add(rec, result);
        QCOMPARE(m_window->engine().nextStart(), std::optional<double>(1.9e9 + 3600.0));
    }

    void shutDownReleasesOnceAndAgainSafely() {
        assemble();
        m_app->shutDown();
        QVERIFY(m_fakes->privileged.released());
        m_app->shutDown(); // aboutToQuit and the end of main both call it
    }

    // Waking or shutting down on without the helper: a line in the main window until the
    // helper is installed, when the new tool is taken.
    void missingHelperIsShownUntilInstalled() {
        assemble();
        HelperSearch found;
        m_app->setHelperFinder([&found] { return found; });
        m_app->refreshHelper();
        auto shown = [this] { return m_window->notices()->hasNotice(NoticeKind::WakeHelper); };
        m_app->updateHelperNotice();
        QVERIFY(!shown()); // neither is on
        m_fakes->settings.setInteger(kShutdownAfterKey, 1);
        m_app->updateHelperNotice();
        QVERIFY(shown());
        QVERIFY(!m_app->helperProblem().isEmpty());
        // A plan that failed for want of the helper adds no second line saying the same.
        PlanOutcome failed;
        failed.shutdownOn = true;
        failed.failure = PrivilegedFailure::Unavailable;
        m_window->planStatus()->show(failed);
        QVERIFY(!m_window->notices()->hasNotice(NoticeKind::WakePlan));

        found.tool = "/usr/local/libexec/resvman/schedule";
        m_app->refreshHelper();
        QCOMPARE(m_fakes->privileged.tool(), found.tool);
        m_app->updateHelperNotice();
        QVERIFY(!shown());
        QVERIFY(m_app->helperProblem().isEmpty());
    }

    void bundleFolderRule() {
        QCOMPARE(AppLocation::bundleFolderOf("/b/build/bundle/ResvMan.app"),
                 std::string("/b/build/bundle"));
        QCOMPARE(AppLocation::bundleFolderOf("/media/usb/ResvMan.app/"), std::string("/media/usb"));
        QCOMPARE(AppLocation::bundleFolderOf("/ResvMan.app"), std::string("/"));
        QCOMPARE(AppLocation::bundleFolderOf("/usr/bin"), std::string());
        QCOMPARE(AppLocation::bundleFolderOf("/opt/.app"), std::string());
        // Installed, or the bundle's folder passed over: the user's data folder.
        QCOMPARE(AppLocation::perUserFolder("/home/u/data", "/home/u"),
                 std::string("/home/u/data/resvman"));
        QCOMPARE(AppLocation::perUserFolder("", "/home/u"),
                 std::string("/home/u/.local/share/resvman"));
        QCOMPARE(AppLocation::perUserFolder("relative/data", "/home/u"),
                 std::string("/home/u/.local/share/resvman"));
    }

    void bundleFolderIsUsedOnlyWhenNobodyElseMayChangeIt() {
        QTemporaryDir dir;
        std::string const root = dir.path().toStdString();
        std::string const apps = root + "/apps";
        std::string const data = root + "/data";
        QVERIFY(QDir().mkpath(QString::fromStdString(apps + "/ResvMan.app")));
        ::chmod(apps.c_str(), 0755);
        auto choose = [&] {
            return AppLocation::choose(apps + "/ResvMan.app", data, root, trust::forThisUser());
        };
        AppLocation::Choice choice = choose();
        QCOMPARE(choice.folder, apps);
        QVERIFY(choice.passedOver.ok());
        QCOMPARE(AppLocation::report(choice), std::string());

        // A folder everyone may write: the per-user folder, made private, and said so.
        ::chmod(apps.c_str(), 0777);
        choice = choose();
        QCOMPARE(choice.folder, data + "/resvman");
        QCOMPARE(choice.passedOver.problem, trust::Problem::WritableByOther);
        struct stat st {};
        QCOMPARE(::stat(choice.folder.c_str(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0700u);
        QVERIFY(AppLocation::report(choice).find("using " + data + "/resvman instead") !=
                std::string::npos);

        // The user's own folder, but the reservation file leads through a shared one.
        ::chmod(apps.c_str(), 0755);
        QVERIFY(QDir().mkpath(QString::fromStdString(root + "/shared")));
        ::chmod((root + "/shared").c_str(), 0777);
        ::symlink((root + "/shared/resv.dat").c_str(), (apps + "/.ResvInfo.dat").c_str());
        choice = choose();
        QCOMPARE(choice.folder, data + "/resvman");
        QCOMPARE(choice.passedOver.where, root + "/shared");

        // Nowhere safe at all.
        ::chmod(data.c_str(), 0777);
        choice = choose();
        QVERIFY(choice.folder.empty());
        QVERIFY(AppLocation::report(choice).find("no safe folder") != std::string::npos);
    }

    void lockKeepsASecondProcessOut() {
        QTemporaryDir dir;
        int fd = -1;
        QCOMPARE(InstanceLock::acquire(dir.path().toStdString(), &fd),
                 InstanceLock::Result::Acquired);
        QCOMPARE(InstanceLock::acquire(dir.path().toStdString()),
                 InstanceLock::Result::HeldByOther);
        ::close(fd); // the holder ends
        QCOMPARE(InstanceLock::acquire(dir.path().toStdString(), &fd),
                 InstanceLock::Result::Acquired);
        ::close(fd);
        QCOMPARE(InstanceLock::acquire("/nonexistent-folder/x"), InstanceLock::Result::Unavailable);
    }

    void secondStartAsksTheFirstToShow() {
        if (!QDBusConnection::sessionBus().isConnected()) {
            QSKIP("no session bus");
        }
        QString const name = QStringLiteral("org.velto.ResvMan.test%1").arg(::getpid());
        SingleInstance first(QDBusConnection::sessionBus(), name);
        QSignalSpy shown(&first, &SingleInstance::showRequested);
        QCOMPARE(first.claim(), SingleInstance::Claim::Primary);

        QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                              QStringLiteral("second-start"));
        SingleInstance second(other, name);
        QCOMPARE(second.claim(), SingleInstance::Claim::Secondary);
        QTRY_COMPARE(shown.count(), 1);
        QDBusConnection::disconnectFromBus(QStringLiteral("second-start"));
    }
};

QTEST_MAIN(ApplicationTest)
#include "ApplicationTest.moc"
