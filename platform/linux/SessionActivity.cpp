#include "platform/linux/SessionActivity.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

namespace SessionActivity {

void askUserActive(QObject* context, std::function<void(bool)> answer,
                   QDBusConnection const& system) {
    if (!system.isConnected()) {
        answer(true);
        return;
    }
    // "auto": the session of the process that asks.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1/session/auto"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    call << QStringLiteral("org.freedesktop.login1.Session");
    auto* watcher = new QDBusPendingCallWatcher(system.asyncCall(call, 2000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [answer = std::move(answer)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         QDBusPendingReply<QVariantMap> const reply = *w;
                         if (reply.isError()) {
                             answer(true);
                             return;
                         }
                         QVariantMap const properties = reply.value();
                         bool const active =
                             properties.value(QStringLiteral("Active"), true).toBool();
                         bool const idle =
                             properties.value(QStringLiteral("IdleHint"), false).toBool();
                         answer(active && !idle);
                     });
}

} // namespace SessionActivity
