#include "platform/linux/IdleInhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char const* kLogindService = "org.freedesktop.login1";
constexpr char const* kLogindPath = "/org/freedesktop/login1";
constexpr char const* kLogindManager = "org.freedesktop.login1.Manager";
constexpr char const* kScreenSaverService = "org.freedesktop.ScreenSaver";
constexpr char const* kScreenSaverPath = "/org/freedesktop/ScreenSaver";
constexpr char const* kScreenSaverInterface = "org.freedesktop.ScreenSaver";
constexpr char const* kWhy = "A recording is due";

constexpr int kCallTimeoutMs = 5000;
// A refused or failed inhibitor request is not repeated every second.
constexpr auto kRetryAfter = std::chrono::seconds(30);

QDBusMessage busCall(char const* member) {
    return QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(member));
}

} // namespace

IdleInhibitor::IdleInhibitor(QObject* parent)
    : IdleInhibitor(QDBusConnection::systemBus(), QDBusConnection::sessionBus(), parent) {}

IdleInhibitor::IdleInhibitor(QDBusConnection const& system, QDBusConnection const& session,
                             QObject* parent)
    : QObject(parent), m_system(system), m_session(session) {}

IdleInhibitor::~IdleInhibitor() {
    m_want = false;
    release();
}

void IdleInhibitor::attach() {
    if (m_attaching || m_attached) {
        return;
    }
    m_attaching = true;
    if (!m_system.isConnected()) {
        // Told from the event loop like every other outcome.
        QMetaObject::invokeMethod(
            this, [this] { onLogindFound(false); }, Qt::QueuedConnection);
        return;
    }
    // Asked without waiting: the window shows whatever the system bus does meanwhile.
    QDBusMessage owner = busCall("NameHasOwner");
    owner << QString::fromLatin1(kLogindService);
    auto* ownerWatcher =
        new QDBusPendingCallWatcher(m_system.asyncCall(owner, kCallTimeoutMs), this);
    connect(ownerWatcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* watcher) {
                watcher->deleteLater();
                QDBusPendingReply<bool> const hasOwner = *watcher;
                if (!hasOwner.isError() && hasOwner.value()) {
                    onLogindFound(true);
                    return;
                }
                // logind may be started on demand.
                auto* activatable = new QDBusPendingCallWatcher(
                    m_system.asyncCall(busCall("ListActivatableNames"), kCallTimeoutMs), this);
                connect(activatable, &QDBusPendingCallWatcher::finished, this,
                        [this](QDBusPendingCallWatcher* names) {
                            names->deleteLater();
                            QDBusPendingReply<QStringList> const list = *names;
                            onLogindFound(
                                !list.isError() &&
                                list.value().contains(QString::fromLatin1(kLogindService)));
                        });
            });
}

void IdleInhibitor::onLogindFound(bool found) {
    m_attaching = false;
    if (!found) {
        std::puts("IORegisterForSystemPower failed");
        std::fflush(stdout);
        emit attached(false);
        return;
    }
    m_attached = true;
    emit attached(true);
}

void IdleInhibitor::setInhibited(bool inhibited) {
    // Nothing is held without logind: the attachment failed, or has not answered yet.
    m_want = inhibited && m_attached;
    if (m_want) {
        acquire();
    } else {
        release();
    }
}

QString IdleInhibitor::who() const {
    QString const name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("ResvMan") : name;
}

void IdleInhibitor::acquire() {
    if (m_logindFd < 0 && !m_logindPending && !m_logindBackoff.active()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kLogindService), QString::fromLatin1(kLogindPath),
            QString::fromLatin1(kLogindManager), QStringLiteral("Inhibit"));
        call << QStringLiteral("idle") << who() << QString::fromLatin1(kWhy)
             << QStringLiteral("block");
        auto* watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call, kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, &IdleInhibitor::onLogindReply);
        m_logindPending = true;
    }
    if (!m_screenSaverCookie && !m_screenSaverPending && !m_screenSaverBackoff.active() &&
        m_session.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kScreenSaverService), QString::fromLatin1(kScreenSaverPath),
            QString::fromLatin1(kScreenSaverInterface), QStringLiteral("Inhibit"));
        call.setAutoStartService(false); // only a screen saver that already runs
        call << who() << QString::fromLatin1(kWhy);
        auto* watcher =
            new QDBusPendingCallWatcher(m_session.asyncCall(call, kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                &IdleInhibitor::onScreenSaverReply);
        m_screenSaverPending = true;
    }
}

void IdleInhibitor::release() {
    if (m_logindFd >= 0) {
        ::close(m_logindFd); // closing the descriptor is what ends a logind inhibitor
        m_logindFd = -1;
    }
    if (m_screenSaverCookie) {
        unInhibitScreenSaver(*m_screenSaverCookie);
        m_screenSaverCookie.reset();
    }
    // Requests still under way are undone when their answers arrive.
}

void IdleInhibitor::onLogindReply(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    m_logindPending = false;
    QDBusPendingReply<QDBusUnixFileDescriptor> const reply = *watcher;
    if (reply.isError() || !reply.value().isValid()) {
        m_logindBackoff.until = std::chrono::steady_clock::now() + kRetryAfter;
        return;
    }
    // Our own descriptor: the reply's copy closes when the reply goes.
    int const fd = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    if (m_want && m_logindFd < 0) {
        m_logindFd = fd;
    } else {
        ::close(fd);
    }
}

void IdleInhibitor::onScreenSaverReply(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    m_screenSaverPending = false;
    QDBusPendingReply<uint> const reply = *watcher;
    if (reply.isError()) {
        m_screenSaverBackoff.until = std::chrono::steady_clock::now() + kRetryAfter;
        return;
    }
    if (m_want && !m_screenSaverCookie) {
        m_screenSaverCookie = reply.value();
    } else {
        unInhibitScreenSaver(reply.value());
    }
}

void IdleInhibitor::unInhibitScreenSaver(uint cookie) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kScreenSaverService), QString::fromLatin1(kScreenSaverPath),
        QString::fromLatin1(kScreenSaverInterface), QStringLiteral("UnInhibit"));
    call.setAutoStartService(false);
    call << cookie;
    m_session.send(call);
}
