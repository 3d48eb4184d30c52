// The check window: the facts are read off the main thread while the window keeps answering,
// and each check shows its verdict, what it found and what to do.
#include "ui/WakeCheckWindow.h"
#include "platform/linux/TestWakeUp.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakePrivilegedOps.h"
#include "ui/MessageBox.h"
#include "ui/WakeCheckTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// A laptop shared with Windows, shut down after recordings, without automatic login.
WakeFacts laptop() {
    WakeFacts facts;
    facts.now = 1714500000;
    facts.zoneOffset = 9 * 3600;
    facts.systemd = true;
    facts.logind = WakeFacts::Bus::Answered;
    facts.helper = WakeFacts::Helper::Installed;
    facts.rtc.present = facts.rtc.wakeAlarm = true;
    facts.rtc.clock = facts.now + facts.zoneOffset;
    facts.rtc.adjtime = RtcFacts::Adjtime::Local;
    facts.probed = true;
    facts.range = AlarmRange::Within24h;
    facts.plannedWakeUps = std::vector<std::int64_t>{};
    facts.autostart = true;
    facts.login.state = AutoLogin::State::Off;
    facts.shutdownOn = true;
    return facts;
}

} // namespace

class WakeCheckWindowTest : public QObject {
    Q_OBJECT

    QTranslator m_translator;

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
    }

    void readsOffTheMainThreadAndShowsEachCheck() {
        std::mutex mutex;
        std::condition_variable released;
        bool go = false;
        std::thread::id readOn;
        WakeCheckWindow window([&] {
            std::unique_lock lock(mutex);
            readOn = std::this_thread::get_id();
            released.wait(lock, [&] { return go; });
            return laptop();
        });
        window.openAndCheck();
        // The reader is stuck; the window still answers and says it is checking.
        QTest::qWait(50);
        QVERIFY(window.checking());
        auto* again = window.findChild<QPushButton*>(QStringLiteral("checkAgain"));
        QVERIFY(!again->isEnabled());
        auto* summary = window.findChild<QLabel*>(QStringLiteral("summary"));
        QVERIFY(summary->text().startsWith(QStringLiteral("Checking")));
        {
            std::lock_guard lock(mutex);
            go = true;
        }
        released.notify_all();
        QTRY_VERIFY(!window.checking());
        QVERIFY(readOn != std::this_thread::get_id());
        QVERIFY(again->isEnabled());
        QCOMPARE(window.findings().size(), 8u);
        QVERIFY2(summary->text().contains(QStringLiteral("1 problem")),
                 qPrintable(summary->text()));
        auto* login = window.findChild<QLabel*>(QStringLiteral("automatic-login"));
        QVERIFY(login);
        QCOMPARE(login->accessibleName(), QStringLiteral("Automatic login: Problem"));
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("rtc-utc")));
        // A second check replaces the rows rather than adding to them.
        again->click();
        QTRY_VERIFY(!window.checking());
        QCOMPARE(window.findChildren<QLabel*>(QStringLiteral("rtc")).size(), 1);
    }

    // The test wake-up starts only once the user agrees, and its end is shown in words: here
    // the computer cannot be suspended (no system bus), so nothing was tested.
    void testWakeUpAsksFirstAndTellsHowItEnded() {
        FakeClock clock(1714500000.0);
        FakePrivilegedOps privileged;
        TestWakeUp test(clock, privileged, QDBusConnection(QStringLiteral("no-bus")),
                        "/nonexistent");
        WakeCheckWindow window([] { return laptop(); });
        window.setTestWakeUp(&test);
        window.openAndCheck();
        QTRY_VERIFY(!window.checking());
        auto* button = window.findChild<QPushButton*>(QStringLiteral("testWakeUp"));
        QVERIFY(button->isVisible());
        std::vector<QString> asked;
        bool agree = false;
        MessageBox::setHandler([&](MessageBox::Request const& request) {
            asked.push_back(request.message);
            return agree ? MessageBox::Button::Default : MessageBox::Button::Alternate;
        });
        button->click();
        QCOMPARE(asked.size(), 1u);
        QVERIFY(!test.running());
        QVERIFY(privileged.calls().empty());
        agree = true;
        button->click();
        QVERIFY(test.running());
        QVERIFY(!button->isEnabled());
        QSignalSpy shown(&window, &WakeCheckWindow::testShown);
        QVERIFY(shown.wait(5000));
        MessageBox::setHandler(nullptr);
        QCOMPARE(privileged.calls(),
                 std::vector<std::string>{FakePrivilegedOps::wakeCall(1714500120.0)});
        QVERIFY2(window.testText().contains(
                     QStringLiteral("could not be suspended (the system bus cannot be reached)")),
                 qPrintable(window.testText()));
        QVERIFY(button->isEnabled());
    }

    // Every finding says what was found, and every one that is not fine says what to do.
    void everyFindingHasItsWords() {
        using Code = WakeFinding::Code;
        WakeFacts const facts = laptop();
        for (int c = 0; c <= static_cast<int>(Code::NotChecked); ++c) {
            WakeFinding finding;
            finding.code = static_cast<Code>(c);
            for (int check = 0; check <= static_cast<int>(WakeFinding::Check::AutomaticLogin);
                 ++check) {
                finding.check = static_cast<WakeFinding::Check>(check);
                QVERIFY2(!WakeCheckTexts::found(finding, facts).isEmpty(),
                         qPrintable(QString::number(c)));
                QVERIFY(!WakeCheckTexts::checkName(finding.check).isEmpty());
            }
            bool const needsAdvice = finding.code != Code::Fine && finding.code != Code::NotChecked;
            QCOMPARE(WakeCheckTexts::advice(finding).isEmpty(), !needsAdvice);
        }
    }

    // With RESVMAN_SCREENSHOTS set to a folder, saves the window in both languages
    // (wake-check-en.png, wake-check-ja.png).
    void screenshots() {
        QString const dir = qEnvironmentVariable("RESVMAN_SCREENSHOTS");
        if (dir.isEmpty()) {
            QSKIP("RESVMAN_SCREENSHOTS not set");
        }
        for (char const* lang : {"en", "ja"}) {
            QTranslator translator;
            QVERIFY(translator.load(QStringLiteral(":/i18n/resvman_%1.qm").arg(lang)));
            QCoreApplication::removeTranslator(&m_translator);
            QCoreApplication::installTranslator(&translator);
            WakeCheckWindow window([] { return laptop(); });
            // With a test's outcome shown under the checks.
            FakeClock clock(1714500000.0);
            FakePrivilegedOps privileged;
            TestWakeUp test(clock, privileged, QDBusConnection(QStringLiteral("no-bus")), "/none");
            window.setTestWakeUp(&test);
            window.openAndCheck();
            QTRY_VERIFY(!window.checking());
            MessageBox::setHandler(
                [](MessageBox::Request const&) { return MessageBox::Button::Default; });
            QSignalSpy shown(&window, &WakeCheckWindow::testShown);
            window.findChild<QPushButton*>(QStringLiteral("testWakeUp"))->click();
            QVERIFY(shown.wait(5000));
            MessageBox::setHandler(nullptr);
            QTest::qWait(100);
            QVERIFY(window.grab().toImage().save(
                QDir(dir).filePath(QStringLiteral("wake-check-%1.png").arg(lang))));
            QCoreApplication::removeTranslator(&translator);
            QCoreApplication::installTranslator(&m_translator);
        }
    }
};

QTEST_MAIN(WakeCheckWindowTest)
#include "WakeCheckWindowTest.moc"
