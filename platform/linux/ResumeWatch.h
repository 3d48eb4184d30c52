// Tells when the machine has woken from sleep: logind's PrepareForSleep(false) on the
// system bus. Wake-ups are planned again then, since the clock jumped and timers may have
// fired while the machine slept. Without a system bus or logind nothing is ever reported.
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

class ResumeWatch : public QObject {
    Q_OBJECT
public:
    // onResume runs on the main thread after each wake from sleep.
    explicit ResumeWatch(std::function<void()> onResume,
                         QDBusConnection const& system = QDBusConnection::systemBus(),
                         QObject* parent = nullptr);

    // Whether the signal is being listened to.
    bool attached() const { return m_attached; }

private slots:
    void onPrepareForSleep(bool sleeping);

private:
    std::function<void()> m_onResume;
    QDBusConnection m_system;
    bool m_attached = false;
};
