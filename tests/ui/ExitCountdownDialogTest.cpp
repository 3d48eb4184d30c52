// The countdown dialog on a virtual clock: each pass of its loop reads the clock once, and
// the test moves the clock on at that moment, so eleven seconds take a few milliseconds.
// And the countdown before a planned shutdown, beside its desktop notification.
#include "ui/ExitCountdownDialog.h"
#include "WhenShown.h"
#include "tests/support/FakeDesktopNotifier.h"
#include "ui/LevelIndicator.h"
#include "ui/ShutdownWarning.h"

#include <QAccessible>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <chrono>
#include <functional>
#include <vector>

namespace {

// What the dialog showed when the loop asked the clock.
struct Seen {
    double at;
    int line; // the count in the countdown line
    int value;
    std::optional<double> warning;
    std::optional<double> critical;
    LevelIndicator::Level level;
};

int countIn(QString const& line) {
    QRegularExpressionMatch const m = QRegularExpression(QStringLiteral("(\\d+)")).match(line);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// What a screen reader would find without words in a shown window: the window itself, its
// controls that take the keyboard, its pictures and its level bars.
QStringList unnamed(QWidget* window) {
    QStringList found;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(widget);
        bool const wanted = widget == window || widget->focusPolicy() != Qt::NoFocus ||
                            (said && (said->role() == QAccessible::ProgressBar ||
                                      said->role() == QAccessible::Indicator ||
                                      said->role() == QAccessible::Graphic));
        if (widget->isVisible() && wanted && (!said || said->text(QAccessible::Name).isEmpty())) {
            found.append(QString::fromLatin1(widget->metaObject()->className()));
        }
    }
    return found;
}

} // namespace

class ExitCountdownDialogTest : public QObject {
    Q_OBJECT

    QTranslator m_translator;

