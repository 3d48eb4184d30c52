#include "app/CommandSession.h"

#include "app/FileReservationTarget.h"
#include "app/InstanceLock.h"
#include "app/ResvManBusClient.h"
#include "store/ReservationFile.h"

#include <QDBusConnection>
#include <QFileInfo>

#include <unistd.h>

namespace {

constexpr int kLockWaitMs = 5000; // another command holds the lock for moments only

bool sameFile(QString const& a, QString const& b) {
    // The file may not exist yet: compare the folders as they really are, and the names.
    QFileInfo const left(a);
    QFileInfo const right(b);
    QString const leftDir = QFileInfo(left.path()).canonicalFilePath();
    QString const rightDir = QFileInfo(right.path()).canonicalFilePath();
    return !leftDir.isEmpty() && leftDir == rightDir && left.fileName() == right.fileName();
}

} // namespace

CommandSession::CommandSession(std::string folder)
    : m_folder(std::move(folder)), m_file(m_folder + "/" + ReservationFile::kFileName) {}

CommandSession::~CommandSession() {
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
    }
}

RequestOutcome CommandSession::perform(Request const& request) {
    if (m_requests == nullptr) {
        m_client = std::make_unique<ResvManBusClient>(QDBusConnection::sessionBus());
        // Only the program that holds the file's lock is asked: any process of this user
        // may own the bus name, answer falsely or not at all.
        long const owner = m_client->runningProgramPid();
        QString const running = owner > 0 && InstanceLock::heldBy(m_folder, owner)
                                    ? m_client->runningProgramFile()
                                    : QString();
        if (!running.isEmpty() && sameFile(running, QString::fromStdString(m_file))) {
            m_requests = m_client.get();
        } else if (RequestOutcome const opened = openFile(); !opened.ok()) {
            return opened;
        }
    }
    RequestOutcome outcome = request(*m_requests);
    if (m_requests == m_client.get() && m_client->lastCallUndelivered()) {
        // The program ended just now, before it got the request: do it on the file.
        if (RequestOutcome const opened = openFile(); !opened.ok()) {
            return opened;
        }
        outcome = request(*m_requests);
    }
    return outcome;
}

RequestOutcome CommandSession::openFile() {
    InstanceLock::Result const lock = InstanceLock::acquireWithin(m_folder, kLockWaitMs, &m_lockFd);
    if (lock == InstanceLock::Result::HeldByOther) {
        //% "The program is using the reservations in %1 but cannot be reached over the "
        //% "session bus. Give the command in the session where the program runs, or set "
        //% "DBUS_SESSION_BUS_ADDRESS to that session's bus."
        return RequestOutcome::fail(qtTrId("IDS_CLI_LOCKED").arg(QString::fromStdString(m_folder)));
    }
    if (lock == InstanceLock::Result::Unavailable) {
        //% "The lock %1 cannot be taken (it is not a plain file, or the folder cannot be "
        //% "written), so the reservations are left as they are."
        return RequestOutcome::fail(
            qtTrId("IDS_CLI_NO_LOCK")
                .arg(QString::fromStdString(InstanceLock::lockPath(m_folder))));
    }
    m_fileTarget = std::make_unique<FileReservationTarget>(m_file);
    QString error;
    if (!m_fileTarget->load(error)) {
        return RequestOutcome::fail(error);
    }
    m_local = std::make_unique<ReservationRequests>(*m_fileTarget);
    m_requests = m_local.get();
    return {};
}
