#include "platform/linux/CompanionLauncher.h"

#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/PresetFile.h"
#include "posix/Trust.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// How long a companion we started may take to appear on the bus.
constexpr auto kStartGrace = std::chrono::seconds(30);
constexpr int kBusTimeoutMs = 1000;

bool isExecutableFile(QString const& path) {
    QFileInfo const info(path);
    return info.isFile() && ::access(QFile::encodeName(path).constData(), X_OK) == 0;
}

// The companion runs as the user: it must be a file nobody else could have put there or
// changed. Every folder on the way to it is checked too, so the path cannot be redirected
// between the check and the start.
bool isTrustedProgram(QString const& path, std::string* refusal) {
    trust::Verdict const verdict =
        trust::checkFile(QFile::encodeName(path).toStdString(), trust::forThisUser(), true);
    if (!verdict.ok()) {
        *refusal = verdict.describe();
    }
    return verdict.ok();
}

bool processAlive(qint64 pid) {
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)) {
        return false;
    }
    // An exited process nobody has reaped yet still answers kill().
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return true;
    }
    QByteArray const line = stat.readAll();
    qsizetype const close = line.lastIndexOf(')');
    if (close < 0 || close + 2 >= line.size()) {
        return true;
    }
    char const state = line.at(close + 2);
    return state != 'Z' && state != 'X';
}

} // namespace

CompanionLauncher::CompanionLauncher()
    : CompanionLauncher(QDBusConnection::sessionBus(), QString::fromLatin1(kCompanionServiceName)) {
}

CompanionLauncher::CompanionLauncher(QDBusConnection const& connection, QString busName)
    : m_connection(connection), m_busName(std::move(busName)) {}

bool CompanionLauncher::isRunning() const {
    if (!m_connection.isConnected()) {
        return false;
    }
    // A plain blocking call rather than the connection's interface object, which belongs to
    // the main thread.
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << m_busName;
    QDBusMessage const reply = m_connection.call(ask, QDBus::Block, kBusTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toBool();
}

bool CompanionLauncher::startedRecently() {
    return m_startedPid > 0 && std::chrono::steady_clock::now() - m_startedAt < kStartGrace &&
           processAlive(m_startedPid);
}

bool CompanionLauncher::start(QString const& program, QStringList const& arguments) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // Not this program's working folder: the companion starts where a desktop would start it.
    QString const home = QString::fromStdString(PresetFile::loginHomeDirectory());
    process.setWorkingDirectory(home.isEmpty() ? QDir::rootPath() : home);
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        return false;
    }
    m_startedPid = pid;
    m_startedAt = std::chrono::steady_clock::now();
    return true;
}

bool CompanionLauncher::open(std::string const& appPath) {
    std::lock_guard lock(m_mutex);
    if (isRunning() || startedRecently()) {
        return true;
    }
    QString const path = QString::fromStdString(appPath);
    QFileInfo const info(path);
    QString program;
    if (info.isDir()) {
        program = QDir(path).filePath(QStringLiteral("AppRun"));
    } else {
        program = path;
    }
    if (appPath.empty() || !isExecutableFile(program) || !trusted(program)) {
        return false;
    }
    return start(program, {});
}

bool CompanionLauncher::trusted(QString const& program) {
    std::string refusal;
    if (isTrustedProgram(program, &refusal)) {
        return true;
    }
    // Once per refusal, not once per attempt of a hand-off.
    if (refusal != m_lastRefusal) {
        m_lastRefusal = refusal;
        std::fprintf(stderr, "resvman: not starting the companion %s (%s)\n",
                     QFile::encodeName(program).constData(), refusal.c_str());
    }
    return false;
}

bool CompanionLauncher::launch(std::string const& name) {
    std::lock_guard lock(m_mutex);
    QString const appName = QString::fromStdString(name);
    if (appName.isEmpty() || appName.contains(QLatin1Char('/'))) {
        return false;
    }
    if (isRunning() || startedRecently()) {
        return true;
    }
    QString const onPath = QStandardPaths::findExecutable(appName);
    if (!onPath.isEmpty()) {
        return trusted(onPath) && start(onPath, {});
    }
    QString const entry = appName.toLower();
    QString const launcher = QStandardPaths::findExecutable(QStringLiteral("gtk-launch"));
    if (!launcher.isEmpty() &&
        !QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry + ".desktop")
             .isEmpty()) {
        return start(launcher, {entry});
    }
    return false;
}
