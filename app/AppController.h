// The application's controller: brings the program up in its fixed order, tells the
// companion when this program is shown again, answers the system's sleep questions, and
// is the gateway to the privileged schedule tool.
#pragma once

#include "platform/IPrivilegedOps.h"
#include "platform/linux/ScheduleToolPath.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <mutex>

class ResvManDlgController;
class INotificationCenter;
class IUserDefaults;
struct AuthorizationOpaqueRef;
using AuthorizationRef = AuthorizationOpaqueRef*;

class AppController : public QObject, public IPrivilegedOps {
    Q_OBJECT
public:
    explicit AppController(QObject* parent = nullptr);
    ~AppController() override;

    // Start-up and termination.
    void awakeFromNib();
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void applicationDidUnhide();

    // Privileged schedule tool. The three operations are made on the planning thread and
    // wait for the tool; the authorization and the tool path are shared under a lock.
    bool GetAuthorization(AuthorizationRef* authorization);
    bool SettingWakeTime(double instant) override;   // seconds since 1970 UTC
    bool ForceShutDownTime(double instant) override; // seconds since 1970 UTC
    bool cancelScheduleWake(int kind) override;
    PrivilegedFailure lastFailure() override;

    // The wake-up helper (the schedule tool and its broker, an installation of root's):
    // found at awakeFromNib, looked for again by RefreshHelper.
    HelperSearch m_helper;
    // Why waking and shutting down are unavailable, in words; "" when the helper is there.
    QString HelperProblem() const;
    // After an installation: takes the helper now found, and drops an authorization that
    // was obtained while there was none, so that the next run asks for the right anew.
    void RefreshHelper();
    // The main window's line while waking or shutting down is on but cannot be done.
    void UpdateHelperNotice();

    // Sleep veto.
    void SleepNotification();
    bool GetScheduleNearDateTimePipe(double* date);

    ResvManDlgController* resvManCon = nullptr; // not owned
    int32_t _unExePathLength = 0;
    char* _pszExePath = nullptr; // owned
    AuthorizationRef m_Authorization = nullptr;

    // Collaborators, connected by the application's assembly before awakeFromNib.
    INotificationCenter* m_notifications = nullptr;
    IUserDefaults* m_defaults = nullptr;

    // Platform attachments, also connected by the assembly (tests record the calls).
    // Observes a distributed notification by name; the handler runs on the main thread.
    std::function<void(char const* name, std::function<void()> handler)> addObserver;
    // Attaches the sleep veto with its source of the next reservation's start.
    std::function<void(std::function<bool(double*)> nextStart)> registerSleepVeto;
    // Lets the attached veto look at the rule: the reservations are loaded.
    std::function<void()> startSleepVeto;
    // Stands in for GetAuthorization at start-up when set (tests: no password request).
    std::function<bool(AuthorizationRef*)> startupAuthorization;
    // Stands in for the search of the installed helper when set (tests).
    std::function<HelperSearch()> findHelper;

private:
    template <typename Operation> bool RunPrivileged(Operation operation);

    // Held across a whole tool run: guards m_Authorization, the tool path and m_lastFailure.
    std::mutex m_toolMutex;
    PrivilegedFailure m_lastFailure = PrivilegedFailure::None;
};
