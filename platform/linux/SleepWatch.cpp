#include "platform/linux/SleepWatch.h"

SleepWatch::SleepWatch(QObject* parent) : SleepWatch(QDBusConnection::systemBus(), parent) {}

SleepWatch::SleepWatch(QDBusConnection const& system, QObject* parent)
    : QObject(parent), m_system(system) {
    m_watching =
        m_system.isConnected() &&
        m_system.connect(QStringLiteral("org.freedesktop.login1"),
                         QStringLiteral("/org/freedesktop/login1"),
                         QStringLiteral("org.freedesktop.login1.Manager"),
                         QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
}

void SleepWatch::onPrepareForSleep(bool start) {
    if (start) {
        emit goingToSleep();
    } else {
        emit resumed();
    }
}
