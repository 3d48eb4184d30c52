#include "app/SingleInstance.h"

#include "platform/IBundle.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

SingleInstance::SingleInstance(QDBusConnection connection, QString serviceName, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)), m_serviceName(std::move(serviceName)) {}

SingleInstance::Claim SingleInstance::claim() {
    if (!m_connection.isConnected() || !m_connection.interface()) {
        return Claim::NoBus;
    }
    // The object is there before the name, so a second start that sees the name can call it.
    m_connection.registerObject(QString::fromLatin1(kResvManObjectPath), this,
                                QDBusConnection::ExportScriptableSlots |
                                    QDBusConnection::ExportAdaptors);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QDBusReply<QDBusConnectionInterface::RegisterServiceReply> const reply =
            m_connection.interface()->registerService(
                m_serviceName, QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            return Claim::NoBus;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            return Claim::Primary;
        }
        if (askOwnerToShow()) {
            return Claim::Secondary;
        }
        // The owner went away between the two calls: try for the name once more.
    }
    m_connection.unregisterObject(QString::fromLatin1(kResvManObjectPath));
    return Claim::Secondary;
}

bool SingleInstance::askOwnerToShow() {
    QDBusMessage const call = QDBusMessage::createMethodCall(
        m_serviceName, QString::fromLatin1(kResvManObjectPath),
        QString::fromLatin1(kResvManInterface), QStringLiteral("Show"));
    QDBusMessage const answer = m_connection.call(call, QDBus::BlockWithGui, 5000);
    return answer.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::Show() {
    emit showRequested();
}

std::string InstanceLock::LockPath(std::string const& folder) {
    return folder + "/" + kReservationFileName + ".lock";
}

InstanceLock::Result InstanceLock::Acquire(std::string const& folder, int* fdOut) {
    // Never through a symbolic link, and never a FIFO or device in the lock's place.
    int const fd = ::open(LockPath(folder).c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        return Result::Unavailable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Result::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int const error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::HeldByOther : Result::Unavailable;
    }
    // Kept open: the lock lasts as long as the process.
    if (fdOut) {
        *fdOut = fd;
    }
    return Result::Acquired;
}

InstanceLock::Result InstanceLock::AcquireWithin(std::string const& folder, int timeoutMs,
                                                 int* fdOut) {
    constexpr int kStepMs = 50;
    for (int waited = 0;; waited += kStepMs) {
        Result const result = Acquire(folder, fdOut);
        if (result != Result::HeldByOther || waited >= timeoutMs) {
            return result;
        }
        ::usleep(kStepMs * 1000);
    }
}
