// Hiding and showing the whole program, and what it tells the companion about it.
#include "ui/ApplicationVisibility.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

#include "tests/support/FakeEngineServices.h"

#include <QAction>
#include <QDialog>
#include <QMainWindow>
#include <QTest>

#include <memory>

class MainWindowHideTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEngineServices> m_services;
    std::unique_ptr<MainWindow> m_window;
    QMetaObject::Connection m_unhidePost;

    std::vector<FakeCompanionBus::Post> posts() { return m_services->bus.posts(); }

private slots:
    void init() {
        m_services = std::make_unique<FakeEngineServices>();
        m_window = std::make_unique<MainWindow>(m_services->services());
        ApplicationVisibility& visibility = ApplicationVisibility::instance();
        visibility.unhide(); // every case starts shown
        // What the application does with a real hidden-to-shown change.
        m_unhidePost = connect(&visibility, &ApplicationVisibility::shownAgain, this,
                               [this] { m_services->bus.post(kUnhideMessage, std::nullopt, {}); });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() {
        disconnect(m_unhidePost);
        m_window.reset();
        m_services.reset();
    }

    void closeBoxHidesAndTheWindowStays() {
        QWidget* const window = m_window.get();
        QVERIFY(!window->close()); // the close box: refused, the program hides instead
        QVERIFY(!window->isVisible());
        QVERIFY(ApplicationVisibility::instance().isHidden());
        QVERIFY(posts().empty());

        m_window->companionShown();
        QVERIFY(window->isVisible());
    }

    // Every shown window goes and comes back; one that was not shown stays away.
    void hideTakesEveryWindowAndOnlyThose() {
        QDialog extra;
        extra.show();
        QDialog notShown;
        m_window->hideApplication();
        QVERIFY(!m_window->isVisible() && !extra.isVisible());
        m_window->companionShown();
        QVERIFY(m_window->isVisible() && extra.isVisible());
        QVERIFY(!notShown.isVisible());
    }

    void hideCommandsPostNothing() {
        m_window->hideApplication();
        QVERIFY(!m_window->isVisible());
        m_window->companionShown();
        m_window->action(MainWindow::Action::CloseWindow)->trigger();
        QVERIFY(!m_window->isVisible());
        m_window->companionShown();
        m_window->companionHid(); // the companion's hide
        QVERIFY(!m_window->isVisible());

        auto const all = posts();
        QCOMPARE(all.size(), size_t(2)); // only the two shows were reported
        for (auto const& p : all) {
            QCOMPARE(p.name, std::string(kUnhideMessage));
        }
    }

    void dualClosePostsOneHideThenHides() {
        bool shownWhenPosted = false;
        QObject scope; // the connection ends with this case
        connect(&ApplicationVisibility::instance(), &ApplicationVisibility::hidden, &scope,
                [this, &shownWhenPosted] { shownWhenPosted = posts().size() == 1; });
        m_window->action(MainWindow::Action::CloseTogether)->trigger();
        QVERIFY(!m_window->isVisible());
        QVERIFY(shownWhenPosted); // posted first, then hidden
        auto const all = posts();
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(all[0].name, std::string(kHideMessage));
        QCOMPARE(all[0].object, std::optional<std::string>("message"));
        QVERIFY(all[0].values.empty());
    }

    // Shown again: exactly one unhide report per real change, none while already shown.
    void unhideReportsOnlyRealChanges() {
        m_window->companionShown(); // already shown
        QVERIFY(posts().empty());

        m_window->companionHid();
        m_window->companionHid(); // hiding twice is still one hidden state
        m_window->companionShown();
        QVERIFY(m_window->isVisible());
        m_window->companionShown();
        auto const all = posts();
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(all[0].name, std::string(kUnhideMessage));
        QCOMPARE(all[0].object, std::optional<std::string>());
        QVERIFY(all[0].values.empty());
    }

    // The tray icon brings the program back the same way, and reports it once.
    void trayIconShowsTheProgram() {
        int exits = 0;
        TrayIcon tray{QIcon()};
        connect(&tray, &TrayIcon::exitRequested, this, [&exits] { ++exits; });
        m_window->hideApplication();
        tray.activate(QSystemTrayIcon::Context); // the menu opens, nothing else
        QVERIFY(!m_window->isVisible());
        tray.activate(QSystemTrayIcon::Trigger);
        QVERIFY(m_window->isVisible());
        tray.activate(QSystemTrayIcon::Trigger); // already shown: brought forward only
        tray.showAction()->trigger();
        QCOMPARE(posts().size(), size_t(1));

        tray.exitAction()->trigger();
        QCOMPARE(exits, 1);
    }

    // A window that was minimized before hiding comes back usable.
    void unhideRestoresAMinimizedWindow() {
        m_window->showMinimized();
        m_window->hideApplication();
        m_window->companionShown();
        QVERIFY(m_window->isVisible());
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
    }
};

QTEST_MAIN(MainWindowHideTest)
#include "MainWindowHideTest.moc"
