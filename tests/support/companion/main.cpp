// velto-standin: a stand-in for the companion tuner application, for tests and demos.
//
//   velto-standin [--log FILE] [--path OBJECT_PATH] [--bus-name NAME]
//       Owns the companion's bus name and logs every notification as a JSON line
//       (to FILE, else $VELTO_STANDIN_LOG, else standard output). Exits with 2 when the
//       name is already taken, so a second start never makes a second companion.
//       With --report RESULT (recorded, partial or failed) it answers every recording
//       message with Velto_Notification_RecordingStarted a second later (not for "failed")
//       and Velto_Notification_RecordingFinished --report-after seconds after that, carrying
//       --reason, --reason-text, --file, --seconds (default: the programme's length),
//       --dropouts and --source. Without it, it never reports, as an older companion.
//   velto-standin --post hide|unhide [--path OBJECT_PATH]
//       Posts Velto_Notification_SendHide or Velto_Notification_SendUnHide (no object, no
//       user info) and exits.
//
// $VELTO_STANDIN_PATH and $VELTO_STANDIN_BUS_NAME stand for --path and --bus-name, and
// $VELTO_STANDIN_REPORT, …_REASON, …_REASON_TEXT, …_FILE, …_SECONDS, …_DROPOUTS, …_SOURCE
// and …_REPORT_AFTER for the report options (for a stand-in the manager starts).
#include "StandInRecorder.h"

#include "platform/linux/BusTypes.h"
#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/DBusCompanionBus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdio>
#include <cstring>

namespace {

QString fromEnv(char const* name, QString const& fallback) {
    QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

int post(QString const& what, QString const& path) {
    char const* name = what == QLatin1String("hide")     ? kCompanionHidMessage
                       : what == QLatin1String("unhide") ? kCompanionShownMessage
                                                         : nullptr;
    if (name == nullptr) {
        std::fputs("velto-standin: --post takes hide or unhide\n", stderr);
        return 64;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    DBusCompanionBus center(bus, path);
    if (!center.post(name, std::nullopt, {})) {
        std::fputs("velto-standin: no session bus\n", stderr);
        return 1;
    }
    // Signals leave in order: once this answer is back, the post has left too.
    bus.call(QDBusMessage::createMethodCall(
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
             QDBus::Block, 2000);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    registerBusTypes();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velto-standin"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in companion for tests and demos"));
    parser.addHelpOption();
    QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("Log file"),
                                 QStringLiteral("file"));
    QCommandLineOption pathOption(QStringLiteral("path"), QStringLiteral("Object path"),
                                  QStringLiteral("path"));
    QCommandLineOption nameOption(QStringLiteral("bus-name"), QStringLiteral("Bus name to own"),
                                  QStringLiteral("name"));
    QCommandLineOption postOption(QStringLiteral("post"),
                                  QStringLiteral("Post hide or unhide and exit"),
                                  QStringLiteral("hide|unhide"));
    parser.addOptions({logOption, pathOption, nameOption, postOption});
    struct Named {
        char const* name;
        char const* env;
        QCommandLineOption option;
    };
    auto named = [](char const* name, char const* env, char const* help) {
        return Named{name, env,
                     QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help),
                                        QStringLiteral("value"))};
    };
    Named reportOptions[] = {
        named("report", "VELTO_STANDIN_REPORT", "Answer with reports: recorded|partial|failed"),
        named("reason", "VELTO_STANDIN_REASON", "The reports' reason key"),
        named("reason-text", "VELTO_STANDIN_REASON_TEXT", "The reports' reason text"),
        named("file", "VELTO_STANDIN_FILE", "The reported file"),
        named("seconds", "VELTO_STANDIN_SECONDS", "The reported seconds"),
        named("dropouts", "VELTO_STANDIN_DROPOUTS", "The reported dropouts"),
        named("source", "VELTO_STANDIN_SOURCE", "receiver|stream"),
        named("report-after", "VELTO_STANDIN_REPORT_AFTER", "Seconds before the finished report"),
    };
    for (Named const& n : reportOptions) {
        parser.addOption(n.option);
    }
    parser.process(app);
    auto valueOf = [&](char const* name) {
        for (Named const& n : reportOptions) {
            if (std::strcmp(n.name, name) == 0) {
                return parser.isSet(n.option) ? parser.value(n.option) : fromEnv(n.env, {});
            }
        }
        return QString();
    };

    QString const path = parser.isSet(pathOption) ? parser.value(pathOption)
                                                  : fromEnv("VELTO_STANDIN_PATH",
                                                            QString::fromLatin1(kCompanionBusPath));
    if (parser.isSet(postOption)) {
        return post(parser.value(postOption), path);
    }

    QString const busName =
        parser.isSet(nameOption)
            ? parser.value(nameOption)
            : fromEnv("VELTO_STANDIN_BUS_NAME", QString::fromLatin1(kCompanionServiceName));
    QString const log =
        parser.isSet(logOption) ? parser.value(logOption) : fromEnv("VELTO_STANDIN_LOG", {});

    StandInReply reply;
    if (QString const result = valueOf("report"); !result.isEmpty()) {
        std::optional<ReportResult> r = reportResultFromName(result.toStdString());
        if (!r) {
            std::fputs("velto-standin: --report takes recorded, partial or failed\n", stderr);
            return 64;
        }
        reply.enabled = true;
        reply.result = *r;
        reply.reason = valueOf("reason").toStdString();
        reply.reasonText = valueOf("reason-text").toStdString();
        reply.file = valueOf("file").toStdString();
        reply.seconds = valueOf("seconds").isEmpty() ? -1.0 : valueOf("seconds").toDouble();
        reply.dropouts = valueOf("dropouts").toInt();
        if (QString const source = valueOf("source"); !source.isEmpty()) {
            reply.source = source.toStdString();
        }
        reply.after = valueOf("report-after").toInt();
    }
    StandInRecorder recorder(QDBusConnection::sessionBus(), path, busName, log, reply);
    if (!recorder.start()) {
        return 2;
    }
    return QCoreApplication::exec();
}
