// One running program per user and reservation file.
//
// The first program owns the session-bus name org.velto.ResvMan and answers the method
// org.velto.ResvMan.Show on /org/velto/ResvMan; a second start asks it to show itself and
// ends. Processes that do not share a bus (another login session) are kept apart by an
// advisory lock on ".ResvInfo.dat.lock" beside the reservation file, so that two watch
// loops never run on one file.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

inline constexpr char const* kResvManBusName = "org.velto.ResvMan";
inline constexpr char const* kResvManObjectPath = "/org/velto/ResvMan";
inline constexpr char const* kResvManInterface = "org.velto.ResvMan";

class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velto.ResvMan")
public:
    enum class Claim {
        Primary,   // this process owns the name
        Secondary, // another process owns it and was asked to show itself
        NoBus,     // no session bus: the lock alone decides
    };

    explicit SingleInstance(QDBusConnection connection = QDBusConnection::sessionBus(),
                            QString serviceName = QString::fromLatin1(kResvManBusName),
                            QObject* parent = nullptr);

    Claim claim();

public slots:
    // Called over the bus by a second start.
    Q_SCRIPTABLE void Show();

signals:
    void showRequested();

private:
    bool askOwnerToShow();

    QDBusConnection m_connection;
    QString m_serviceName;
};

// The advisory lock beside the reservation file, held until the process ends.
class InstanceLock {
public:
    enum class Result { Acquired, HeldByOther, Unavailable };

    // Locks folder/.ResvInfo.dat.lock without waiting.
    static Result Acquire(std::string const& folder, int* fdOut = nullptr);
    // The same, waiting up to timeoutMs while another process holds it (a command of the
    // command line holds it for moments only).
    static Result AcquireWithin(std::string const& folder, int timeoutMs, int* fdOut = nullptr);
    static std::string LockPath(std::string const& folder);
};
