#include "app/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

SingleInstance::SingleInstance(QDBusConnection connection, QString serviceName, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)), m_serviceName(std::move(serviceName)) {}

SingleInstance::Claim SingleInstance::claim() {
    if (!m_connection.isConnected() || !m_connection.interface()) {
        return Claim::NoBus;
    }
    // The object is there before the name, so a second start that sees the name can call it.
    m_connection.registerObject(QString::fromLatin1(kResvManObjectPath), this,
                                QDBusConnection::ExportScriptableSlots |
                                    QDBusConnection::ExportAdaptors);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QDBusReply<QDBusConnectionInterface::RegisterServiceReply> const reply =
            m_connection.interface()->registerService(
                m_serviceName, QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            return Claim::NoBus;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            return Claim::Primary;
        }
        if (askOwnerToShow()) {
            return Claim::Secondary;
        }
        // The owner went away between the two calls: try for the name once more.
    }
    m_connection.unregisterObject(QString::fromLatin1(kResvManObjectPath));
    return Claim::Secondary;
}

bool SingleInstance::askOwnerToShow() {
    QDBusMessage const call = QDBusMessage::createMethodCall(
        m_serviceName, QString::fromLatin1(kResvManObjectPath),
        QString::fromLatin1(kResvManInterface), QStringLiteral("Show"));
    QDBusMessage const answer = m_connection.call(call, QDBus::BlockWithGui, 5000);
    return answer.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::Show() {
    emit showRequested();
}
