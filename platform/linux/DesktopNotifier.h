// Desktop notifications through org.freedesktop.Notifications on the session bus, with
// plain QtDBus calls. Nothing waits: each call is asynchronous with a deadline, a desktop
// without the service shows nothing, and action clicks come back as ActionInvoked signals,
// delivered on the main thread.
#pragma once

#include "platform/IDesktopNotifier.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <map>

class QDBusPendingCallWatcher;

class DesktopNotifier : public QObject, public IDesktopNotifier {
    Q_OBJECT
public:
    // How long the service may take to answer a call.
    static constexpr int kCallTimeoutMs = 5000;

    // bus: where the service is looked for (the session bus in the program). appName and
    // icon name this program to the service.
    explicit DesktopNotifier(QDBusConnection const& bus = QDBusConnection::sessionBus(),
                             QString appName = QStringLiteral("ResvMan"),
                             QString icon = QStringLiteral("resvman"), QObject* parent = nullptr);

    int notify(DesktopNotification const& notification) override;
    void close(int handle) override;

    // Notifications asked for and not yet closed, expired or dismissed (tests).
    int shown() const { return static_cast<int>(m_shown.size()); }

private slots:
    void onActionInvoked(uint id, QString const& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    struct Shown {
        uint serverId = 0; // 0 until the service answers
        bool closeWanted = false;
        std::function<void(std::string const&)> onAction;
    };

    void onNotifyReply(int handle, QDBusPendingCallWatcher* watcher);
    void closeOnServer(uint serverId);
    std::map<int, Shown>::iterator findByServerId(uint id);

    QDBusConnection m_bus;
    QString m_appName;
    QString m_icon;
    int m_nextHandle = 1;
    // Whether the service reads markup in the body (its "body-markup" capability): then the
    // body's text is escaped, so that a title such as "<b>" or "Q&A" stays plain text. Taken
    // as yes until the service answers.
    bool m_markup = true;
    std::map<int, Shown> m_shown;
};
