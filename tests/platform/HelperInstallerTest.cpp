// The one-time installation of the wake-up helper, into a folder standing for "/", started
// directly as root (pkexec needs an administrator at the screen).
#include "platform/linux/HelperInstaller.h"

#include "tests/support/EventLoopHelpers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class HelperInstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "installs root-owned files";
        }
        ::chmod(QFile::encodeName(source.path()).constData(), 0755);
        for (char const* name : {"schedule", "resvman-schedule-broker"}) {
            QFile file(source.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("#!/bin/sh\n# ") + name + "\n");
            file.close();
            // The user's copy, as a bundle has it: group-writable does not carry over.
            ::chmod(QFile::encodeName(file.fileName()).constData(), 0775);
        }
        installer.setSystemRoot(root.path());
        installer.setLaunch(BrokerChannel::Launch::Direct);
        installer.setUser(0);
        installer.setSourceFolder(source.path());
        QObject::connect(&installer, &HelperInstaller::finished,
                         [this](HelperInstaller::Result r, QString const& d) {
                             result = r;
                             detail = d;
                             done = true;
                         });
    }
    bool install() {
        done = false;
        installer.start();
        return waitUntil([this] { return done; }, 30000);
    }
    static struct stat statOf(QString const& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st;
    }

    QTemporaryDir root;
    QTemporaryDir source;
    HelperInstaller installer;
    bool done = false;
    HelperInstaller::Result result = HelperInstaller::Result::Failed;
    QString detail;
};

} // namespace

TEST_F(HelperInstallerTest, InstallsRootsOwnCopiesAndTheirPolkitAction) {
    ASSERT_TRUE(install());
    ASSERT_EQ(result, HelperInstaller::Result::Installed) << detail.toStdString();
    QString const folder = root.path() + QStringLiteral("/usr/local/libexec/resvman");
    EXPECT_EQ(installer.helperFolder(), folder);
    for (char const* name : {"schedule", "resvman-schedule-broker"}) {
        QString const path = folder + QLatin1Char('/') + QString::fromLatin1(name);
        struct stat const st = statOf(path);
        EXPECT_EQ(st.st_uid, 0u) << name;
        EXPECT_EQ(st.st_mode & 07777, 0755u) << name;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("#!/bin/sh\n# ") + name + "\n");
    }
    QFile policy(root.path() + QStringLiteral("/usr/share/polkit-1/actions/"
                                              "org.velto.resvman.schedule.usr-local-libexec-"
                                              "resvman.policy"));
    ASSERT_TRUE(policy.open(QIODevice::ReadOnly));
    EXPECT_EQ(statOf(policy.fileName()).st_mode & 07777, 0644u);
    QByteArray const text = policy.readAll();
    EXPECT_TRUE(
        text.contains("<action id=\"org.velto.resvman.schedule.usr-local-libexec-resvman\">"));
    EXPECT_TRUE(text.contains("/usr/local/libexec/resvman/resvman-schedule-broker</annotate>"));
    EXPECT_FALSE(text.contains('@'));

    // Again, over the copies in place (a newer bundle).
    ASSERT_TRUE(install());
    EXPECT_EQ(result, HelperInstaller::Result::Installed) << detail.toStdString();
}

// What is installed is what was read and checked when the installation began, whatever
// the bundle's files become while the administrator is asked.
TEST_F(HelperInstallerTest, InstallsExactlyWhatWasChecked) {
    installer.start();
    QFile tool(source.filePath(QStringLiteral("schedule")));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly | QIODevice::Truncate));
    tool.write("#!/bin/sh\n# swapped after the check\n");
    tool.close();
    ASSERT_TRUE(waitUntil([this] { return done; }, 30000));
    ASSERT_EQ(result, HelperInstaller::Result::Installed) << detail.toStdString();
    QFile installed(root.path() + QStringLiteral("/usr/local/libexec/resvman/schedule"));
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    EXPECT_EQ(installed.readAll(), QByteArray("#!/bin/sh\n# schedule\n"));
}

// A bundle in a folder every user may write, as another user (made with setpriv) would leave
// it for the victim: nothing of it is offered or installed to run as root.
TEST_F(HelperInstallerTest, AHelperOthersCouldChangeIsNeverInstalled) {
    constexpr uid_t kVictim = 50100;
    constexpr uid_t kAttacker = 50101;
    struct Case {
        char const* what;
        uid_t folderOwner;
        mode_t folderMode;
        uid_t brokerOwner;
        mode_t brokerMode;
        char const* at; // where the check finds the fault, below the folder
    } const cases[] = {
        {"the victim's files in the victim's folder anyone may write", kVictim, 0777, kVictim, 0755,
         ""},
        {"the attacker's broker in a sticky folder of root's, like /tmp", 0, 01777, kAttacker, 0755,
         ""},
        {"the victim's broker that anyone may change", kVictim, 0755, kVictim, 0777,
         "/resvman-schedule-broker"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir place;
        ::chmod(QFile::encodeName(place.path()).constData(), 0755);
        QString const bundle = place.filePath(QStringLiteral("shared"));
        ASSERT_TRUE(QDir().mkdir(bundle));
        ::chown(QFile::encodeName(bundle).constData(), c.folderOwner, c.folderOwner);
        ::chmod(QFile::encodeName(bundle).constData(), c.folderMode);
        for (char const* name : {"schedule", "resvman-schedule-broker"}) {
            QString const path = bundle + QLatin1Char('/') + QString::fromLatin1(name);
            uid_t const owner = std::string(name) == "schedule" ? kVictim : c.brokerOwner;
            // Written by its owner, as the attack leaves it.
            ASSERT_EQ(QProcess::execute(QStringLiteral("setpriv"),
                                        {QStringLiteral("--reuid=%1").arg(owner),
                                         QStringLiteral("--regid=%1").arg(owner),
                                         QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                         QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                         QStringLiteral("echo '#!/bin/sh' > \"$1\""),
                                         QStringLiteral("sh"), path}),
                      0)
                << "setpriv";
            ::chmod(QFile::encodeName(path).constData(),
                    std::string(name) == "schedule" ? 0755 : c.brokerMode);
        }
        installer.setUser(kVictim);
        installer.setSourceFolder(bundle);
        trust::Verdict const verdict = installer.checkSource();
        EXPECT_FALSE(verdict.ok());
        EXPECT_EQ(verdict.where, (bundle + QString::fromLatin1(c.at)).toStdString());
        ASSERT_TRUE(install());
        EXPECT_EQ(result, HelperInstaller::Result::Untrusted) << detail.toStdString();
        EXPECT_FALSE(QFile::exists(root.path() + QStringLiteral("/usr/local/libexec/resvman")));
    }
}

TEST_F(HelperInstallerTest, NothingToInstallIsSaid) {
    installer.setSourceFolder(root.path());
    ASSERT_TRUE(install());
    EXPECT_EQ(result, HelperInstaller::Result::Unavailable);
}

TEST(HelperInstallerAction, EachInstallationHasAnActionOfItsOwn) {
    EXPECT_EQ(HelperInstaller::polkitActionId(QStringLiteral("/usr/libexec/resvman")),
              QStringLiteral("org.velto.resvman.schedule"));
    EXPECT_EQ(HelperInstaller::polkitActionId(QStringLiteral("/usr/local/libexec/resvman")),
              QStringLiteral("org.velto.resvman.schedule.usr-local-libexec-resvman"));
    EXPECT_EQ(HelperInstaller::polkitActionId(QStringLiteral("/opt/Res Man/libexec/resvman")),
              QStringLiteral("org.velto.resvman.schedule.opt-res-man-libexec-resvman"));
}
