// The one-time installation of the wake-up helper for a bundle: root-owned copies of the
// schedule tool and its broker in /usr/local/libexec/resvman, and the polkit action that
// names that broker, made with one administrator prompt (pkexec running /bin/sh with a
// fixed script). Until then a bundle has no helper it may run as root (ScheduleToolPath.h).
//
// The bundle's files run as root afterwards, so they are taken only when they pass the trust
// check for the user who asked: the user's or root's, and neither they nor any folder on the
// way to them writable by anyone else (a bundle in /tmp whose helper another user put there
// is refused). They are read here, with the user's own rights, and what the root script
// installs is exactly what was read and checked: it arrives on the script's standard input
// and is installed only when its SHA-256 digest is the one taken here. What ends up installed
// is checked like any other installation before the program takes it.
//
// Runs asynchronously: the administrator may take a while to answer, and the window goes on.
#pragma once

#include "platform/linux/BrokerChannel.h"
#include "posix/Trust.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <sys/types.h>

class HelperInstaller : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Installed,
        Dismissed,   // the administrator password was not given
        Unavailable, // no pkexec, or no helper in this program's folder to install
        Untrusted,   // the helper in this program's folder fails the trust check
        Failed,
    };
    Q_ENUM(Result)

    explicit HelperInstaller(QObject* parent = nullptr);
    ~HelperInstaller() override;

    // For tests: a folder standing for "/" (so nothing is installed into the machine), how
    // the script is started, the user the copies are read as (without pkexec), and where the
    // bundle's tool and broker lie (by default this program's own folder).
    void setSystemRoot(QString const& root) { m_systemRoot = root; }
    void setLaunch(BrokerChannel::Launch launch) { m_launch = launch; }
    void setUser(uid_t user) { m_user = user; }
    void setSourceFolder(QString const& folder) { m_sourceFolder = folder; }

    // Where the copies go, below the system root.
    QString helperFolder() const;

    // Whether the bundle's tool and broker may be installed: why not, when not (checked for
    // the user the copies are made for).
    trust::Verdict checkSource() const;

    // Starts the installation; finished() follows, also when it cannot start.
    void start();
    bool isRunning() const;

    // The polkit action of an installation in helperFolder: org.velto.resvman.schedule for
    // the package's /usr/libexec/resvman, otherwise with the folder's name appended (as the
    // build names the action of a `cmake --install`).
    static QString polkitActionId(QString const& helperFolder);
    // The policy for the broker in helperFolder.
    static QByteArray polkitPolicy(QString const& helperFolder);

    // How long the administrator has to answer.
    static constexpr int kDeadlineMs = 5 * 60 * 1000;
    // No helper file is larger.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

signals:
    // detail: a line for standard error and the dialog (the script's own message, or why).
    void finished(HelperInstaller::Result result, QString const& detail);

private:
    void finish(Result result, QString const& detail);
    void onProcessFinished(int exitCode, QProcess::ExitStatus status);

    QString m_systemRoot = QStringLiteral("/");
    BrokerChannel::Launch m_launch = BrokerChannel::Launch::Automatic;
    uid_t m_user;
    QString m_sourceFolder;
    QProcess* m_process = nullptr;
    QTimer m_deadline;
};
