// One running program per user and reservation file.
//
// The first program owns the session-bus name org.velto.ResvMan and answers the method
// org.velto.ResvMan.Show on /org/velto/ResvMan; a second start asks it to show itself and
// ends. Processes that do not share a bus (another login session) are kept apart by an
// advisory lock beside the reservation file (InstanceLock).
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
