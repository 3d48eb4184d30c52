// The stand-in companion's ears: owns the companion's bus name and appends one JSON line
// per notification it hears to a log, so that tests and demos can see exactly what this
// program sent and when.
#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QJsonObject>
#include <QObject>
#include <QString>

class QDBusMessage;

class StandInRecorder : public QObject {
    Q_OBJECT
public:
    StandInRecorder(QDBusConnection connection, QString path, QString busName, QString logPath);

    // Opens the log, takes the bus name and starts listening. False (with a line in the log
    // where possible) when the name is taken or the bus or the log cannot be used.
    bool start();

private slots:
    void onSignal(QDBusMessage const& message);

private:
    void writeLine(QJsonObject line);

    QDBusConnection m_connection;
    QString m_path;
    QString m_busName;
    QString m_logPath;
    QFile m_log;
};
