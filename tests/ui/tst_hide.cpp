// Hiding and showing the whole program, and what it tells the companion about it.
#include "ui/ApplicationVisibility.h"
#include "ui/ResvManDlgController.h"
#include "ui/ResvManWindow.h"
#include "ui/TrayIcon.h"

#include "tests/support/FakeEngineServices.h"

#include <QAction>
#include <QDialog>
#include <QMainWindow>
#include <QTest>

#include <memory>

class TestHide : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEngineServices> m_services;
    std::unique_ptr<ResvManDlgController> m_controller;
    std::unique_ptr<ResvManWindow> m_window;
    QMetaObject::Connection m_unhidePost;

    std::vector<FakeNotificationCenter::Post> posts() { return m_services->notifications.posts(); }

private slots:
    void init() {
        m_services = std::make_unique<FakeEngineServices>();
        m_controller = std::make_unique<ResvManDlgController>(m_services->services());
        m_controller->m_notifications = &m_services->notifications;
        m_window = std::make_unique<ResvManWindow>();
        m_window->connectController(m_controller.get());
        ApplicationVisibility& visibility = ApplicationVisibility::instance();
        visibility.unhide(); // every case starts shown
        // What the application controller does with a real hidden-to-shown change.
        m_unhidePost = connect(&visibility, &ApplicationVisibility::didUnhide, this, [this] {
            m_services->notifications.postNotification(kNotifySendUnHide, std::nullopt, {});
        });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() {
        disconnect(m_unhidePost);
        m_window.reset();
        m_controller.reset();
        m_services.reset();
    }

    void closeBoxHidesAndTheWindowStays() {
        QWidget* const window = m_window.get();
        QVERIFY(!window->close()); // the close box: refused, the program hides instead
        QVERIFY(!window->isVisible());
        QVERIFY(ApplicationVisibility::instance().isHidden());
        QVERIFY(!m_controller->windowShouldClose(nullptr));
        QVERIFY(posts().empty());

        m_controller->OnDualUnHide(nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(m_controller->m_mainWindow, window);
    }

    // Every shown window goes and comes back; one that was not shown stays away.
    void hideTakesEveryWindowAndOnlyThose() {
        QDialog extra;
        extra.show();
        QDialog notShown;
        m_controller->OnTaskTray(nullptr);
        QVERIFY(!m_window->isVisible() && !extra.isVisible());
        m_controller->OnDualUnHide(nullptr);
        QVERIFY(m_window->isVisible() && extra.isVisible());
        QVERIFY(!notShown.isVisible());
    }

    void hideCommandsPostNothing() {
        m_controller->OnTaskTray(nullptr);
        QVERIFY(!m_window->isVisible());
        m_controller->OnDualUnHide(nullptr);
        m_controller->OnMenuClose(nullptr);
        QVERIFY(!m_window->isVisible());
        m_controller->OnDualUnHide(nullptr);
        m_controller->dualHideOperation(); // the companion's hide
        QVERIFY(!m_window->isVisible());

        auto const all = posts();
        QCOMPARE(all.size(), size_t(2)); // only the two shows were reported
        for (auto const& p : all) {
            QCOMPARE(p.name, std::string(kNotifySendUnHide));
        }
    }

    void dualClosePostsOneHideThenHides() {
        bool shownWhenPosted = false;
        QObject scope; // the connection ends with this case
        connect(&ApplicationVisibility::instance(), &ApplicationVisibility::didHide, &scope,
                [this, &shownWhenPosted] { shownWhenPosted = posts().size() == 1; });
        m_window->m_actDualClose->trigger();
        QVERIFY(!m_window->isVisible());
        QVERIFY(shownWhenPosted); // posted first, then hidden
        auto const all = posts();
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(all[0].name, std::string(kNotifySendHide));
        QCOMPARE(all[0].object, std::optional<std::string>("message"));
        QVERIFY(all[0].userInfo.empty());
    }

    // Shown again: exactly one unhide report per real change, none while already shown.
    void unhideReportsOnlyRealChanges() {
        m_controller->OnDualUnHide(nullptr); // already shown
        QVERIFY(posts().empty());

        m_controller->dualHideOperation();
        m_controller->dualHideOperation(); // hiding twice is still one hidden state
        m_controller->OnDualUnHide(nullptr);
        QVERIFY(m_window->isVisible());
        m_controller->OnDualUnHide(nullptr);
        auto const all = posts();
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(all[0].name, std::string(kNotifySendUnHide));
        QCOMPARE(all[0].object, std::optional<std::string>());
        QVERIFY(all[0].userInfo.empty());
    }

    // The tray icon brings the program back the same way, and reports it once.
    void trayIconShowsTheProgram() {
        int exits = 0;
        TrayIcon tray(QIcon(), [&exits] { ++exits; });
        m_controller->OnTaskTray(nullptr);
        tray.OnActivated(QSystemTrayIcon::Context); // the menu opens, nothing else
        QVERIFY(!m_window->isVisible());
        tray.OnActivated(QSystemTrayIcon::Trigger);
        QVERIFY(m_window->isVisible());
        tray.OnActivated(QSystemTrayIcon::Trigger); // already shown: brought forward only
        tray.m_actShow->trigger();
        QCOMPARE(posts().size(), size_t(1));

        tray.m_actExit->trigger();
        QCOMPARE(exits, 1);
    }

    // A window that was minimized before hiding comes back usable.
    void unhideRestoresAMinimizedWindow() {
        m_window->showMinimized();
        m_controller->OnTaskTray(nullptr);
        m_controller->OnDualUnHide(nullptr);
        QVERIFY(m_window->isVisible());
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
    }
};

QTEST_MAIN(TestHide)
#include "tst_hide.moc"
