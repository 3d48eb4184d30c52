// The application controller: start-up order, the authorization rule, the unhide report,
// termination; and the program's bundle folder and one-instance rules.
#include "app/AppController.h"
#include "app/BundleLocation.h"
#include "app/SingleInstance.h"
#include "platform/linux/AdminAuthorization.h"
#include "ui/ApplicationVisibility.h"
#include "ui/ImageBtnCtrl.h"
#include "ui/ResvManDlgController.h"
#include "ui/ResvManWindow.h"

#include "tests/support/FakeEngineServices.h"

#include <QDBusConnection>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records the order of the start-up steps as the window sees them.
class ShowRecorder : public QObject {
public:
    ShowRecorder(QStringList* steps, ResvManDlgController* con) : m_steps(steps), m_con(con) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            *m_steps << (m_con->m_Schedule ? "showWindow(after initInstance)" : "showWindow");
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QStringList* m_steps;
    ResvManDlgController* m_con;
};

} // namespace

class TestAppController : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEngineServices> m_fakes;
    std::unique_ptr<ResvManWindow> m_window;
    std::unique_ptr<ResvManDlgController> m_con;
    std::unique_ptr<AppController> m_app;
    QStringList m_steps;
    QMap<QString, std::function<void()>> m_observers;

    void assemble() {
        m_fakes = std::make_unique<FakeEngineServices>(1.9e9);
        m_window = std::make_unique<ResvManWindow>();
        m_con = std::make_unique<ResvManDlgController>(m_fakes->services());
        m_app = std::make_unique<AppController>();
        m_window->connectController(m_con.get());
        m_con->appCon = m_app.get();
        m_con->m_notifications = &m_fakes->notifications;
        m_app->resvManCon = m_con.get();
        m_app->m_notifications = &m_fakes->notifications;
        m_app->m_defaults = &m_fakes->defaults;
        m_steps.clear();
        m_observers.clear();
        m_app->registerSleepVeto = [this](std::function<bool(double*)> nextStart) {
            m_steps << "sleep";
            QVERIFY(nextStart);
        };
        m_app->startSleepVeto = [this] {
            m_steps << (m_con->m_Schedule ? "sleep rule(after the list is loaded)" : "sleep rule");
        };
        m_app->addObserver = [this](char const* name, std::function<void()> handler) {
            m_steps << QString::fromLatin1(name);
            m_observers.insert(QString::fromLatin1(name), std::move(handler));
        };
        m_app->startupAuthorization = [this](AuthorizationRef*) {
            m_steps << (m_con->m_Schedule ? "authorization(late)" : "authorization");
            return true;
        };
        m_window->installEventFilter(new ShowRecorder(&m_steps, m_con.get()));
        m_con->awakeFromNib();
        m_app->awakeFromNib();
    }

    int unhidePosts() {
        int count = 0;
        for (auto const& post : m_fakes->notifications.posts()) {
            if (post.name == kNotifySendUnHide) {
                ++count;
                if (post.object.has_value() || !post.userInfo.empty()) {
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
        m_con.reset();
        m_window.reset();
        m_fakes.reset();
    }

    void startUpRunsInItsOrder_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("asks");
        QTest::newRow("no settings") << QString() << 0 << false;
        QTest::newRow("SHUTDOWN 1") << QString(kDefaultsShutdown) << 1 << true;
        QTest::newRow("USEACPI 1") << QString(kDefaultsUseAcpi) << 1 << true;
        QTest::newRow("USEACPI 0") << QString(kDefaultsUseAcpi) << 0 << false;
    }

    void startUpRunsInItsOrder() {
        QFETCH(QString, key);
        QFETCH(int, value);
        QFETCH(bool, asks);
        assemble();
        if (!key.isEmpty()) {
            m_fakes->defaults.setInteger(key.toStdString(), value);
        }
        m_app->applicationDidFinishLaunching();

        QStringList expected{"sleep", kNotifyCompanionHide, kNotifyCompanionUnHide};
        if (asks) {
            expected << "authorization";
        }
        expected << "sleep rule(after the list is loaded)"
                 << "showWindow(after initInstance)";
        QCOMPARE(m_steps, expected);
        // initInstance did its work: the list, the buttons, the window.
        QVERIFY(m_con->m_Schedule);
        QCOMPARE(m_window->m_btnAdd->title(), QStringLiteral("IDS_ADD")); // no translator
        QCOMPARE(m_window->m_btnExit->title(), QStringLiteral("IDS_EXIT"));
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_window->m_btnDelete->status(), 3); // nothing selected yet
    }

    void companionMessagesHideAndShow() {
        assemble();
        m_app->applicationDidFinishLaunching();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        // Shown already: an unhide request changes nothing and posts nothing.
        m_observers.value(kNotifyCompanionUnHide)();
        QCOMPARE(unhidePosts(), 0);

        m_observers.value(kNotifyCompanionHide)();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_fakes->notifications.posts().size(), std::size_t(0)); // a silent hide

        m_observers.value(kNotifyCompanionUnHide)();
        QVERIFY(m_window->isVisible());
        QCOMPARE(unhidePosts(), 1); // no object, no info
        m_observers.value(kNotifyCompanionUnHide)();
        QCOMPARE(unhidePosts(), 1);
    }

    void sleepVetoAsksForTheNextStart() {
        assemble();
        std::function<bool(double*)> nextStart;
        m_app->registerSleepVeto = [&nextStart](std::function<bool(double*)> f) {
            nextStart = std::move(f);
        };
        m_app->applicationDidFinishLaunching();
        double date = 0.0;
        QVERIFY(!nextStart(&date)); // an empty list
        SCHEDULEITEM_TAG rec;
        rec.dStartTime = 1.9e9 + 3600.0;
        rec.dEndTime = rec.dStartTime + 600.0;
        rec.uFreq = 954;
        SCHEDULE_RETURN result;
        m_con->m_Schedule->addSchedule(&rec, result, 1);
        QVERIFY(nextStart(&date));
        QCOMPARE(date, 1.9e9 + 3600.0);
    }

    void terminationFreesOnceAndAgainSafely() {
        assemble();
        QVERIFY(AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults,
                                    &m_app->m_Authorization) == errAuthorizationSuccess);
        QVERIFY(m_app->m_Authorization);
        m_app->_pszExePath = static_cast<char*>(std::malloc(8));
        std::strcpy(m_app->_pszExePath, "/x/tool");
        m_app->_unExePathLength = 7;
        m_app->applicationWillTerminate();
        QVERIFY(!m_app->m_Authorization);
        QVERIFY(!m_app->_pszExePath);
        QCOMPARE(m_app->_unExePathLength, 0);
        m_app->applicationWillTerminate(); // aboutToQuit and the end of main both call it
    }

    // Waking or shutting down on without the helper: a line in the main window until the
    // helper is installed, when the new tool is taken and the right is asked for anew.
    void missingHelperIsShownUntilInstalled() {
        assemble();
        HelperSearch found;
        m_app->findHelper = [&found] { return found; };
        m_app->RefreshHelper();
        auto shown = [this] { return m_con->m_noticeArea->hasNotice(NoticeKind::WakeHelper); };
        m_app->UpdateHelperNotice();
        QVERIFY(!shown()); // neither is on
        m_fakes->defaults.setInteger(kDefaultsShutdown, 1);
        m_app->UpdateHelperNotice();
        QVERIFY(shown());
        QVERIFY(!m_app->HelperProblem().isEmpty());
        // A plan that failed for want of the helper adds no second line saying the same.
        m_con->helperMissing = [this] { return !m_app->HelperProblem().isEmpty(); };
        PlanOutcome failed;
        failed.shutdownOn = true;
        failed.failure = PrivilegedFailure::Unavailable;
        m_con->ShowPlanOutcome(failed);
        QVERIFY(!m_con->m_noticeArea->hasNotice(NoticeKind::WakePlan));

        QCOMPARE(AuthorizationCreate(nullptr, nullptr, 0, &m_app->m_Authorization),
                 errAuthorizationSuccess);
        found.tool = "/usr/local/libexec/resvman/schedule";
        m_app->RefreshHelper();
        QVERIFY(!m_app->m_Authorization);
        QCOMPARE(QString::fromUtf8(m_app->_pszExePath), QString::fromStdString(found.tool));
        QCOMPARE(m_app->_unExePathLength, int32_t(found.tool.size()));
        m_app->UpdateHelperNotice();
        QVERIFY(!shown());
        QVERIFY(m_app->HelperProblem().isEmpty());
    }

    void bundleFolderRule() {
        QCOMPARE(BundleLocation::BundleFolderOf("/b/build/bundle/ResvMan.app"),
                 std::string("/b/build/bundle"));
        QCOMPARE(BundleLocation::BundleFolderOf("/media/usb/ResvMan.app/"),
                 std::string("/media/usb"));
        QCOMPARE(BundleLocation::BundleFolderOf("/ResvMan.app"), std::string("/"));
        QCOMPARE(BundleLocation::BundleFolderOf("/usr/bin"), std::string());
        QCOMPARE(BundleLocation::BundleFolderOf("/opt/.app"), std::string());
        // Installed, or the bundle's folder passed over: the user's data folder.
        QCOMPARE(BundleLocation::PerUserFolder("/home/u/data", "/home/u"),
                 std::string("/home/u/data/resvman"));
        QCOMPARE(BundleLocation::PerUserFolder("", "/home/u"),
                 std::string("/home/u/.local/share/resvman"));
        QCOMPARE(BundleLocation::PerUserFolder("relative/data", "/home/u"),
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
            return BundleLocation::Choose(apps + "/ResvMan.app", data, root, trust::ForThisUser());
        };
        BundleLocation::Choice choice = choose();
        QCOMPARE(choice.folder, apps);
        QVERIFY(choice.passedOver.ok());
        QCOMPARE(BundleLocation::Report(choice), std::string());

        // A folder everyone may write: the per-user folder, made private, and said so.
        ::chmod(apps.c_str(), 0777);
        choice = choose();
        QCOMPARE(choice.folder, data + "/resvman");
        QCOMPARE(choice.passedOver.problem, trust::Problem::WritableByOther);
        struct stat st {};
        QCOMPARE(::stat(choice.folder.c_str(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0700u);
        QVERIFY(BundleLocation::Report(choice).find("using " + data + "/resvman instead") !=
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
        QVERIFY(BundleLocation::Report(choice).find("no safe folder") != std::string::npos);
    }

    void lockKeepsASecondProcessOut() {
        QTemporaryDir dir;
        int fd = -1;
        QCOMPARE(InstanceLock::Acquire(dir.path().toStdString(), &fd),
                 InstanceLock::Result::Acquired);
        QCOMPARE(InstanceLock::Acquire(dir.path().toStdString()),
                 InstanceLock::Result::HeldByOther);
        ::close(fd); // the holder ends
        QCOMPARE(InstanceLock::Acquire(dir.path().toStdString(), &fd),
                 InstanceLock::Result::Acquired);
        ::close(fd);
        QCOMPARE(InstanceLock::Acquire("/nonexistent-folder/x"), InstanceLock::Result::Unavailable);
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

QTEST_MAIN(TestAppController)
#include "tst_appcontroller.moc"
