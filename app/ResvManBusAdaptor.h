// The running program's scripting interface on the session bus: org.velto.ResvMan1 on
// /org/velto/ResvMan (beside the org.velto.ResvMan interface that a second start uses).
// Every call ends in the same requests as the command line (app/ReservationRequests.h);
// a refused one gets the error org.velto.ResvMan1.Error.Refused with the message the
// command line prints. docs/dbus-interface.md describes it for script authors.
#pragma once

#include "app/ReservationRequests.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>

inline constexpr char const* kResvManApiInterface = "org.velto.ResvMan1";
inline constexpr char const* kResvManErrorRefused = "org.velto.ResvMan1.Error.Refused";
inline constexpr char const* kResvManErrorFailed = "org.velto.ResvMan1.Error.Failed";

class ResvManBusAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velto.ResvMan1")
    Q_CLASSINFO("D-Bus Introspection",
                "  <interface name=\"org.velto.ResvMan1\">\n"
                "    <method name=\"List\">\n"
                "      <arg name=\"reservations\" type=\"aa{sv}\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"Add\">\n"
                "      <arg name=\"fields\" type=\"a{sv}\" direction=\"in\"/>\n"
                "      <arg name=\"id\" type=\"i\" direction=\"out\"/>\n"
                "      <arg name=\"result\" type=\"i\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"Remove\">\n"
                "      <arg name=\"ids\" type=\"ai\" direction=\"in\"/>\n"
                "    </method>\n"
                "    <method name=\"SetEnabled\">\n"
                "      <arg name=\"ids\" type=\"ai\" direction=\"in\"/>\n"
                "      <arg name=\"enabled\" type=\"b\" direction=\"in\"/>\n"
                "    </method>\n"
                "    <method name=\"ExportICalendar\">\n"
                "      <arg name=\"calendar\" type=\"s\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <signal name=\"Changed\"/>\n"
                "    <property name=\"ReservationFile\" type=\"s\" access=\"read\"/>\n"
                "  </interface>\n")
    Q_PROPERTY(QString ReservationFile READ ReservationFile)

public:
    // registered: the object exported on /org/velto/ResvMan with adaptors, on connection.
    ResvManBusAdaptor(QObject* registered, QDBusConnection connection);

    // Where the calls go; null refuses them (before start-up ends and once exit began).
    void setRequests(IReservationRequests* requests);
    // The reservation file, so that a command line can tell whether it means this program.
    void setReservationFile(QString path);
    // A value that changes whenever the reservations do; Changed is sent when it moved.
    void setFingerprint(std::function<uint64_t()> fingerprint);

    QString ReservationFile() const { return m_file; }

    // The calls; each takes the message last, so that a refusal can be answered with an
    // error.
public slots:
    QList<QVariantMap> List(QDBusMessage const& message);
    int Add(QVariantMap const& fields, QDBusMessage const& message, int& result);
    void Remove(QList<int> const& ids, QDBusMessage const& message);
    void SetEnabled(QList<int> const& ids, bool enabled, QDBusMessage const& message);
    QString ExportICalendar(QDBusMessage const& message);

    // Called after every redraw of the window's table, which follows every change.
    void checkChanged();

signals:
    void Changed();

private:
    bool answer(RequestOutcome const& outcome, QDBusMessage const& message);

    QDBusConnection m_connection;
    IReservationRequests* m_requests = nullptr;
    QString m_file;
    std::function<uint64_t()> m_fingerprint;
    uint64_t m_lastFingerprint = 0;
};

// The reservations' fingerprint: every field that a list or export shows.
uint64_t reservationFingerprint(ReservationList& list);
