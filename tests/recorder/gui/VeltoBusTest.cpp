// The real velto program on a session bus of its own (the test runs under
// dbus-run-session): what the manager hands over is recorded and reported, bad messages are
// refused with a report and disturb nothing, a second start leaves the first running, and
// AppTerminate ends the program once nothing waits.
#include "CaptureGenerator.h"
#include "TempFolder.h"
#include "platform/linux/CompanionBusNames.h"
#include "platform/linux/DBusCompanionBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace velto {
namespace {

using namespace velto::test;
using Clock = std::chrono::system_clock;

bool waitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

const CompanionValue* entry(const CompanionMessage& message, const std::string& key) {
    for (const auto& [name, value] : message.values)
        if (name == key)
            return &value;
    return nullptr;
}

std::string text(const CompanionMessage& message, const std::string& key) {
    const CompanionValue* value = entry(message, key);
    return value != nullptr && std::holds_alternative<std::string>(*value)
               ? std::get<std::string>(*value)
               : std::string("(none)");
}

class VeltoOnTheBus : public ::testing::Test {
protected:
    void SetUp() override {
        FmCapture capture;
        capture.seconds = 3;
        capture.stereo = capture.pilot = true;
        capture.left = {{1000, 0.8}};
        capture.right = {{1500, 0.8}};
        writeCapture(m_folder.file("fm.cu8"), generateFm(capture), CaptureFormat::Cu8);
        for (const char* name : {"config", "music", "run"})
            std::filesystem::create_directories(m_folder.path() / name);
        std::filesystem::permissions(m_folder.path() / "run", std::filesystem::perms::owner_all);
        m_bus.addObserver("Velto_Notification_RecordingStarted", &m_context,
                          [this](const CompanionMessage& m) { m_started.push_back(m); });
        m_bus.addObserver("Velto_Notification_RecordingFinished", &m_context,
                          [this](const CompanionMessage& m) { m_finished.push_back(m); });
    }

    QProcess* startVelto() {
        auto* velto = new QProcess(&m_context);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString root = QString::fromStdString(m_folder.path().string());
        env.insert("HOME", root);
        env.insert("XDG_CONFIG_HOME", root + "/config");
        env.insert("XDG_RUNTIME_DIR", root + "/run");
        env.insert("VELTO_SOURCE",
                   QString::fromStdString("iq:" + m_folder.file("fm.cu8") +
                                          "?format=cu8&rate=1024000&center=80000000&loop=1"));
        velto->setProcessEnvironment(env);
        velto->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        velto->start(VELTO_BINARY, {"--headless"});
        return velto;
    }

    static bool veltoOnBus() {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(
            kCompanionServiceName);
    }

    void post(CompanionValues values) {
        ASSERT_TRUE(
            m_bus.post("Schedule_Notification_SendMessage", std::string("message"), values));
    }

    static CompanionValues message(const std::string& title, int32_t ch, double fromNow,
                                   double length, bool terminate = false) {
        const double now =
            std::floor(std::chrono::duration<double>(Clock::now().time_since_epoch()).count());
        return {{"CH", ch},
                {"BAND", std::string("FM")},
                {"RecStartTime", now + fromNow},
                {"RecEndTime", now + fromNow + length},
                {"Title", title},
                {"AppTerminate", terminate}};
    }

