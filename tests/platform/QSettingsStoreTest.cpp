#include "platform/linux/QSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

class QSettingsStoreTest : public ::testing::Test {
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

TEST_F(QSettingsStoreTest, AbsentKeysReadAsAbsentZeroAndOff) {
    QSettingsStore defaults(path());
    for (char const* key :
         {kAllowIdleSleepKey, kWakeBeforeKey, kWakeLeadKey, kShutdownAfterKey, kQuitCompanionKey}) {
        EXPECT_FALSE(defaults.contains(key)) << key;
        EXPECT_EQ(defaults.integer(key), 0) << key;
        EXPECT_FALSE(defaults.isOn(key)) << key;
    }
    EXPECT_FALSE(QFile::exists(path())) << "reading must not create the file";
}

TEST_F(QSettingsStoreTest, WrittenValuesArePresentAndPersist) {
    {
        QSettingsStore writer(path());
        writer.setInteger(kAllowIdleSleepKey, 0);
        writer.setInteger(kWakeBeforeKey, 1);
        writer.setInteger(kWakeLeadKey, 9);
        writer.setInteger(kShutdownAfterKey, -1);
    }
    QSettingsStore reader(path());
    // Zero is present but off: the settings table tells "0" from "never set".
    EXPECT_TRUE(reader.contains(kAllowIdleSleepKey));
    EXPECT_EQ(reader.integer(kAllowIdleSleepKey), 0);
    EXPECT_FALSE(reader.isOn(kAllowIdleSleepKey));
    EXPECT_TRUE(reader.isOn(kWakeBeforeKey));
    EXPECT_EQ(reader.integer(kWakeLeadKey), 9);
    EXPECT_EQ(reader.integer(kShutdownAfterKey), -1);
    EXPECT_TRUE(reader.isOn(kShutdownAfterKey));
    EXPECT_FALSE(reader.contains(kQuitCompanionKey));

    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("RESTORETIME=9"));
}

TEST_F(QSettingsStoreTest, HandEditedValuesThatAreNotIntegersCountAsAbsent) {
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
    QSettingsStore defaults(path());
    EXPECT_FALSE(defaults.contains(kAllowIdleSleepKey));
    EXPECT_TRUE(defaults.contains(kWakeBeforeKey));
    EXPECT_EQ(defaults.integer(kWakeBeforeKey), 1);
    EXPECT_FALSE(defaults.contains(kWakeLeadKey));
    EXPECT_EQ(defaults.integer(kWakeLeadKey), 0);
    EXPECT_FALSE(defaults.contains(kShutdownAfterKey));
    EXPECT_FALSE(defaults.contains(kQuitCompanionKey));
    EXPECT_FALSE(defaults.isOn(kQuitCompanionKey));
    for (char const* key : {"A", "B", "D", "E"}) {
        EXPECT_FALSE(defaults.contains(key)) << key;
        EXPECT_EQ(defaults.integer(key), 0) << key;
    }
    EXPECT_EQ(defaults.integer("C"), -3);
}

TEST_F(QSettingsStoreTest, UnusableFilesReadAsEmpty) {
    writeFile(QByteArray("\0\xff\xfe[\x01=\n\n\x80\x81", 10));
    QSettingsStore junk(path());
    EXPECT_FALSE(junk.contains(kAllowIdleSleepKey));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.conf")));
    QSettingsStore folder(path("folder.conf"));
    EXPECT_FALSE(folder.contains(kAllowIdleSleepKey));
    folder.setInteger(kAllowIdleSleepKey, 1); // cannot be stored; must not crash
    EXPECT_FALSE(folder.contains(kAllowIdleSleepKey));

    // A FIFO with no writer: neither reading nor storing may wait on it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.conf")).constData(), 0600), 0);
    QSettingsStore fifo(path("fifo.conf"));
    EXPECT_FALSE(fifo.contains(kAllowIdleSleepKey));
    fifo.setInteger(kAllowIdleSleepKey, 1);
    EXPECT_FALSE(fifo.contains(kAllowIdleSleepKey));
}

TEST_F(QSettingsStoreTest, ReadsWhileAnotherThreadWritesSeeWholeValues) {
    QSettingsStore defaults(path());
    defaults.setInteger(kWakeLeadKey, 3);

    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::atomic<int> reads{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            // A second instance on the same file, as the settings dialog and the engine have.
            QSettingsStore other(path());
            while (!done) {
                QSettingsStore& d = (reads % 2 == 0) ? defaults : other;
                long const v = d.integer(kWakeLeadKey);
                if (!d.contains(kWakeLeadKey) || v < 3 || v > 9) {
                    ++bad;
                }
                ++reads;
            }
        });
    }
    for (int i = 0; i < 60; ++i) {
        defaults.setInteger(kWakeLeadKey, 3 + i % 7);
    }
    done = true;
    for (auto& t : readers) {
        t.join();
    }
    EXPECT_EQ(bad.load(), 0);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(QSettingsStore(path()).integer(kWakeLeadKey), 3 + 59 % 7);
}

TEST(QSettingsStoreLocation, LivesInTheVendorFolderOfTheUserConfig) {
    EXPECT_TRUE(QSettingsStore().filePath().endsWith(QStringLiteral("/Velto/ResvMan.conf")))
        << QSettingsStore().filePath().toStdString();
}

} // namespace
