// The requests sent over the session bus to the running program (org.velto.ResvMan1).
// Every call has a deadline.
#pragma once

#include "app/ReservationRequests.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

class ResvManBusClient : public IReservationRequests {
public:
    explicit ResvManBusClient(QDBusConnection connection, int timeoutMs = 30000);

    // How long the bus itself may take to say who owns a name.
    static constexpr int kBusTimeoutMs = 5000;

    // The reservation file of the program that owns the name on this bus; empty when none
    // runs (or it does not offer this interface).
    QString runningProgramFile();
    // The process id of the program that owns the name on this bus, as the bus itself knows
    // it; 0 when none does.
    long runningProgramPid();

    RequestOutcome list(QList<QVariantMap>& out) override;
    RequestOutcome add(QVariantMap const& fields, int& id, int& result) override;
    RequestOutcome remove(QList<int> const& ids) override;
    RequestOutcome setEnabled(QList<int> const& ids, bool enabled) override;
    RequestOutcome exportICalendar(QString& out) override;

    // True when the last call never reached a program (it had just ended): nothing was
    // done, and the request may be carried out on the file instead.
    bool lastCallUndelivered() const { return m_undelivered; }

private:
    RequestOutcome call(QString const& method, QList<QVariant> const& arguments,
                        QDBusMessage& reply);

    QDBusConnection m_connection;
    int m_timeoutMs;
    bool m_undelivered = false;
};
