// The one-time installation of the wake-up helper, into a folder standing for "/", started
// directly as root (pkexec needs an administrator at the screen).
#include "platform/linux/HelperInstaller.h"

#include "tests/support/EventLoopHelpers.h"

#include <QDir>
#include <QFile>
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

TEST_F(HelperInstallerTest, ReadsTheCopiesAsTheUserNotAsRoot) {
    // A "tool" only root may read: the installation must not make it readable to all.
    QString const secret = source.filePath(QStringLiteral("schedule"));
    ::chmod(QFile::encodeName(secret).constData(), 0600);
    installer.setUser(50001);
    ASSERT_TRUE(install());
    EXPECT_EQ(result, HelperInstaller::Result::Failed);
    EXPECT_TRUE(detail.contains(QStringLiteral("cannot read")));
    EXPECT_FALSE(
        QFile::exists(root.path() + QStringLiteral("/usr/local/libexec/resvman/schedule")));
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
