// The application: brings the program up in its fixed order, tells the companion when this
// program is shown again, keeps track of the wake-up helper, and takes the program down.
#pragma once

#include "platform/linux/HelperSearch.h"

#include <QObject>
#include <QString>

#include <functional>

class ICompanionBus;
class IPrivilegedOps;
class ISettings;
class MainWindow;

class Application : public QObject {
    Q_OBJECT
public:
    // Nothing is owned; all must outlive the application.
    Application(MainWindow& window, ICompanionBus& bus, ISettings& settings,
                IPrivilegedOps& privileged, QObject* parent = nullptr);
    ~Application() override; // shutDown()

    // Before the start: finds the wake-up helper.
    void setUp();
    // The start-up, in this order: power management attached (powerManagementNeeded), the
    // companion's messages observed (companionMessagesNeeded), the administrator's password
    // asked for when waking or shutting down is on, the reservations read and the watch loop
    // started (reservationsLoaded follows), the window shown.
    void start();
    // Any way out of the process comes here, possibly more than once: a tool run under way
    // gives up at once, and the planning thread ends before what it uses goes.
    void shutDown();

    // Why waking and shutting down are unavailable, in words; "" when the helper is there.
    QString helperProblem() const;
    // After an installation: takes the helper now found (a permission obtained for another
    // one is dropped).
    void refreshHelper();
    // The main window's line while waking or shutting down is on but cannot be done.
    void updateHelperNotice();
    // Stands in for the search of the installed helper (tests).
    void setHelperFinder(std::function<HelperSearch()> finder) { m_findHelper = std::move(finder); }

signals:
    // Step one of the start: the sleep veto is to attach to the system's power management.
    void powerManagementNeeded();
    // Step two: the companion's hide and unhide messages are to be observed.
    void companionMessagesNeeded();
    // The reservations are read: the sleep rule may look at them from now on.
    void reservationsLoaded();

private:
    HelperSearch findHelper() const;
    // The application was shown again, whatever showed it: the companion is told.
    void applicationShown();

    MainWindow& m_window;
    ICompanionBus& m_bus;
    ISettings& m_settings;
    IPrivilegedOps& m_privileged;
    std::function<HelperSearch()> m_findHelper;
    HelperSearch m_helper;
};
