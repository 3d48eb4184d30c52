#include "platform/linux/SleepVeto.h"

#include "engine/SleepRule.h"

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

double wallClock() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(system_clock::now().time_since_epoch()).count();
}

QDBusMessage busCall(char const* member) {
    return QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(member));
}

} // namespace

SleepVeto::SleepVeto(IUserDefaults& defaults, NextStart nextStart, QObject* parent)
    : SleepVeto(defaults, std::move(nextStart), QDBusConnection::systemBus(),
                QDBusConnection::sessionBus(), wallClock, parent) {}

SleepVeto::SleepVeto(IUserDefaults& defaults, NextStart nextStart, QDBusConnection const& system,
                     QDBusConnection const& session, Clock clock, QObject* parent)
    : QObject(parent), m_defaults(defaults), m_nextStart(std::move(nextStart)), m_system(system),
      m_session(session), m_clock(std::move(clock)) {
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &SleepVeto::Evaluate);
}

SleepVeto::~SleepVeto() {
    m_want = false;
    release();
}

void SleepVeto::Register() {
    if (m_registering || m_registered) {
        return;
    }
    m_registering = true;
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

void SleepVeto::onLogindFound(bool found) {
    m_registering = false;
    if (!found) {
        std::puts("IORegisterForSystemPower failed");
        std::fflush(stdout);
        emit attached(false);
        return;
    }
    m_registered = true;
    emit attached(true);
    if (m_started) {
        m_timer.start();
        Evaluate();
    }
}

void SleepVeto::Start() {
    if (m_started) {
        return;
    }
    m_started = true;
    if (m_registered) {
        m_timer.start();
        Evaluate();
    }
}

void SleepVeto::Evaluate() {
    if (!m_registered) {
        return;
    }
    SleepSettings const settings = ReadSleepSettings(m_defaults);
    // The list is only asked when the answer depends on it.
    std::optional<double> next;
    if (settings.suspendFlag && settings.useAcpi && m_nextStart) {
        next = m_nextStart();
    }
    m_want =
        MySleepCallBack(kIOMessageCanSystemSleep, settings, m_clock(), next) == SleepAnswer::Veto;
    if (m_want) {
        acquire();
    } else {
        release();
    }
}

QString SleepVeto::who() const {
    QString const name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("ResvMan") : name;
}

void SleepVeto::acquire() {
    if (m_logindFd < 0 && !m_logindPending && !m_logindBackoff.active()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kLogindService), QString::fromLatin1(kLogindPath),
            QString::fromLatin1(kLogindManager), QStringLiteral("Inhibit"));
        call << QStringLiteral("idle") << who() << QString::fromLatin1(kWhy)
             << QStringLiteral("block");
        auto* watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call, kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, &SleepVeto::onLogindReply);
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
        connect(watcher, &QDBusPendingCallWatcher::finished, this, &SleepVeto::onScreenSaverReply);
        m_screenSaverPending = true;
    }
}

void SleepVeto::release() {
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

void SleepVeto::onLogindReply(QDBusPendingCallWatcher* watcher) {
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

void SleepVeto::onScreenSaverReply(QDBusPendingCallWatcher* watcher) {
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

void SleepVeto::unInhibitScreenSaver(uint cookie) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kScreenSaverService), QString::fromLatin1(kScreenSaverPath),
        QString::fromLatin1(kScreenSaverInterface), QStringLiteral("UnInhibit"));
    call.setAutoStartService(false);
    call << cookie;
    m_session.send(call);
}