    test::TempFolder m_folder;
    QObject m_context;
    DBusCompanionBus m_bus;
    std::vector<CompanionMessage> m_started;
    std::vector<CompanionMessage> m_finished;
};

TEST_F(VeltoOnTheBus, RefusesBadMessagesRecordsTheNextAndQuitsWhenAsked) {
    QProcess* velto = startVelto();
    ASSERT_TRUE(waitFor(veltoOnBus, 10'000));

    // A second start hands over to the first and leaves.
    QProcess* second = startVelto();
    ASSERT_TRUE(second->waitForFinished(10'000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(velto->state(), QProcess::Running);

    CompanionValues missing = message("no channel", 8000, 30, 10);
    missing.erase(missing.begin());
    CompanionValues mistyped = message("text channel", 8000, 30, 10);
    mistyped[0].second = std::string("8000");
    post(missing);
    post(mistyped);
    post(message("outside the band", 123, 30, 10));
    post(message("already over", 8000, -20, 10));
    ASSERT_TRUE(waitFor([this] { return m_finished.size() == 4; }, 10'000));
    const std::pair<const char*, const char*> refused[] = {{"no channel", "bad-message"},
                                                           {"text channel", "bad-message"},
                                                           {"outside the band", "bad-channel"},
                                                           {"already over", "already-over"}};
    for (const auto& [title, reason] : refused) {
        SCOPED_TRACE(title);
        const auto found = std::find_if(m_finished.begin(), m_finished.end(),
                                        [&](auto& m) { return text(m, "Title") == title; });
        ASSERT_NE(found, m_finished.end());
        EXPECT_EQ(text(*found, "Result"), "failed");
        EXPECT_EQ(text(*found, "Reason"), reason);
    }
    m_finished.clear();

    // A title of 10,000 bytes with "/" and control characters records into a safe name,
    // and is reported cut to what the manager takes; then the program quits, nothing
    // waiting.
    const std::string title = "/../\x01\x1b" + std::string(10'000, 'T');
    post(message(title, 8000, -1, 3, true));
    ASSERT_TRUE(waitFor([this] { return !m_finished.empty(); }, 20'000));
    ASSERT_EQ(m_started.size(), 1u);
    const std::string reported = title.substr(0, 4096); // what the manager takes
    EXPECT_TRUE(text(m_started[0], "Title") == reported);
    EXPECT_TRUE(text(m_finished[0], "Title") == reported);
    EXPECT_EQ(text(m_finished[0], "Result"), "recorded");
    const std::filesystem::path file = text(m_finished[0], "File");
    EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
    EXPECT_EQ(file.parent_path(), m_folder.path() / "Music" / "Radio");
    EXPECT_LE(file.filename().string().size(), 255u);
    EXPECT_TRUE(velto->waitForFinished(10'000));
    EXPECT_EQ(velto->exitCode(), 0);
}

TEST_F(VeltoOnTheBus, AKilledRecordingIsFinishedAtTheNextStartAndTermStopsCleanly) {
    const std::filesystem::path radio = m_folder.path() / "Music" / "Radio";
    const auto files = [&](const std::string& ending) {
        int count = 0;
        for (const auto& file : std::filesystem::directory_iterator(radio))
            count += file.path().string().ends_with(ending);
        return count;
    };
    QProcess* velto = startVelto();
    ASSERT_TRUE(waitFor(veltoOnBus, 10'000));
    post(message("killed", 8000, -1, 60));
    ASSERT_TRUE(waitFor([this] { return m_started.size() == 1; }, 10'000));
    QTest::qWait(2500); // past the first flush of pages
    velto->kill();
    ASSERT_TRUE(velto->waitForFinished(5000));
    EXPECT_EQ(files(".opus.part"), 1);

    QProcess* again = startVelto();
    ASSERT_TRUE(waitFor(veltoOnBus, 10'000));
    EXPECT_EQ(files(".opus.part"), 0);
    EXPECT_EQ(files(".opus"), 1);
    EXPECT_EQ(files(".programme"), 0);
    // The manager learns what became of the killed one, for the programme as handed over.
    ASSERT_TRUE(waitFor([this] { return m_finished.size() == 1; }, 5000));
    const CompanionMessage& killed = m_finished[0];
    EXPECT_EQ(text(killed, "Title"), "killed");
    EXPECT_EQ(text(killed, "Result"), "partial");
    EXPECT_EQ(text(killed, "Reason"), "interrupted");
    EXPECT_EQ(text(killed, "Source"), "receiver");
    EXPECT_TRUE(std::filesystem::is_regular_file(text(killed, "File")));
    for (const char* key : {"RecStartTime", "RecEndTime", "CH", "BAND"})
        EXPECT_TRUE(entry(killed, key) && entry(m_started[0], key) &&
                    *entry(killed, key) == *entry(m_started[0], key))
            << key;

    // SIGTERM ends the recording in progress with a file and a report.
    post(message("terminated", 8000, -1, 60));
    ASSERT_TRUE(waitFor([this] { return m_started.size() == 2; }, 10'000));
    QTest::qWait(1000);
    again->terminate();
    ASSERT_TRUE(again->waitForFinished(10'000));
    EXPECT_EQ(again->exitStatus(), QProcess::NormalExit);
    ASSERT_TRUE(waitFor([this] { return m_finished.size() == 2; }, 5000));
    EXPECT_EQ(text(m_finished.back(), "Title"), "terminated");
    EXPECT_EQ(text(m_finished.back(), "Reason"), "stopped");
    EXPECT_TRUE(std::filesystem::is_regular_file(text(m_finished.back(), "File")));
}

} // namespace
} // namespace velto

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
