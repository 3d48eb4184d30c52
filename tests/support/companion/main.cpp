// velto-standin: a stand-in for the companion tuner application, for tests and demos.
//
//   velto-standin [--log FILE] [--path OBJECT_PATH] [--bus-name NAME]
//       Owns the companion's bus name and logs every notification as a JSON line
//       (to FILE, else $VELTO_STANDIN_LOG, else standard output). Exits with 2 when the
//       name is already taken, so a second start never makes a second companion.
//   velto-standin --post hide|unhide [--path OBJECT_PATH]
//       Posts Velto_Notification_SendHide or Velto_Notification_SendUnHide (no object, no
//       user info) and exits.
//
// $VELTO_STANDIN_PATH and $VELTO_STANDIN_BUS_NAME stand for --path and --bus-name.
#include "StandInRecorder.h"

#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/DBusCompanionBus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdio>

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
    parser.process(app);

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

    StandInRecorder recorder(QDBusConnection::sessionBus(), path, busName, log);
    if (!recorder.start()) {
        return 2;
    }
    return QCoreApplication::exec();
}
