#include "StandInRecorder.h"

#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/CompanionBusWire.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <chrono>
#include <unistd.h>

namespace {

double epochSeconds() {
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(since).count() / 1e6;
}

QJsonValue jsonValue(QVariant const& v) {
    switch (v.metaType().id()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Double:
        return v.toDouble();
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v.toDouble();
    default:
        return QJsonValue(); // not a basic type: the tag tells what it was
    }
}

} // namespace

StandInRecorder::StandInRecorder(QDBusConnection connection, QString path, QString busName,
                                 QString logPath, StandInReply reply)
    : m_connection(std::move(connection)), m_path(std::move(path)), m_busName(std::move(busName)),
      m_logPath(std::move(logPath)), m_reply(std::move(reply)) {}

bool StandInRecorder::start() {
    bool opened = false;
    if (m_logPath.isEmpty()) {
        opened = m_log.open(stdout, QIODevice::WriteOnly);
    } else {
        m_log.setFileName(m_logPath);
        opened = m_log.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    if (!opened || !m_connection.isConnected()) {
        return false;
    }
    // Only one companion at a time, as with the real one: a second start leaves at once.
    auto reply = m_connection.interface()->registerService(
        m_busName, QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        writeLine({{QStringLiteral("event"), QStringLiteral("name-taken")},
                   {QStringLiteral("busName"), m_busName}});
        return false;
    }
    if (!m_connection.connect(QString(), m_path, QString::fromLatin1(kCompanionBusInterface),
                              QString::fromLatin1(kCompanionBusMember), this,
                              SLOT(onSignal(QDBusMessage)))) {
        return false;
    }
    // Listening before the start line goes out, so that whoever waits for it may post.
    m_connection.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                     QStringLiteral("/org/freedesktop/DBus"),
                                                     QStringLiteral("org.freedesktop.DBus"),
                                                     QStringLiteral("GetId")),
                      QDBus::Block, 2000);
    writeLine({{QStringLiteral("event"), QStringLiteral("start")},
               {QStringLiteral("busName"), m_busName},
               {QStringLiteral("path"), m_path}});
    return true;
}

void StandInRecorder::onSignal(QDBusMessage const& message) {
    if (message.signature() != QLatin1String(kCompanionBusSignature)) {
        writeLine({{QStringLiteral("event"), QStringLiteral("foreign")},
                   {QStringLiteral("signature"), message.signature()}});
        return;
    }
    QList<QVariant> const args = message.arguments();
    QJsonObject info;
    QDBusArgument const dict = args.at(3).value<QDBusArgument>();
    dict.beginMap();
    while (!dict.atEnd()) {
        QString key;
        QDBusVariant value;
        dict.beginMapEntry();
        dict >> key >> value;
        dict.endMapEntry();
        QVariant const inner = value.variant();
        QString type = QString::fromLatin1(QDBusMetaType::typeToSignature(inner.metaType()));
        if (inner.canConvert<QDBusArgument>()) {
            type = inner.value<QDBusArgument>().currentSignature();
        }
        info.insert(key, QJsonObject{{QStringLiteral("type"), type},
                                     {QStringLiteral("value"), jsonValue(inner)}});
    }
    dict.endMap();

    writeLine({{QStringLiteral("event"), QStringLiteral("notification")},
               {QStringLiteral("name"), args.at(0).toString()},
               {QStringLiteral("object"),
                args.at(2).toBool() ? QJsonValue(args.at(1).toString()) : QJsonValue()},
               {QStringLiteral("userInfo"), info},
               {QStringLiteral("sender"), message.service()}});
    if (m_reply.enabled && args.at(0).toString() == QLatin1String(kRecordMessage)) {
        answer(message);
    }
}

void StandInRecorder::answer(QDBusMessage const& message) {
    std::optional<CompanionMessage> const received = CompanionBusWire::decode(message);
    if (!received) {
        return;
    }
    // The hand-off's entries go back as they came; a mistyped one goes back as its default.
    CompanionReport report;
    for (auto const& [key, value] : received->values) {
        auto const* text = std::get_if<std::string>(&value);
        auto const* number = std::get_if<double>(&value);
        auto const* whole = std::get_if<int32_t>(&value);
        if (key == "Title" && text) {
            report.title = *text;
        } else if (key == "BAND" && text) {
            report.band = *text;
        } else if (key == "RecStartTime" && number) {
            report.recStartTime = *number;
        } else if (key == "RecEndTime" && number) {
            report.recEndTime = *number;
        } else if (key == "CH" && whole) {
            report.ch = *whole;
        }
    }
    report.source = m_reply.source;
    report.kind = ReportKind::Started;
    // A second's pause, as a real companion never answers at once: the hand-over is in
    // the manager's history by then.
    if (m_reply.result != ReportResult::Failed) {
        QTimer::singleShot(1000, this, [this, report] { post(report); });
    }
    report.kind = ReportKind::Finished;
    report.result = m_reply.result;
    report.reason = m_reply.reason;
    report.reasonText = m_reply.reasonText;
    report.file = m_reply.result == ReportResult::Failed ? std::string() : m_reply.file;
    report.seconds = m_reply.result == ReportResult::Failed ? 0.0
                     : m_reply.seconds >= 0                 ? m_reply.seconds
                                            : report.recEndTime - report.recStartTime;
    report.dropouts = m_reply.dropouts;
    QTimer::singleShot(1000 + m_reply.after * 1000, this, [this, report] { post(report); });
}

void StandInRecorder::post(CompanionReport const& report) {
    m_connection.send(CompanionBusWire::encode(m_path, report.messageName(), std::string("message"),
                                               report.toWire()));
}

void StandInRecorder::writeLine(QJsonObject line) {
    line.insert(QStringLiteral("time"), epochSeconds());
    line.insert(QStringLiteral("pid"), static_cast<qint64>(::getpid()));
    m_log.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    m_log.flush();
}
