#include "platform/linux/ResumeWatch.h"

ResumeWatch::ResumeWatch(std::function<void()> onResume, QDBusConnection const& system,
                         QObject* parent)
    : QObject(parent), m_onResume(std::move(onResume)), m_system(system) {
    // A match rule only: nothing is called on logind, so nothing waits for it.
    m_attached =
        m_system.isConnected() &&
        m_system.connect(QStringLiteral("org.freedesktop.login1"),
                         QStringLiteral("/org/freedesktop/login1"),
                         QStringLiteral("org.freedesktop.login1.Manager"),
                         QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
}

void ResumeWatch::onPrepareForSleep(bool sleeping) {
    if (!sleeping && m_onResume) {
        m_onResume();
    }
}
