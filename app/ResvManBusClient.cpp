#include "app/ResvManBusClient.h"

#include "app/ResvManBusAdaptor.h"
#include "app/SingleInstance.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusVariant>

ResvManBusClient::ResvManBusClient(QDBusConnection connection, int timeoutMs)
    : m_connection(std::move(connection)), m_timeoutMs(timeoutMs) {
    qDBusRegisterMetaType<QList<QVariantMap>>();
}

QString ResvManBusClient::runningProgramFile() {
    if (!m_connection.isConnected() || !m_connection.interface()) {
        return QString();
    }
    QString const name = QString::fromLatin1(kResvManBusName);
    if (!m_connection.interface()->isServiceRegistered(name).value()) {
        return QString();
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        name, QString::fromLatin1(kResvManObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QString::fromLatin1(kResvManApiInterface) << QStringLiteral("ReservationFile");
    QDBusMessage const reply = m_connection.call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return QString();
    }
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toString();
}

long ResvManBusClient::runningProgramPid() {
    if (!m_connection.isConnected()) {
        return 0;
    }
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    ask << QString::fromLatin1(kResvManBusName);
    QDBusMessage const reply = m_connection.call(ask, QDBus::Block, kBusTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return 0; // no owner
    }
    return static_cast<long>(reply.arguments().first().toUInt());
}

RequestOutcome ResvManBusClient::call(QString const& method, QList<QVariant> const& arguments,
                                      QDBusMessage& reply) {
    m_undelivered = false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kResvManBusName), QString::fromLatin1(kResvManObjectPath),
        QString::fromLatin1(kResvManApiInterface), method);
    call.setArguments(arguments);
    reply = m_connection.call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return {};
    }
    QString const error = reply.errorName();
    if (error == QLatin1String(kResvManErrorRefused)) {
        return RequestOutcome::refuse(reply.errorMessage());
    }
    m_undelivered = error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
                    error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
    if (error == QLatin1String(kResvManErrorFailed)) {
        return RequestOutcome::fail(reply.errorMessage());
    }
    //% "The running program did not answer (%1)."
    return RequestOutcome::fail(
        qtTrId("IDS_CLI_NO_ANSWER")
            .arg(reply.errorMessage().isEmpty() ? error : reply.errorMessage()));
}

RequestOutcome ResvManBusClient::list(QList<QVariantMap>& out) {
    out.clear();
    QDBusMessage reply;
    RequestOutcome const outcome = call(QStringLiteral("List"), {}, reply);
    if (outcome.ok() && !reply.arguments().isEmpty()) {
        out = qdbus_cast<QList<QVariantMap>>(reply.arguments().first());
    }
    return outcome;
}

RequestOutcome ResvManBusClient::add(QVariantMap const& fields, int& id, int& result) {
    id = -1;
    result = 0;
    QDBusMessage reply;
    RequestOutcome const outcome = call(QStringLiteral("Add"), {fields}, reply);
    if (outcome.ok() && reply.arguments().size() >= 2) {
        id = reply.arguments().at(0).toInt();
        result = reply.arguments().at(1).toInt();
    }
    return outcome;
}

RequestOutcome ResvManBusClient::remove(QList<int> const& ids) {
    QDBusMessage reply;
    return call(QStringLiteral("Remove"), {QVariant::fromValue(ids)}, reply);
}

RequestOutcome ResvManBusClient::setEnabled(QList<int> const& ids, bool enabled) {
    QDBusMessage reply;
    return call(QStringLiteral("SetEnabled"), {QVariant::fromValue(ids), enabled}, reply);
}

RequestOutcome ResvManBusClient::exportICalendar(QString& out) {
    QDBusMessage reply;
    RequestOutcome const outcome = call(QStringLiteral("ExportICalendar"), {}, reply);
    if (outcome.ok() && !reply.arguments().isEmpty()) {
        out = reply.arguments().first().toString();
    }
    return outcome;
}