    // Installs a virtual clock that moves step seconds on each read after the first and
    // records the dialog's state at every read.
    void virtualClock(ExitCountdownDialog& dlg, double& t, double step, std::vector<Seen>& seen) {
        dlg.setPollInterval(1); // virtual seconds need no real waiting between passes
        bool* started = new bool(false);
        QLabel* const countdown = child<QLabel>(&dlg, "countdown");
        LevelIndicator* const level = child<LevelIndicator>(&dlg, "level");
        dlg.setClock([countdown, level, &t, step, &seen, started]() {
            if (*started) {
                seen.push_back({t, countIn(countdown->text()), level->value(),
                                level->warningValue(), level->criticalValue(), level->level()});
                t += step;
            }
            *started = true;
            return t;
        });
        connect(&dlg, &QObject::destroyed, [started] { delete started; });
    }

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
    }

    void runsOutAfterElevenSecondsAndConfirms() {
        ExitCountdownDialog dlg;
        dlg.setMessage(QStringLiteral("Reservations are waiting."));
        double t = 1000.0;
        std::vector<Seen> seen;
        virtualClock(dlg, t, 0.125, seen);

        QCOMPARE(dlg.exec(), QDialog::Accepted);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(child<QLabel>(&dlg, "message")->text(),
                 QStringLiteral("Reservations are waiting."));
        QVERIFY(!child<LevelIndicator>(&dlg, "level")->isEnabled());
        // The seconds are heard wherever the focus is: the last line is every button's
        // description too.
        for (char const* name : {"ok", "cancel", "level"}) {
            QCOMPARE(child<QWidget>(&dlg, name)->accessibleDescription(),
                     QStringLiteral("Exiting in 0 s."));
        }

        // Closes just after 11 s, not before.
        QVERIFY(t - 1000.0 >= 11.0);
        QVERIFY(t - 1000.0 <= 11.5);

        // Lines 10 down to 0 in order, the bar 0 up to 10 in step with them.
        std::vector<int> lines;
        for (Seen const& s : seen) {
            if (lines.empty() || lines.back() != s.line) {
                lines.push_back(s.line);
            }
        }
        QCOMPARE(lines, std::vector<int>({10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
        for (Seen const& s : seen) {
            QCOMPARE(s.value, 10 - s.line);
            // Whole second e shows the count 10 - e within a pass or two of its boundary.
            int const e = int(s.at - 1000.0);
            QVERIFY2(s.line == 10 - e || (s.line == 11 - e && s.at - 1000.0 - e < 0.3),
                     qPrintable(QString("at %1 line %2").arg(s.at - 1000.0).arg(s.line)));
            // The clock is read after each pass has set its thresholds, so the line seen
            // here may lag them by one count.
            if (s.line >= 7) {
                QVERIFY(!s.warning && !s.critical);
            }
            if (s.line <= 4) {
                QCOMPARE(s.warning.value_or(-1), 7.0);
            }
            if (s.line <= 2) {
                QCOMPARE(s.critical.value_or(-1), 8.0);
            }
            // The colour follows the values as a level indicator's does.
            LevelIndicator::Level const expected = s.value >= 8   ? LevelIndicator::Level::Critical
                                                   : s.value >= 7 ? LevelIndicator::Level::Warning
                                                                  : LevelIndicator::Level::Normal;
            QCOMPARE(int(s.level), int(expected));
        }
    }

    // OK, Cancel, the close box and Esc answer at once, whatever the clock says.
    void userAnswersAtOnce_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("answer");
        QTest::newRow("OK") << "ok" << true;
        QTest::newRow("Cancel") << "cancel" << false;
        QTest::newRow("close box") << "close" << false;
        QTest::newRow("Esc") << "esc" << false;
    }
    void userAnswersAtOnce() {
        QFETCH(QString, how);
        QFETCH(bool, answer);
        ExitCountdownDialog dlg;
        double const frozen = 50.0;
        dlg.setClock([frozen] { return frozen; });
        whenShown(&dlg, [&dlg, how] {
            if (how == "ok") {
                child<QPushButton>(&dlg, "ok")->click();
            } else if (how == "cancel") {
                child<QPushButton>(&dlg, "cancel")->click();
            } else if (how == "close") {
                dlg.close();
            } else {
                QTest::keyClick(&dlg, Qt::Key_Escape);
            }
        });
        auto const before = std::chrono::steady_clock::now();
        QCOMPARE(dlg.exec() == QDialog::Accepted, answer);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.count(), 10); // the frozen clock never moved the count
        // Generous: a hang shows as many seconds, a normal run takes milliseconds.
        QVERIFY(std::chrono::steady_clock::now() - before < std::chrono::seconds(8));
    }

    void secondRunStartsAgainAtTenWithAnEmptyBar() {
        ExitCountdownDialog dlg;
        double t = 0.0;
        std::vector<Seen> seen;
        virtualClock(dlg, t, 0.25, seen);
        QCOMPARE(dlg.exec(), QDialog::Accepted);
        QCOMPARE(child<LevelIndicator>(&dlg, "level")->value(), 10);
        QCOMPARE(int(child<LevelIndicator>(&dlg, "level")->level()),
                 int(LevelIndicator::Level::Critical));

        seen.clear();
        t = 500.0;
        whenShown(&dlg, [&dlg] {
            QTimer::singleShot(30, [&dlg] { child<QPushButton>(&dlg, "cancel")->click(); });
        });
        QCOMPARE(dlg.exec(), QDialog::Rejected);
        QVERIFY(!seen.empty());
        Seen const& first = seen.front();
        QCOMPARE(first.line, 10);
        QCOMPARE(first.value, 0);
        QVERIFY(!first.warning && !first.critical);
        QCOMPARE(int(first.level), int(LevelIndicator::Level::Normal));
    }

    // The loop waits for events between passes instead of spinning: on the real clock,
    // moved 9.5 s on after the start, it makes a bounded number of passes in its last 1.5 s.
    void loopDoesNotSpin() {
        ExitCountdownDialog dlg;
        int passes = 0;
        auto const origin = std::chrono::steady_clock::now();
        dlg.setClock([&passes, origin] {
            if (passes++ == 0) {
                return 0.0; // the start
            }
            return 9.5 +
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - origin).count();
        });
        QCOMPARE(dlg.exec(), QDialog::Accepted);
        // About 30 at a 50 ms poll; a busy loop makes hundreds of thousands.
        QVERIFY2(passes < 600, qPrintable(QString::number(passes)));
    }

    // The dialog's frame opens with its top-left corner on that of the parent's content.
    void opensOverTheParent() {
        QMainWindow parent;
        parent.setGeometry(200, 150, 700, 500);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        ExitCountdownDialog dlg(&parent);
        QPoint where;
        whenShown(&dlg, [&dlg, &where] {
            where = dlg.frameGeometry().topLeft();
            child<QPushButton>(&dlg, "cancel")->click();
        });
        QCOMPARE(dlg.exec(), QDialog::Rejected);
        QCOMPARE(where, parent.geometry().topLeft());
    }

    // A minute before a planned shutdown: the window and the notification both cancel it, a
    // plan without that shutdown withdraws both, and with no one at the computer nothing
    // shows.
    void shutdownWarningCancelsFromEitherPlace() {
        FakeDesktopNotifier notifier;
        std::vector<double> declined;
        ShutdownWarning warning(&notifier);
        connect(&warning, &ShutdownWarning::cancelled,
                [&declined](double at) { declined.push_back(at); });
        double t = 1.9e9;
        warning.setClock([&t] { return t; });
        auto const count = [&warning] {
            return countIn(warning.window()->findChild<QLabel*>(QStringLiteral("message"))->text());
        };

        warning.arm(t + 61.0); // the warning is a second away
        QVERIFY(!warning.warning());
        t += 1.0;
        QTRY_VERIFY_WITH_TIMEOUT(warning.warning(), 5000);
        QVERIFY(warning.window()->isVisible());
        QCOMPARE(count(), 60);
        QCOMPARE(unnamed(warning.window()), QStringList());
        t += 20.0;
        QTRY_COMPARE(count(), 40);
        QCOMPARE(notifier.shown.size(), 1u);
        DesktopNotification const shown = notifier.shown.begin()->second;
        QVERIFY(shown.critical);
        QCOMPARE(shown.actions.size(), 1u);
        QCOMPARE(shown.actions[0].first, std::string("cancel-shutdown"));
        QCOMPARE(QString::fromStdString(shown.actions[0].second),
                 QStringLiteral("Cancel shutdown"));
        warning.cancelButton()->click();
        QCOMPARE(declined, std::vector<double>{t + 40.0});
        QVERIFY(!warning.window()->isVisible());
        QVERIFY(notifier.shown.empty());

        warning.arm(t + 30.0); // planned within the minute: at once
        QVERIFY(warning.warning());
        notifier.click(notifier.shown.begin()->first, "cancel-shutdown");
        QCOMPARE(declined.size(), 2u);
        QCOMPARE(declined.back(), t + 30.0);
        QVERIFY(!warning.window()->isVisible());

        warning.arm(t + 20.0);
        QVERIFY(warning.warning());
        warning.arm(std::nullopt);
        QVERIFY(!warning.warning());
        QVERIFY(notifier.shown.empty());
        QVERIFY(!warning.window()->isVisible());

        warning.setActivityCheck([](std::function<void(bool)> answer) { answer(false); });
        warning.arm(t + 10.0);
        QVERIFY(!warning.warning());
        QCOMPARE(declined.size(), 2u);
    }

    // With RESVMAN_SCREENSHOTS set to a folder, saves the exit countdown at 3 seconds left
    // in both languages (countdown-dialog-en.png, countdown-dialog-ja.png).
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
            ExitCountdownDialog dlg;
            dlg.setPollInterval(1);
            dlg.setMessage(qtTrId("IDS_WARN_ABOUT_EXIT"));
            double t = 0.0;
            QImage shot;
            dlg.setClock([&dlg, &t, &shot] {
                if (shot.isNull() && dlg.count() == 3 && t >= 7.5) {
                    shot = dlg.grab().toImage();
                    child<QPushButton>(&dlg, "cancel")->click();
                }
                t += 0.25;
                return t;
            });
            QCOMPARE(dlg.exec(), QDialog::Rejected);
            QCoreApplication::removeTranslator(&translator);
            QCoreApplication::installTranslator(&m_translator);
            QVERIFY(!shot.isNull());
            QVERIFY(
                shot.save(QDir(dir).filePath(QStringLiteral("countdown-dialog-%1.png").arg(lang))));

            QCoreApplication::removeTranslator(&m_translator);
            QCoreApplication::installTranslator(&translator);
            ShutdownWarning warning(nullptr);
            warning.setClock([] { return 1.9e9; });
            warning.arm(1.9e9 + 42.0);
            QImage const warned = warning.window()->grab().toImage();
            QCoreApplication::removeTranslator(&translator);
            QCoreApplication::installTranslator(&m_translator);
            QVERIFY(warned.save(
                QDir(dir).filePath(QStringLiteral("shutdown-warning-%1.png").arg(lang))));
        }
    }
};

QTEST_MAIN(ExitCountdownDialogTest)
#include "ExitCountdownDialogTest.moc"
