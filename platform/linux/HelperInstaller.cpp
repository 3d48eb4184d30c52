#include "platform/linux/HelperInstaller.h"

#include "PolkitPolicyTemplate.h" // generated from resources/polkit by the build
#include "platform/linux/HelperSearch.h"
#include "protocol/BrokerFrame.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Run as root by pkexec (or directly by root) with: for the tool, the broker and the
// policy in turn, their size and SHA-256 digest; then the folders to install to and the
// action's name. The three files arrive one after the other on standard input; each is
// written to a new root-owned file beside its place, compared with its digest and only
// then renamed over it, so a running broker is never overwritten in place and nothing but
// what was checked is ever installed.
constexpr char const* kScript = R"sh(set -eu
umask 022
dest=$7 actions=$8 action=$9
mkdir -p -- "$dest" "$actions"
chown 0:0 -- "$dest"
chmod 0755 -- "$dest"
put() {
    tmp=$(mktemp -- "$3.XXXXXX")
    dd iflag=fullblock bs="$1" count=1 status=none of="$tmp"
    set -- "$@" "$(sha256sum < "$tmp")"
    if [ "${5%% *}" != "$2" ]; then
        rm -f -- "$tmp"
        echo "resvman: what arrived for $3 is not what was checked" >&2
        exit 1
    fi
    chmod "$4" -- "$tmp"
    mv -f -- "$tmp" "$3"
}
put "$1" "$2" "$dest/schedule" 0755
put "$3" "$4" "$dest/resvman-schedule-broker" 0755
put "$5" "$6" "$actions/$action.policy" 0644
)sh";

// The file at path, read only when it passes the trust check (as an executable of the user's
// or root's) and from the very file checked.
trust::Verdict readChecked(std::string const& path, trust::Policy policy, QByteArray& bytes) {
    trust::Verdict verdict = trust::checkFile(path, policy, true);
    if (!verdict.ok()) {
        return verdict;
    }
    int const fd = trust::openRegularFile(verdict.resolved, O_NOFOLLOW);
    struct stat opened {};
    struct stat named {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || ::lstat(verdict.resolved.c_str(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        if (fd >= 0) {
            ::close(fd);
        }
        verdict.problem = trust::Problem::Missing; // changed while it was looked at
        return verdict;
    }
    QFile file;
    bool const read = file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) &&
                      opened.st_size > 0 && opened.st_size <= HelperInstaller::kMaxFileBytes;
    bytes = read ? file.read(HelperInstaller::kMaxFileBytes + 1) : QByteArray();
    if (!file.isOpen()) {
        ::close(fd);
    }
    if (bytes.isEmpty() || bytes.size() > HelperInstaller::kMaxFileBytes) {
        verdict.problem = trust::Problem::NotRegularFile;
    }
    return verdict;
}

QStringList sizeAndDigest(QByteArray const& bytes) {
    return {
        QString::number(bytes.size()),
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())};
}

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
    emit finished(result, detail);
}

trust::Verdict HelperInstaller::checkSource() const {
    trust::Policy const policy{m_user, trust::Owners::UserOrRoot};
    for (char const* name : {broker::kToolFileName, broker::kBrokerFileName}) {
        trust::Verdict const verdict = trust::checkFile(
            QFile::encodeName(m_sourceFolder + QLatin1Char('/') + QString::fromLatin1(name))
                .toStdString(),
            policy, true);
        if (!verdict.ok()) {
            return verdict;
        }
    }
    return {};
}

void HelperInstaller::start() {
    if (m_process) {
        return;
    }
    trust::Policy const trusted{m_user, trust::Owners::UserOrRoot};
    QByteArray tool;
    QByteArray brokerFile;
    for (auto [name, bytes] : {std::pair{broker::kToolFileName, &tool},
                               std::pair{broker::kBrokerFileName, &brokerFile}}) {
        std::string const path =
            QFile::encodeName(m_sourceFolder + QLatin1Char('/') + QString::fromLatin1(name))
                .toStdString();
        trust::Verdict const verdict = readChecked(path, trusted, *bytes);
        if (verdict.problem == trust::Problem::Missing && verdict.where == path) {
            finish(
                Result::Unavailable,
                QStringLiteral("no wake-up helper beside the program in %1").arg(m_sourceFolder));
            return;
        }
        if (!verdict.ok()) {
            finish(Result::Untrusted, QString::fromStdString(verdict.describe()));
            return;
        }
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

    QString const folder = helperFolder();
    QString const installed = QString::fromLatin1(HelperSearch::kLocalFolder);
    QByteArray const policy = polkitPolicy(installed);
    QString root = m_systemRoot;
    while (root.endsWith(QLatin1Char('/'))) {
        root.chop(1);
    }
    QStringList arguments = {QStringLiteral("-c"), QString::fromLatin1(kScript),
                             QStringLiteral("resvman-install-helper")};
    arguments << sizeAndDigest(tool) << sizeAndDigest(brokerFile) << sizeAndDigest(policy) << folder
              << root + QStringLiteral("/usr/share/polkit-1/actions") << polkitActionId(installed);
    QString program = QString::fromLatin1(kShell);
    if (launch == BrokerChannel::Launch::Pkexec) {
        arguments.prepend(program);
        arguments.prepend(QStringLiteral("--disable-internal-agent"));
        program = QString::fromLatin1(BrokerChannel::kPkexec);
    }
    m_process = new QProcess(this);
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::finished, this, &HelperInstaller::onProcessFinished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            onProcessFinished(kPkexecFailed, QProcess::CrashExit);
        }
    });
    m_deadline.start(kDeadlineMs);
    m_process->start();
    // Read by the script only once the administrator has answered; kept until then.
    m_process->write(tool + brokerFile + policy);
    m_process->closeWriteChannel();
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
