#include "platform/linux/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

QString const kService = QStringLiteral("org.freedesktop.Notifications");
QString const kPath = QStringLiteral("/org/freedesktop/Notifications");
QString const kInterface = QStringLiteral("org.freedesktop.Notifications");

constexpr unsigned char kUrgencyNormal = 1;
constexpr unsigned char kUrgencyCritical = 2;

QDBusMessage Call(QString const& member) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, member);
}

// Bodies may hold markup, which most services draw (and some follow to files and links);
// the texts here are plain, titles included.
QString plainBody(std::string const& text) {
    QString body = QString::fromStdString(text);
    body.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    body.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    body.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    return body;
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection const& bus, QString appName, QString icon,
                                 QObject* parent)
    : QObject(parent), m_bus(bus), m_appName(std::move(appName)), m_icon(std::move(icon)) {
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onNotificationClosed(uint, uint)));
}

int DesktopNotifier::notify(DesktopNotification const& notification) {
    int const handle = m_nextHandle++;
    if (m_nextHandle <= 0) {
        m_nextHandle = 1; // never 0, even after two thousand million notifications
    }
    if (!m_bus.isConnected()) {
        return handle;
    }
    QStringList actions;
    for (auto const& [key, label] : notification.actions) {
        actions << QString::fromStdString(key) << QString::fromStdString(label);
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(notification.critical ? kUrgencyCritical : kUrgencyNormal));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.velto.ResvMan"));
    QDBusMessage call = Call(QStringLiteral("Notify"));
    call << m_appName << uint(0) << m_icon << QString::fromStdString(notification.summary)
         << plainBody(notification.body) << actions << hints
         << int(-1); // the service's own timeout (critical ones stay until dismissed)

    m_shown[handle].onAction = notification.onAction;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, handle](QDBusPendingCallWatcher* w) { onNotifyReply(handle, w); });
    return handle;
}

void DesktopNotifier::onNotifyReply(int handle, QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    QDBusPendingReply<uint> const reply = *watcher;
    auto const it = m_shown.find(handle);
    if (it == m_shown.end()) {
        return;
    }
    if (reply.isError() || reply.value() == 0) {
        m_shown.erase(it); // no service, or it would not show it: nothing to close later
        return;
    }
    it->second.serverId = reply.value();
    if (it->second.closeWanted) {
        closeOnServer(it->second.serverId);
        m_shown.erase(it);
    }
}

void DesktopNotifier::close(int handle) {
    auto const it = m_shown.find(handle);
    if (it == m_shown.end()) {
        return;
    }
    if (it->second.serverId == 0) {
        it->second.closeWanted = true; // closed as soon as the service says which it is
        it->second.onAction = nullptr;
        return;
    }
    closeOnServer(it->second.serverId);
    m_shown.erase(it);
}

void DesktopNotifier::closeOnServer(uint serverId) {
    QDBusMessage call = Call(QStringLiteral("CloseNotification"));
    call << serverId;
    // The answer changes nothing here; the call only must not wait for ever.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            &QDBusPendingCallWatcher::deleteLater);
}

std::map<int, DesktopNotifier::Shown>::iterator DesktopNotifier::findByServerId(uint id) {
    for (auto it = m_shown.begin(); it != m_shown.end(); ++it) {
        if (it->second.serverId == id && id != 0) {
            return it;
        }
    }
    return m_shown.end();
}

void DesktopNotifier::onActionInvoked(uint id, QString const& actionKey) {
    auto const it = findByServerId(id);
    if (it == m_shown.end() || !it->second.onAction) {
        return; // another program's notification, or one closed here already
    }
    // The handler may notify or close again: call a copy, after the bookkeeping.
    auto const onAction = it->second.onAction;
    onAction(actionKey.toStdString());
}

void DesktopNotifier::onNotificationClosed(uint id, uint /*reason*/) {
    auto const it = findByServerId(id);
    if (it != m_shown.end()) {
        m_shown.erase(it);
    }
}
