// The stand-in companion's ears: owns the companion's bus name and appends one JSON line
// per notification it hears to a log, so that tests and demos can see exactly what this
// program sent and when.
#pragma once

#include "platform/CompanionReport.h"

#include <QDBusConnection>
#include <QFile>
#include <QJsonObject>
#include <QObject>
#include <QString>

class QDBusMessage;

// How the stand-in answers a recording message: not at all (as an older companion), or with
// a start report at once and a finished report after `after` seconds.
struct StandInReply {
    bool enabled = false;
    ReportResult result = ReportResult::Recorded;
    std::string reason;
    std::string reasonText;
    std::string file;    // "": none
    double seconds = -1; // < 0: the programme's length
    int32_t dropouts = 0;
    std::string source = "receiver";
    int after = 0; // seconds from the message to the finished report
};

class StandInRecorder : public QObject {
    Q_OBJECT
public:
    StandInRecorder(QDBusConnection connection, QString path, QString busName, QString logPath,
                    StandInReply reply = {});

    // Opens the log, takes the bus name and starts listening. False (with a line in the log
    // where possible) when the name is taken or the bus or the log cannot be used.
    bool start();

private slots:
    void onSignal(QDBusMessage const& message);

private:
    void writeLine(QJsonObject line);
    void answer(QDBusMessage const& message);
    void post(CompanionReport const& report);

    QDBusConnection m_connection;
    QString m_path;
    QString m_busName;
    QString m_logPath;
    QFile m_log;
    StandInReply m_reply;
};
