// Tells when the computer goes to sleep and when it has resumed: logind's PrepareForSleep
// signal on the system bus. Without a system bus it stays silent.
#pragma once

#include <QDBusConnection>
#include <QObject>

class SleepWatch : public QObject {
    Q_OBJECT
public:
    // The system bus ($DBUS_SYSTEM_BUS_ADDRESS honoured).
    explicit SleepWatch(QObject* parent = nullptr);
    SleepWatch(QDBusConnection const& system, QObject* parent = nullptr);

    bool watching() const { return m_watching; }

signals:
    void goingToSleep();
    void resumed();

private slots:
    void onPrepareForSleep(bool start);

private:
    QDBusConnection m_system;
    bool m_watching = false;
};
