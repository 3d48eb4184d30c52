#include "platform/linux/QtUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

class QtUserDefaultsTest : public ::testing::Test {
protected:
    QString path(char const* name = "defaults.conf") const {
        return dir.filePath(QString::fromLatin1(name));
    }
    void writeFile(QByteArray const& content, char const* name = "defaults.conf") const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QTemporaryDir dir;
};

TEST_F(QtUserDefaultsTest, AbsentKeysReadAsAbsentZeroAndOff) {
    QtUserDefaults defaults(path());
    for (char const* key : {kDefaultsSuspendFlag, kDefaultsUseAcpi, kDefaultsRestoreTime,
                            kDefaultsShutdown, kDefaultsExitAfterRecord}) {
        EXPECT_FALSE(defaults.objectForKey(key)) << key;
        EXPECT_EQ(defaults.integerForKey(key), 0) << key;
        EXPECT_FALSE(defaults.boolForKey(key)) << key;
    }
    EXPECT_FALSE(QFile::exists(path())) << "reading must not create the file";
}

TEST_F(QtUserDefaultsTest, WrittenValuesArePresentAndPersist) {
    {
        QtUserDefaults writer(path());
        writer.setInteger(kDefaultsSuspendFlag, 0);
        writer.setInteger(kDefaultsUseAcpi, 1);
        writer.setInteger(kDefaultsRestoreTime, 9);
        writer.setInteger(kDefaultsShutdown, -1);
    }
    QtUserDefaults reader(path());
    // Zero is present but off: the settings table tells "0" from "never set".
    EXPECT_TRUE(reader.objectForKey(kDefaultsSuspendFlag));
    EXPECT_EQ(reader.integerForKey(kDefaultsSuspendFlag), 0);
    EXPECT_FALSE(reader.boolForKey(kDefaultsSuspendFlag));
    EXPECT_TRUE(reader.boolForKey(kDefaultsUseAcpi));
    EXPECT_EQ(reader.integerForKey(kDefaultsRestoreTime), 9);
    EXPECT_EQ(reader.integerForKey(kDefaultsShutdown), -1);
    EXPECT_TRUE(reader.boolForKey(kDefaultsShutdown));
    EXPECT_FALSE(reader.objectForKey(kDefaultsExitAfterRecord));

    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("RESTORETIME=9"));
}

TEST_F(QtUserDefaultsTest, HandEditedValuesThatAreNotIntegersCountAsAbsent) {
    writeFile("[General]\n"
              "SUSPENDFLAG=abc\n"
              "USEACPI=\" 1 \"\n"
              "RESTORETIME=5.5\n"
              "SHUTDOWN=\n"
              "EXITAFTERRECORD=99999999999999999999999\n"
              "A=1, 2\n"
              "B=0x10\n"
              "C=-3\n"
              "D=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x2)\n"
              "E=true\n"
              "[Other]\n"
              "RESTORETIME=4\n");
    QtUserDefaults defaults(path());
    EXPECT_FALSE(defaults.objectForKey(kDefaultsSuspendFlag));
    EXPECT_TRUE(defaults.objectForKey(kDefaultsUseAcpi));
    EXPECT_EQ(defaults.integerForKey(kDefaultsUseAcpi), 1);
    EXPECT_FALSE(defaults.objectForKey(kDefaultsRestoreTime));
    EXPECT_EQ(defaults.integerForKey(kDefaultsRestoreTime), 0);
    EXPECT_FALSE(defaults.objectForKey(kDefaultsShutdown));
    EXPECT_FALSE(defaults.objectForKey(kDefaultsExitAfterRecord));
    EXPECT_FALSE(defaults.boolForKey(kDefaultsExitAfterRecord));
    for (char const* key : {"A", "B", "D", "E"}) {
        EXPECT_FALSE(defaults.objectForKey(key)) << key;
        EXPECT_EQ(defaults.integerForKey(key), 0) << key;
    }
    EXPECT_EQ(defaults.integerForKey("C"), -3);
}

TEST_F(QtUserDefaultsTest, UnusableFilesReadAsEmpty) {
    writeFile(QByteArray("\0\xff\xfe[\x01=\n\n\x80\x81", 10));
    QtUserDefaults junk(path());
    EXPECT_FALSE(junk.objectForKey(kDefaultsSuspendFlag));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.conf")));
    QtUserDefaults folder(path("folder.conf"));
    EXPECT_FALSE(folder.objectForKey(kDefaultsSuspendFlag));
    folder.setInteger(kDefaultsSuspendFlag, 1); // cannot be stored; must not crash
    EXPECT_FALSE(folder.objectForKey(kDefaultsSuspendFlag));

    // A FIFO with no writer: neither reading nor storing may wait on it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.conf")).constData(), 0600), 0);
    QtUserDefaults fifo(path("fifo.conf"));
    EXPECT_FALSE(fifo.objectForKey(kDefaultsSuspendFlag));
    fifo.setInteger(kDefaultsSuspendFlag, 1);
    EXPECT_FALSE(fifo.objectForKey(kDefaultsSuspendFlag));
}

TEST_F(QtUserDefaultsTest, ReadsWhileAnotherThreadWritesSeeWholeValues) {
    QtUserDefaults defaults(path());
    defaults.setInteger(kDefaultsRestoreTime, 3);

    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::atomic<int> reads{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            // A second instance on the same file, as the settings dialog and the engine have.
            QtUserDefaults other(path());
            while (!done) {
                QtUserDefaults& d = (reads % 2 == 0) ? defaults : other;
                long const v = d.integerForKey(kDefaultsRestoreTime);
                if (!d.objectForKey(kDefaultsRestoreTime) || v < 3 || v > 9) {
                    ++bad;
                }
                ++reads;
            }
        });
    }
    for (int i = 0; i < 60; ++i) {
        defaults.setInteger(kDefaultsRestoreTime, 3 + i % 7);
    }
    done = true;
    for (auto& t : readers) {
        t.join();
    }
    EXPECT_EQ(bad.load(), 0);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(QtUserDefaults(path()).integerForKey(kDefaultsRestoreTime), 3 + 59 % 7);
}

TEST(QtUserDefaultsLocation, LivesInTheVendorFolderOfTheUserConfig) {
    EXPECT_TRUE(QtUserDefaults().filePath().endsWith(QStringLiteral("/Velto/ResvMan.conf")))
        << QtUserDefaults().filePath().toStdString();
}

} // namespace
