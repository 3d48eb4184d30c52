#include "platform/linux/DBusCompanionBus.h"

#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/CompanionBusWire.h"

#include <QDBusMessage>

namespace {
constexpr int kSubscribeTimeoutMs = 2000;
}

DBusCompanionBus::DBusCompanionBus(QObject* parent)
    : DBusCompanionBus(QDBusConnection::sessionBus(), QString::fromLatin1(kCompanionBusPath),
                       parent) {}

DBusCompanionBus::DBusCompanionBus(QDBusConnection const& connection, QString const& path,
                                   QObject* parent)
    : QObject(parent), m_connection(connection), m_path(path) {
    if (!m_connection.isConnected()) {
        return;
    }
    m_listening = m_connection.connect(
        QString(), m_path, QString::fromLatin1(kCompanionBusInterface),
        QString::fromLatin1(kCompanionBusMember), QString::fromLatin1(kCompanionBusSignature), this,
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

DBusCompanionBus::~DBusCompanionBus() {
    if (m_listening) {
        m_connection.disconnect(QString(), m_path, QString::fromLatin1(kCompanionBusInterface),
                                QString::fromLatin1(kCompanionBusMember),
                                QString::fromLatin1(kCompanionBusSignature), this,
                                SLOT(onSignal(QDBusMessage)));
    }
}

bool DBusCompanionBus::post(std::string const& name, std::optional<std::string> const& object,
                            CompanionValues const& values) {
    // QDBusConnection may be used from any thread; m_connection and m_path never change
    // after construction.
    if (!m_connection.isConnected()) {
        return false;
    }
    return m_connection.send(CompanionBusWire::encode(m_path, name, object, values));
}

void DBusCompanionBus::addObserver(std::string const& name, QObject* context,
                                   std::function<void()> callback) {
    addObserver(name, context,
                [callback = std::move(callback)](CompanionMessage const&) { callback(); });
}

void DBusCompanionBus::addObserver(std::string const& name, QObject* context,
                                   std::function<void(CompanionMessage const&)> callback) {
    if (context == nullptr || !callback) {
        return;
    }
    m_observers.push_back(Observer{name, context, std::move(callback)});
}

void DBusCompanionBus::onSignal(QDBusMessage const& message) {
    std::optional<CompanionMessage> received = CompanionBusWire::decode(message);
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
