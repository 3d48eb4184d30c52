#include "platform/linux/CompanionLauncher.h"
#include "platform/linux/PresetFile.h"

#include "TestPaths.h"
#include "tests/support/EventLoopHelpers.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

class CompanionLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        busName = QStringLiteral("org.velto.Test.Launcher%1_%2").arg(::getpid()).arg(counter++);
        marker = dir.filePath(QStringLiteral("marker"));
        savedPath = qgetenv("PATH");
    }
    void TearDown() override {
        qputenv("PATH", savedPath);
        for (qint64 pid : startedPids()) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        }
    }

    // A program that notes its pid and working folder, then lingers for a while.
    QString writeScript(QString const& path, QByteArray const& body = "exec sleep 5\n") {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho \"$$ $(pwd)\" >> '" + QFile::encodeName(marker) + "'\n" + body);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QStringList markerLines() const {
        QFile f(marker);
        if (!f.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QList<qint64> startedPids() const {
        QList<qint64> pids;
        for (QString const& line : markerLines()) {
            pids.append(line.section(QLatin1Char(' '), 0, 0).toLongLong());
        }
        return pids;
    }
    bool waitForStarts(int n) {
        return waitUntil([&] { return markerLines().size() >= n; }, 5000);
    }
    CompanionLauncher launcher() const {
        return CompanionLauncher(QDBusConnection::sessionBus(), busName);
    }

    static inline int counter = 0;
    QTemporaryDir dir;
    QString busName;
    QString marker;
    QByteArray savedPath;
};

TEST_F(CompanionLauncherTest, StartsAnAppDirOrAnExecutableFromTheHomeFolder) {
    QDir(dir.path()).mkdir(QStringLiteral("Velto.app"));
    writeScript(dir.filePath(QStringLiteral("Velto.app/AppRun")));
    CompanionLauncher appDir = launcher();
    EXPECT_TRUE(appDir.open(dir.filePath(QStringLiteral("Velto.app")).toStdString()));
    ASSERT_TRUE(waitForStarts(1));
    EXPECT_EQ(markerLines().at(0).section(QLatin1Char(' '), 1),
              QString::fromStdString(PresetFile::loginHomeDirectory()));

    QString const file = writeScript(dir.filePath(QStringLiteral("Plain.app")));
    CompanionLauncher plain = launcher();
    EXPECT_TRUE(plain.open(file.toStdString()));
    ASSERT_TRUE(waitForStarts(2));
}

TEST_F(CompanionLauncherTest, MissingOrUnstartableCompanionIsNotOpened) {
    CompanionLauncher l = launcher();
    EXPECT_FALSE(l.open(dir.filePath(QStringLiteral("Velto.app")).toStdString()));
    EXPECT_FALSE(l.open(""));

    QDir(dir.path()).mkdir(QStringLiteral("Empty.app"));
    EXPECT_FALSE(l.open(dir.filePath(QStringLiteral("Empty.app")).toStdString()));

    QString const plain = dir.filePath(QStringLiteral("NotExecutable.app"));
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    EXPECT_FALSE(l.open(plain.toStdString()));

    // A companion someone else could have planted or changed is not run.
    QDir(dir.path()).mkdir(QStringLiteral("Velto.app"));
    QString const appRun = writeScript(dir.filePath(QStringLiteral("Velto.app/AppRun")));
    std::string const app = dir.filePath(QStringLiteral("Velto.app")).toStdString();
    std::string const appRunPath = QFile::encodeName(appRun).toStdString();
    ::chmod(appRunPath.c_str(), 0777);
    EXPECT_FALSE(l.open(app));
    ::chmod(appRunPath.c_str(), 0700);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    EXPECT_FALSE(l.open(app));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(appRunPath.c_str(), 50001, 50001), 0); // another user's
        EXPECT_FALSE(l.open(app));
    }
    pump(200);
    EXPECT_TRUE(markerLines().isEmpty());
}

TEST_F(CompanionLauncherTest, ACompanionStillStartingIsNotStartedTwice) {
    QDir(dir.path()).mkdir(QStringLiteral("Velto.app"));
    writeScript(dir.filePath(QStringLiteral("Velto.app/AppRun")));
    std::string const app = dir.filePath(QStringLiteral("Velto.app")).toStdString();
    CompanionLauncher l = launcher();

    // The recording run calls from a thread of its own.
    bool first = false;
    std::thread([&] { first = l.open(app); }).join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(l.open(app));
    EXPECT_TRUE(l.launch("Velto"));
    ASSERT_TRUE(waitForStarts(1));
    pump(300);
    EXPECT_EQ(markerLines().size(), 1);

    // Once that process has gone, the next attempt starts it again.
    ::kill(static_cast<pid_t>(startedPids().at(0)), SIGKILL);
    pump(200);
    EXPECT_TRUE(l.open(app));
    EXPECT_TRUE(waitForStarts(2));
}

TEST_F(CompanionLauncherTest, ARunningCompanionOnTheBusIsOpenedWithoutAStart) {
    // The stand-in companion takes our test's bus name; AppRun starts it.
    QString const log = dir.filePath(QStringLiteral("standin.log"));
    QDir(dir.path()).mkdir(QStringLiteral("Velto.app"));
    writeScript(dir.filePath(QStringLiteral("Velto.app/AppRun")),
                "exec '" + QByteArray(kStandInCompanion) + "' --bus-name '" + busName.toUtf8() +
                    "' --path '" + uniqueObjectPath("launcher").toUtf8() + "' --log '" +
                    QFile::encodeName(log) + "'\n");
    std::string const app = dir.filePath(QStringLiteral("Velto.app")).toStdString();
    CompanionLauncher l = launcher();

    EXPECT_FALSE(l.isRunning());
    EXPECT_TRUE(l.open(app));
    ASSERT_TRUE(waitUntil([&] { return l.isRunning(); }, 10000));

    // A fresh launcher knows nothing of that start; the bus tells it.
    CompanionLauncher other = launcher();
    EXPECT_TRUE(other.open(app));
    EXPECT_TRUE(other.launch("Velto"));
    pump(300);
    EXPECT_EQ(markerLines().size(), 1);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(f.readLine()).object().value(QStringLiteral("event")),
              QStringLiteral("start"));
}

TEST_F(CompanionLauncherTest, LaunchByNameLooksOnPath) {
    QDir(dir.path()).mkdir(QStringLiteral("bin"));
    writeScript(dir.filePath(QStringLiteral("bin/Velto")));
    qputenv("PATH", QFile::encodeName(dir.filePath(QStringLiteral("bin"))) + ":" + savedPath);

    CompanionLauncher l = launcher();
    EXPECT_FALSE(l.launch(""));
    EXPECT_FALSE(l.launch("../bin/Velto"));
    EXPECT_FALSE(l.launch("NoSuchCompanion"));
    // Not from a folder on PATH that others may write.
    ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("bin"))).constData(), 0777);
    EXPECT_FALSE(l.launch("Velto"));
    ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("bin"))).constData(), 0755);
    EXPECT_TRUE(l.launch("Velto"));
    ASSERT_TRUE(waitForStarts(1));
}

} // namespace
