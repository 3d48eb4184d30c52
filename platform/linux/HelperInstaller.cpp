#include "platform/linux/HelperInstaller.h"

#include "PolkitPolicyTemplate.h" // generated from resources/polkit by the build
#include "platform/linux/HelperSearch.h"
#include "protocol/BrokerFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <unistd.h>

namespace {

// Run as root by pkexec (or directly by root) with: user, tool, broker, policy, and the
// folders to install to. Every file is read as the user ($PKEXEC_UID when pkexec started it:
// pkexec sets it, whatever the caller asked for), written to a new root-owned file beside its
// place and renamed over it, so a running broker is never overwritten in place.
constexpr char const* kScript = R"sh(set -eu
umask 022
uid=${PKEXEC_UID:-$1}
case $uid in ''|*[!0-9]*) echo "resvman: no user to read the helper as" >&2; exit 2 ;; esac
gid=$(id -g -- "$uid" 2>/dev/null) || gid=65534
tool=$2 broker=$3 policy=$4 dest=$5 actions=$6 action=$7
mkdir -p -- "$dest" "$actions"
chown 0:0 -- "$dest"
chmod 0755 -- "$dest"
put() {
    tmp=$(mktemp -- "$2.XXXXXX")
    if ! setpriv --reuid="$uid" --regid="$gid" --clear-groups -- cat -- "$1" > "$tmp"; then
        rm -f -- "$tmp"
        echo "resvman: cannot read $1 as user $uid" >&2
        exit 1
    fi
    chmod "$3" -- "$tmp"
    mv -f -- "$tmp" "$2"
}
put "$tool" "$dest/schedule" 0755
put "$broker" "$dest/resvman-schedule-broker" 0755
put "$policy" "$actions/$action.policy" 0644
)sh";

constexpr char const* kShell = "/bin/sh";

// Where pkexec reports that it was refused (126) or could not ask (127).
constexpr int kPkexecNotAuthorized = 126;
constexpr int kPkexecFailed = 127;

} // namespace

HelperInstaller::HelperInstaller(QObject* parent) : QObject(parent), m_user(::getuid()) {
    m_sourceFolder = QCoreApplication::applicationDirPath();
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_process) {
            m_process->kill();
        }
    });
}

HelperInstaller::~HelperInstaller() {
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
    if (!m_policyFile.isEmpty()) {
        QFile::remove(m_policyFile);
    }
}

QString HelperInstaller::helperFolder() const {
    QString root = m_systemRoot;
    while (root.endsWith(QLatin1Char('/'))) {
        root.chop(1);
    }
    return root + QString::fromLatin1(HelperSearch::kLocalFolder);
}

QString HelperInstaller::polkitActionId(QString const& helperFolder) {
    QString const base = QStringLiteral("org.velto.resvman.schedule");
    if (helperFolder == QString::fromLatin1(HelperSearch::kPackageFolder)) {
        return base;
    }
    QString suffix = helperFolder.toLower();
    suffix.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    suffix.remove(QRegularExpression(QStringLiteral("^-+|-+$")));
    return base + QLatin1Char('.') + suffix;
}

QByteArray HelperInstaller::polkitPolicy(QString const& helperFolder) {
    QByteArray policy(kPolkitPolicyTemplate);
    policy.replace("@RESVMAN_POLKIT_ACTION_ID@", polkitActionId(helperFolder).toUtf8());
    policy.replace("@RESVMAN_BROKER_INSTALL_PATH@",
                   QFile::encodeName(helperFolder + QLatin1Char('/') +
                                     QString::fromLatin1(broker::kBrokerFileName)));
    return policy;
}

bool HelperInstaller::isRunning() const {
    return m_process != nullptr;
}

void HelperInstaller::finish(Result result, QString const& detail) {
    if (!m_policyFile.isEmpty()) {
        QFile::remove(m_policyFile);
        m_policyFile.clear();
    }
    emit finished(result, detail);
}

