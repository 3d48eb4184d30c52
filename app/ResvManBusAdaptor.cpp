#include "app/ResvManBusAdaptor.h"

#include "store/ReservationRecord.h"

#include <QDBusMetaType>

ResvManBusAdaptor::ResvManBusAdaptor(QObject* registered, QDBusConnection connection)
    : QDBusAbstractAdaptor(registered), m_connection(std::move(connection)) {
    qDBusRegisterMetaType<QList<QVariantMap>>();
}

void ResvManBusAdaptor::setRequests(IReservationRequests* requests) {
    m_requests = requests;
}

void ResvManBusAdaptor::setReservationFile(QString path) {
    m_file = std::move(path);
}

void ResvManBusAdaptor::setFingerprint(std::function<uint64_t()> fingerprint) {
    m_fingerprint = std::move(fingerprint);
    m_lastFingerprint = m_fingerprint ? m_fingerprint() : 0;
}

bool ResvManBusAdaptor::answer(RequestOutcome const& outcome, QDBusMessage const& message) {
    if (outcome.ok()) {
        return true;
    }
    // The error goes instead of the normal reply.
    message.setDelayedReply(true);
    m_connection.send(message.createErrorReply(
        QString::fromLatin1(outcome.kind == RequestOutcome::Kind::Refused ? kResvManErrorRefused
                                                                          : kResvManErrorFailed),
        outcome.message));
    return false;
}

namespace {
RequestOutcome closed() {
    //% "The program is starting or closing. Try again in a moment."
    return RequestOutcome::fail(qtTrId("IDS_REQ_NOT_READY"));
}
} // namespace

QList<QVariantMap> ResvManBusAdaptor::List(QDBusMessage const& message) {
    QList<QVariantMap> out;
    answer(m_requests ? m_requests->list(out) : closed(), message);
    return out;
}

int ResvManBusAdaptor::Add(QVariantMap const& fields, QDBusMessage const& message, int& result) {
    int id = -1;
    result = 0;
    answer(m_requests ? m_requests->add(fields, id, result) : closed(), message);
    return id;
}

void ResvManBusAdaptor::Remove(QList<int> const& ids, QDBusMessage const& message) {
    answer(m_requests ? m_requests->remove(ids) : closed(), message);
}

void ResvManBusAdaptor::SetEnabled(QList<int> const& ids, bool enabled,
                                   QDBusMessage const& message) {
    answer(m_requests ? m_requests->setEnabled(ids, enabled) : closed(), message);
}

QString ResvManBusAdaptor::ExportICalendar(QDBusMessage const& message) {
    QString out;
    answer(m_requests ? m_requests->exportICalendar(out) : closed(), message);
    return out;
}

void ResvManBusAdaptor::checkChanged() {
    if (!m_fingerprint) {
        return;
    }
    uint64_t const now = m_fingerprint();
    if (now != m_lastFingerprint) {
        m_lastFingerprint = now;
        emit Changed();
    }
}

uint64_t reservationFingerprint(ReservationList& list) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (Reservation rec : reservationSnapshot(list)) {
        rec.state = 0; // a hand-off in progress shows nowhere
        uint8_t bytes[ReservationRecord::kSize];
        ReservationRecord::write(rec, bytes);
        for (uint8_t const b : bytes) {
            hash ^= b;
            hash *= 0x100000001b3ULL;
        }
    }
    return hash;
}
