// The requests that the command line and the D-Bus interface make on the reservations:
// list, add, remove, switch on or off, export as a calendar.
//
// ReservationRequests carries them out on a list: in the running program on the window's
// list (then the program re-plans, saves and redraws its table), otherwise on the
// reservation file itself. An added reservation goes through the reservation dialog's own
// checks and composition (ui/ReservationInput.h). A refused request changes nothing.
#pragma once

#include "store/ReservationList.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <cstdint>

// What an add found: it overlaps a switched-on reservation; or only the margins make it.
inline constexpr int kOverlapResult = 1;
inline constexpr int kOverlapByMarginsResult = 2;

struct RequestOutcome {
    enum class Kind {
        Done,
        Refused, // bad input; nothing changed
        Failed,  // the file could not be read or saved, or the program could not be reached
    };
    Kind kind = Kind::Done;
    QString message;

    bool ok() const { return kind == Kind::Done; }
    static RequestOutcome refuse(QString message) { return {Kind::Refused, std::move(message)}; }
    static RequestOutcome fail(QString message) { return {Kind::Failed, std::move(message)}; }
};

// The requests, whichever way they travel (in the program, or over the bus to it).
class IReservationRequests {
public:
    virtual ~IReservationRequests() = default;

    // One entry per reservation, in list order; see docs/dbus-interface.md for the fields.
    virtual RequestOutcome list(QList<QVariantMap>& out) = 0;
    // fields: "date", "start", "end", "fm" or "am", "title", optional "weekly", "off".
    // id: the new reservation's id; result: kOverlapResult when it overlaps a switched-on
    // one, kOverlapByMarginsResult when only the recording margins make it overlap, else 0.
    virtual RequestOutcome add(QVariantMap const& fields, int& id, int& result) = 0;
    virtual RequestOutcome remove(QList<int> const& ids) = 0;
    virtual RequestOutcome setEnabled(QList<int> const& ids, bool enabled) = 0;
    virtual RequestOutcome exportICalendar(QString& out) = 0;
};

// Where the requests are carried out.
class IReservationTarget {
public:
    virtual ~IReservationTarget() = default;
    // The list; null while there is none (before start-up ends).
    virtual ReservationList* reservations() = 0;
    // The station of a band and frequency (no band bits) from the companion's presets.
    virtual QString stationName(bool fm, uint32_t freq) = 0;
    // Seconds since 1970 UTC.
    virtual double now() = 0;
    // After a change: brings the file (and, in the program, the wake-up plan and the
    // window) up to date. False with a message when the file could not be saved.
    virtual bool commit(QString& error) = 0;
};

class ReservationRequests : public IReservationRequests {
public:
    explicit ReservationRequests(IReservationTarget& target) : m_target(target) {}

    RequestOutcome list(QList<QVariantMap>& out) override;
    RequestOutcome add(QVariantMap const& fields, int& id, int& result) override;
    RequestOutcome remove(QList<int> const& ids) override;
    RequestOutcome setEnabled(QList<int> const& ids, bool enabled) override;
    RequestOutcome exportICalendar(QString& out) override;

private:
    RequestOutcome committed();

    IReservationTarget& m_target;
};

// A copy of every record of the list, in list order.
QList<Reservation> reservationSnapshot(ReservationList& list);