void HelperInstaller::start() {
    if (m_process) {
        return;
    }
    QString const tool =
        m_sourceFolder + QLatin1Char('/') + QString::fromLatin1(broker::kToolFileName);
    QString const brokerFile =
        m_sourceFolder + QLatin1Char('/') + QString::fromLatin1(broker::kBrokerFileName);
    if (!QFileInfo(tool).isFile() || !QFileInfo(brokerFile).isFile()) {
        finish(Result::Unavailable,
               QStringLiteral("no wake-up helper beside the program in %1").arg(m_sourceFolder));
        return;
    }
    BrokerChannel::Launch launch = m_launch;
    if (launch == BrokerChannel::Launch::Automatic) {
        launch = ::geteuid() == 0 ? BrokerChannel::Launch::Direct : BrokerChannel::Launch::Pkexec;
    }
    if (launch == BrokerChannel::Launch::Pkexec &&
        !QFileInfo(QString::fromLatin1(BrokerChannel::kPkexec)).isExecutable()) {
        finish(Result::Unavailable, QStringLiteral("pkexec is not installed"));
        return;
    }

    // The policy, written where only this user may read it; the script reads it as the user.
    QTemporaryFile policy(QDir::tempPath() + QStringLiteral("/resvman-policy-XXXXXX"));
    policy.setAutoRemove(false);
    QString const folder = helperFolder();
    QString const installed = QString::fromLatin1(HelperSearch::kLocalFolder);
    if (!policy.open() || policy.write(polkitPolicy(installed)) < 0 || !policy.flush()) {
        finish(Result::Failed, QStringLiteral("cannot write a temporary file"));
        return;
    }
    m_policyFile = policy.fileName();
    policy.close();
    QFile::setPermissions(m_policyFile, QFile::ReadOwner | QFile::WriteOwner);

    QString root = m_systemRoot;
    while (root.endsWith(QLatin1Char('/'))) {
        root.chop(1);
    }
    QStringList arguments = {QStringLiteral("-c"),
                             QString::fromLatin1(kScript),
                             QStringLiteral("resvman-install-helper"),
                             QString::number(m_user),
                             tool,
                             brokerFile,
                             m_policyFile,
                             folder,
                             root + QStringLiteral("/usr/share/polkit-1/actions"),
                             polkitActionId(installed)};
    QString program = QString::fromLatin1(kShell);
    if (launch == BrokerChannel::Launch::Pkexec) {
        arguments.prepend(program);
        arguments.prepend(QStringLiteral("--disable-internal-agent"));
        program = QString::fromLatin1(BrokerChannel::kPkexec);
    }
    m_process = new QProcess(this);
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::finished, this, &HelperInstaller::onProcessFinished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            onProcessFinished(kPkexecFailed, QProcess::CrashExit);
        }
    });
    m_deadline.start(kDeadlineMs);
    m_process->start();
}

void HelperInstaller::onProcessFinished(int exitCode, QProcess::ExitStatus status) {
    if (!m_process) {
        return;
    }
    m_deadline.stop();
    QString const output = QString::fromLocal8Bit(m_process->readAll()).trimmed();
    bool const pkexec = m_process->program() == QString::fromLatin1(BrokerChannel::kPkexec);
    m_process->deleteLater();
    m_process = nullptr;

    if (status != QProcess::NormalExit) {
        finish(Result::Failed,
               output.isEmpty() ? QStringLiteral("the installation did not finish") : output);
        return;
    }
    if (pkexec && exitCode == kPkexecNotAuthorized) {
        finish(Result::Dismissed, QStringLiteral("the administrator password was not given"));
        return;
    }
    if (exitCode != 0) {
        finish(pkexec && exitCode == kPkexecFailed ? Result::Unavailable : Result::Failed,
               output.isEmpty()
                   ? QStringLiteral("the installation failed (status %1)").arg(exitCode)
                   : output);
        return;
    }
    // What is there now must pass the same checks as any installation.
    HelperSearch const search =
        HelperSearch::inFolders({QFile::encodeName(helperFolder()).toStdString()});
    if (search.tool.empty()) {
        finish(Result::Failed, search.refused.empty()
                                   ? QStringLiteral("nothing was installed")
                                   : QString::fromStdString(search.refused.front().describe()));
        return;
    }
    finish(Result::Installed, QStringLiteral("installed in %1").arg(helperFolder()));
}
