#include "platform/linux/DBusNotificationCenter.h"

#include "platform/linux/DBusNames.h"
#include "platform/linux/DBusNotificationWire.h"

#include <QDBusMessage>

namespace {
constexpr int kSubscribeTimeoutMs = 2000;
}

DBusNotificationCenter::DBusNotificationCenter(QObject* parent)
    : DBusNotificationCenter(QDBusConnection::sessionBus(), QString::fromLatin1(kNotificationPath),
                             parent) {}

DBusNotificationCenter::DBusNotificationCenter(QDBusConnection const& connection,
                                               QString const& path, QObject* parent)
    : QObject(parent), m_connection(connection), m_path(path) {
    if (!m_connection.isConnected()) {
        return;
    }
    m_listening = m_connection.connect(
        QString(), m_path, QString::fromLatin1(kNotificationInterface),
        QString::fromLatin1(kNotificationMember), QString::fromLatin1(kNotificationSignature), this,
        SLOT(onSignal(QDBusMessage)));
    if (m_listening) {
        // The match rule goes out without waiting for an answer. One round trip makes sure
        // the bus has it before anyone (the companion we may start next) posts to us.
        QDBusMessage roundTrip = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
        m_connection.call(roundTrip, QDBus::Block, kSubscribeTimeoutMs);
    }
}

DBusNotificationCenter::~DBusNotificationCenter() {
    if (m_listening) {
        m_connection.disconnect(QString(), m_path, QString::fromLatin1(kNotificationInterface),
                                QString::fromLatin1(kNotificationMember),
                                QString::fromLatin1(kNotificationSignature), this,
                                SLOT(onSignal(QDBusMessage)));
    }
}

bool DBusNotificationCenter::postNotification(std::string const& name,
                                              std::optional<std::string> const& object,
                                              NotificationInfo const& userInfo) {
    // QDBusConnection may be used from any thread; m_connection and m_path never change
    // after construction.
    if (!m_connection.isConnected()) {
        return false;
    }
    return m_connection.send(BuildNotificationSignal(m_path, name, object, userInfo));
}

void DBusNotificationCenter::addObserver(std::string const& name, QObject* context,
                                         std::function<void()> callback) {
    addObserver(name, context,
                [callback = std::move(callback)](ReceivedNotification const&) { callback(); });
}

void DBusNotificationCenter::addObserver(
    std::string const& name, QObject* context,
    std::function<void(ReceivedNotification const&)> callback) {
    if (context == nullptr || !callback) {
        return;
    }
    m_observers.push_back(Observer{name, context, std::move(callback)});
}

void DBusNotificationCenter::onSignal(QDBusMessage const& message) {
    std::optional<ReceivedNotification> received = ParseNotificationSignal(message);
    if (!received) {
        return;
    }
    std::erase_if(m_observers, [](Observer const& o) { return o.context.isNull(); });
    // A callback may add observers or destroy a context; work from a copy.
    std::vector<Observer> const observers = m_observers;
    for (Observer const& observer : observers) {
        if (observer.name == received->name && !observer.context.isNull()) {
            observer.callback(*received);
        }
    }
}
