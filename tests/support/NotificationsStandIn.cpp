// The stand-in notification service as a program of its own, for tests that run the real
// program: owns org.freedesktop.Notifications on the session bus and writes each
// notification it is asked to show as one JSON line to the file named on its command line.
#include "tests/support/StandInNotifications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LOG\n", argv[0]);
        return 2;
    }
    QFile log(QString::fromLocal8Bit(argv[1]));
    if (!log.open(QIODevice::Append | QIODevice::Text)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    StandInNotifications service;
    service.onNotify = [&log](StandInNotifications::Shown const& shown) {
        QJsonObject line{
            {QStringLiteral("id"), static_cast<qint64>(shown.id)},
            {QStringLiteral("app"), shown.appName},
            {QStringLiteral("summary"), shown.summary},
            {QStringLiteral("body"), shown.body},
            {QStringLiteral("actions"), QJsonArray::fromStringList(shown.actions)},
            {QStringLiteral("urgency"), shown.hints.value(QStringLiteral("urgency")).toInt()}};
        log.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
        log.flush();
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "cannot own org.freedesktop.Notifications\n");
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
