// Records the notification signals on one object path exactly as they come off the bus,
// so that tests can check wire types independently of the code that parses them.
#pragma once

#include "platform/linux/CompanionBusNames.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>

class RawSignalRecorder : public QObject {
    Q_OBJECT
public:
    RawSignalRecorder(QDBusConnection connection, QString const& path)
        : m_connection(std::move(connection)) {
        // No signature filter: foreign shapes must be visible here too.
        m_connection.connect(QString(), path, QString::fromLatin1(kCompanionBusInterface),
                             QString::fromLatin1(kCompanionBusMember), this,
                             SLOT(onSignal(QDBusMessage)));
        m_connection.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                         QStringLiteral("/org/freedesktop/DBus"),
                                                         QStringLiteral("org.freedesktop.DBus"),
                                                         QStringLiteral("GetId")),
                          QDBus::Block, 2000);
    }

    QList<QDBusMessage> messages;

private slots:
    void onSignal(QDBusMessage const& message) { messages.append(message); }

private:
    QDBusConnection m_connection;
};
