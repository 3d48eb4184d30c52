// Keeps the machine from sleeping on its own while a recording is due. About once a second
// the sleep rule is asked whether it would veto an idle-sleep query; exactly while it
// would, this holds a systemd-logind inhibitor for "idle" (mode "block") and the desktop's
// idle inhibitor (org.freedesktop.ScreenSaver, where one runs). Both go the moment the rule
// permits again. Only idle sleep is inhibited: a sleep or shut-down the user asks for is
// never held up.
#pragma once

#include "platform/IUserDefaults.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class QDBusPendingCallWatcher;

class SleepVeto : public QObject {
    Q_OBJECT
public:
    // The start of the next enabled reservation after now (seconds since 1970 UTC), if any.
    using NextStart = std::function<std::optional<double>()>;
    using Clock = std::function<double()>;

    // The system bus ($DBUS_SYSTEM_BUS_ADDRESS honoured), the session bus, the real clock.
    SleepVeto(IUserDefaults& defaults, NextStart nextStart, QObject* parent = nullptr);
    SleepVeto(IUserDefaults& defaults, NextStart nextStart, QDBusConnection const& system,
              QDBusConnection const& session, Clock clock, QObject* parent = nullptr);
    ~SleepVeto() override;

    // Attaches to the system's power management without waiting: asks the system bus
    // whether logind is there and goes on when the answer comes (attached is emitted then).
    // Without a system bus or without logind it writes "IORegisterForSystemPower failed" to
    // standard output and never vetoes; the program runs on. Call once, on the main thread.
    void Register();
    // The reservations are loaded: the rule may be looked at from now on. The first look
    // comes once both this and the attachment happened, then about once a second.
    void Start();

    // One look at the rule, as the timer does it; exposed for tests.
    void Evaluate();

    bool registered() const { return m_registered; }
    bool vetoing() const { return m_want; }
    bool holdsLogindInhibitor() const { return m_logindFd >= 0; }
    bool holdsScreenSaverInhibitor() const { return m_screenSaverCookie.has_value(); }

signals:
    // Register's outcome: true when logind is there.
    void attached(bool attachedToLogind);

private:
    struct Backoff {
        std::chrono::steady_clock::time_point until{};
        bool active() const { return std::chrono::steady_clock::now() < until; }
    };

    void onLogindFound(bool found);
    void acquire();
    void release();
    void onLogindReply(QDBusPendingCallWatcher* watcher);
    void onScreenSaverReply(QDBusPendingCallWatcher* watcher);
    void unInhibitScreenSaver(uint cookie);
    QString who() const;

    IUserDefaults& m_defaults;
    NextStart m_nextStart;
    QDBusConnection m_system;
    QDBusConnection m_session;
    Clock m_clock;
    QTimer m_timer;
    bool m_registering = false;
    bool m_registered = false;
    bool m_started = false;
    bool m_want = false;

    int m_logindFd = -1;
    bool m_logindPending = false;
    Backoff m_logindBackoff;

    std::optional<uint> m_screenSaverCookie;
    bool m_screenSaverPending = false;
    Backoff m_screenSaverBackoff;
};
