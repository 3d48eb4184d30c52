// Keeping the machine from sleeping on its own: while inhibited, a systemd-logind inhibitor
// for "idle" (mode "block") and the desktop's idle inhibitor (org.freedesktop.ScreenSaver,
// where one runs) are held; both go the moment it is not. Only idle sleep is inhibited: a
// sleep or shut-down the user asks for is never held up. Nothing here waits for the bus.
#pragma once

#include "platform/IIdleInhibitor.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

class QDBusPendingCallWatcher;

class IdleInhibitor : public QObject, public IIdleInhibitor {
    Q_OBJECT
public:
    // The system bus ($DBUS_SYSTEM_BUS_ADDRESS honoured) and the session bus.
    explicit IdleInhibitor(QObject* parent = nullptr);
    IdleInhibitor(QDBusConnection const& system, QDBusConnection const& session,
                  QObject* parent = nullptr);
    ~IdleInhibitor() override;

    // Attaches to the system's power management without waiting: asks the system bus
    // whether logind is there and goes on when the answer comes (attached is emitted then).
    // Without a system bus or without logind it writes "IORegisterForSystemPower failed" to
    // standard output and never inhibits; the program runs on. Call once, on the main thread.
    void attach();
    bool isAttached() const { return m_attached; }

    // Ignored until attached.
    void setInhibited(bool inhibited) override;
    bool inhibited() const { return m_want; }
    bool holdsLogindInhibitor() const { return m_logindFd >= 0; }
    bool holdsScreenSaverInhibitor() const { return m_screenSaverCookie.has_value(); }

signals:
    // attach()'s outcome: true when logind is there.
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

    QDBusConnection m_system;
    QDBusConnection m_session;
    bool m_attaching = false;
    bool m_attached = false;
    bool m_want = false;

    int m_logindFd = -1;
    bool m_logindPending = false;
    Backoff m_logindBackoff;

    std::optional<uint> m_screenSaverCookie;
    bool m_screenSaverPending = false;
    Backoff m_screenSaverBackoff;
};
