// A stand-in for the desktop's notification service (org.freedesktop.Notifications): keeps
// every notification it is asked to show, and lets a test play the user, who clicks an
// action or dismisses one. Register it on a bus under that name at
// /org/freedesktop/Notifications.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class StandInNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        uint id = 0;
        QString appName;
        QString icon;
        QString summary;
        QString body;
        QStringList actions; // key, label, key, label, ...
        QVariantMap hints;
        int timeout = 0;
        bool open = true;
    };

    QList<Shown> shown;
    QList<uint> closedByCaller; // CloseNotification calls, in order
    QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};
    // Called after each Notify (a logging stand-in writes it out).
    std::function<void(Shown const&)> onNotify;

    Shown const* find(uint id) const {
        for (auto const& s : shown) {
            if (s.id == id) {
                return &s;
            }
        }
        return nullptr;
    }

    // The user clicks an action: the service reports it and takes the notification away.
    void invoke(uint id, QString const& key) {
        emit ActionInvoked(id, key);
        close(id, 2);
    }
    // The user dismisses it (2), or it expires (1).
    void close(uint id, uint reason) {
        for (auto& s : shown) {
            if (s.id == id && s.open) {
                s.open = false;
                emit NotificationClosed(id, reason);
            }
        }
    }

public slots:
    uint Notify(QString const& appName, uint replacesId, QString const& icon,
                QString const& summary, QString const& body, QStringList const& actions,
                QVariantMap const& hints, int timeout) {
        Shown s{replacesId != 0 ? replacesId : m_next++,
                appName,
                icon,
                summary,
                body,
                actions,
                hints,
                timeout,
                true};
        shown.append(s);
        if (onNotify) {
            onNotify(s);
        }
        return s.id;
    }
    void CloseNotification(uint id) {
        closedByCaller.append(id);
        close(id, 3);
    }
    QStringList GetCapabilities() { return capabilities; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = QStringLiteral("ResvMan tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("stand-in");
    }

signals:
    void ActionInvoked(uint id, QString const& actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    uint m_next = 7;
};
