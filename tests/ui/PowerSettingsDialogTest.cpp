// The power settings dialog, driven through its real widgets while its modal run polls.
#include "ui/PowerSettingsDialog.h"
#include "WhenShown.h"
#include "platform/linux/LoginAutostart.h"
#include "ui/MessageBox.h"
#include "ui/ModalSession.h"

#include "tests/support/FakeSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

// Remembers the order of writes as "KEY=value".
class RecordingDefaults : public FakeSettings {
public:
    void setInteger(std::string const& key, long value) override {
        writes.push_back(key + "=" + std::to_string(value));
        FakeSettings::setInteger(key, value);
    }
    std::vector<std::string> writes;
};

std::vector<std::string> strings(std::initializer_list<char const*> items) {
    return {items.begin(), items.end()};
}

// The dialog's controls, found by their names.
struct Controls {
    explicit Controls(PowerSettingsDialog& d)
        : dialog(&d), wakeBefore(child<QCheckBox>(&d, "wakeBefore")),
          allowIdleSleep(child<QCheckBox>(&d, "allowIdleSleep")),
          shutdownAfter(child<QCheckBox>(&d, "shutdownAfter")),
          quitCompanion(child<QCheckBox>(&d, "quitCompanion")),
          startAtLogin(child<QCheckBox>(&d, "startAtLogin")),
          wakeLead(child<QComboBox>(&d, "wakeLead")),
          wakeLeadLabel(child<QLabel>(&d, "wakeLeadLabel")),
          helperRow(child<QWidget>(&d, "helperRow")), helperText(child<QLabel>(&d, "helperText")),
          installHelper(child<QPushButton>(&d, "installHelper")), ok(child<QPushButton>(&d, "ok")),
          cancel(child<QPushButton>(&d, "cancel")) {}
    PowerSettingsDialog* dialog;
    QCheckBox* wakeBefore;
    QCheckBox* allowIdleSleep;
    QCheckBox* shutdownAfter;
    QCheckBox* quitCompanion;
    QCheckBox* startAtLogin;
    QComboBox* wakeLead;
    QLabel* wakeLeadLabel;
    QWidget* helperRow;
    QLabel* helperText;
    QPushButton* installHelper;
    QPushButton* ok;
    QPushButton* cancel;
};

} // namespace

class PowerSettingsDialogTest : public QObject {
    Q_OBJECT

    QTranslator m_translator;
    std::vector<MessageBox::Request> m_alerts;

    // One run: stored settings in, the user's action inside the dialog, then the answer.
    struct Run {
        bool answer = false;
        bool authorize = false;
        std::vector<std::string> writes;
    };
    Run run(RecordingDefaults& defaults, std::function<void(Controls&)> act) {
        PowerSettingsDialog dialog(defaults);
        return runWith(dialog, defaults, act);
    }
    Run runWith(PowerSettingsDialog& dialog, RecordingDefaults& defaults,
                std::function<void(Controls&)> act) {
        defaults.writes.clear();
        whenShown(&dialog, [&dialog, act] {
            Controls controls(dialog);
            act(controls);
        });
        Run r;
        r.answer = dialog.exec() == QDialog::Accepted;
        r.authorize = dialog.changed();
        r.writes = defaults.writes;
        return r;
    }

    // Alerts are answered with their default button and kept in m_alerts.
    void keepAlerts() {
        MessageBox::setHandler([this](MessageBox::Request const& request) {
            m_alerts.push_back(request);
            return MessageBox::Button::Default;
        });
    }

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
        keepAlerts();
    }
    void init() { m_alerts.clear(); }
    void cleanupTestCase() { MessageBox::setHandler(nullptr); }

    // An alert shows its text as it is: a message naming a folder that looks like markup is
    // not drawn (nor its images loaded) as rich text.
    void alertsArePlainText() {
        MessageBox::setHandler(nullptr);
        QString const message = QStringLiteral("Cannot write /tmp/<img src=\"/dev/zero\">/x");
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poll.stop();
                format = box->textFormat();
                shown = box->text();
                box->reject();
            }
        });
        poll.start(5);
        MessageBox::show(nullptr, QStringLiteral("t"), message, QStringLiteral("OK"));
        keepAlerts();
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, message);
    }

    void freshInstallShowsDefaultsAndOkWritesThemInOrder() {
        RecordingDefaults defaults;
        bool allOff = false;
        int index = -1;
        QStringList entries;
        bool editable = true;
        Run const r = run(defaults, [&](Controls& d) {
            allOff = !d.wakeBefore->isChecked() && !d.allowIdleSleep->isChecked() &&
                     !d.shutdownAfter->isChecked() && !d.quitCompanion->isChecked();
            index = d.wakeLead->currentIndex();
            editable = d.wakeLead->isEditable();
            for (int i = 0; i < d.wakeLead->count(); ++i) {
                entries << d.wakeLead->itemText(i);
            }
            d.ok->click();
        });
        QVERIFY(allOff);
        QCOMPARE(index, 2);
        QVERIFY(!editable);
        QCOMPARE(entries, QStringList({"3 minutes before", "4 minutes before", "5 minutes before",
                                       "6 minutes before", "7 minutes before", "8 minutes before",
                                       "9 minutes before"}));
        QVERIFY(r.answer);
        QVERIFY(!r.authorize);
        QCOMPARE(r.writes, strings({"USEACPI=0", "SUSPENDFLAG=0", "SHUTDOWN=0", "EXITAFTERRECORD=0",
                                    "RESTORETIME=5"}));
        QVERIFY(!defaults.reads().empty());
    }

    void storedValuesAreShown() {
        RecordingDefaults defaults;
        defaults.setInteger("USEACPI", 1);
        defaults.setInteger("SUSPENDFLAG", 1);
        defaults.setInteger("SHUTDOWN", 0);
        defaults.setInteger("EXITAFTERRECORD", 1);
        defaults.setInteger("RESTORETIME", 8);
        std::vector<bool> boxes;
        int index = -1;
        bool listEnabled = false;
        Run const r = run(defaults, [&](Controls& d) {
            boxes = {d.wakeBefore->isChecked(), d.allowIdleSleep->isChecked(),
                     d.shutdownAfter->isChecked(), d.quitCompanion->isChecked()};
            index = d.wakeLead->currentIndex();
            listEnabled = d.wakeLead->isEnabled();
            d.ok->click();
        });
        QCOMPARE(boxes, std::vector<bool>({true, true, false, true}));
        QCOMPARE(index, 5);
        QVERIFY(listEnabled);
        QVERIFY(!r.authorize); // confirmed unchanged
        QCOMPARE(r.writes, strings({"USEACPI=1", "SUSPENDFLAG=1", "SHUTDOWN=0", "EXITAFTERRECORD=1",
                                    "RESTORETIME=8"}));
    }

    // Which confirmed changes ask for the wake-ups and the shutdown to be planned anew.
    void authorizeUpdate_data() {
        QTest::addColumn<int>("useAcpi"); // stored; -1: absent
        QTest::addColumn<int>("shutdown");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("authorize");
        QTest::addColumn<QString>("written");

        QTest::newRow("wake on, lead 5 to 7") << 1 << 0 << "lead7" << true
                                              << "USEACPI=1 SUSPENDFLAG=0 SHUTDOWN=0 "
                                                 "EXITAFTERRECORD=0 RESTORETIME=7";
        QTest::newRow("wake off, lead 5 to 7") << 0 << 0 << "lead7" << false
                                               << "USEACPI=0 SUSPENDFLAG=0 SHUTDOWN=0 "
                                                  "EXITAFTERRECORD=0 RESTORETIME=7";
        QTest::newRow("idle sleep only") << 1 << 1 << "suspend" << false
                                         << "USEACPI=1 SUSPENDFLAG=1 SHUTDOWN=1 "
                                            "EXITAFTERRECORD=0 RESTORETIME=5";
        QTest::newRow("quit after recording only") << -1 << -1 << "exit" << false
                                                   << "USEACPI=0 SUSPENDFLAG=0 SHUTDOWN=0 "
                                                      "EXITAFTERRECORD=1 RESTORETIME=5";
        QTest::newRow("shutdown on") << -1 << -1 << "shutdown" << true
                                     << "USEACPI=0 SUSPENDFLAG=0 SHUTDOWN=1 "
                                        "EXITAFTERRECORD=0 RESTORETIME=5";
        QTest::newRow("shutdown off") << 0 << 1 << "shutdown" << true
                                      << "USEACPI=0 SUSPENDFLAG=0 SHUTDOWN=0 "
                                         "EXITAFTERRECORD=0 RESTORETIME=5";
        QTest::newRow("wake on") << -1 << -1 << "wake" << true
                                 << "USEACPI=1 SUSPENDFLAG=0 SHUTDOWN=0 "
                                    "EXITAFTERRECORD=0 RESTORETIME=5";
        QTest::newRow("wake off") << 1 << 0 << "wake" << true
                                  << "USEACPI=0 SUSPENDFLAG=0 SHUTDOWN=0 "
                                     "EXITAFTERRECORD=0 RESTORETIME=5";
        // Any non-zero value means on: confirming it unchanged is no change.
        QTest::newRow("stored 2 kept") << 2 << 2 << "none" << false
                                       << "USEACPI=1 SUSPENDFLAG=0 SHUTDOWN=1 "
                                          "EXITAFTERRECORD=0 RESTORETIME=5";
        // The margins move the wake-ups and the shutdown; they and the late-night hours are
        // written once set.
        QTest::newRow("margins, wake on") << 1 << 0 << "margins" << true
                                          << "USEACPI=1 SUSPENDFLAG=0 SHUTDOWN=0 "
                                             "EXITAFTERRECORD=0 RESTORETIME=5 PADBEFORE=2 "
                                             "PADAFTER=5";
        QTest::newRow("margins, neither wake nor shutdown")
            << -1 << -1 << "margins" << false
            << "USEACPI=0 SUSPENDFLAG=0 SHUTDOWN=0 EXITAFTERRECORD=0 RESTORETIME=5 PADBEFORE=2 "
               "PADAFTER=5";
        QTest::newRow("late-night hours") << 1 << 1 << "latenight" << false
                                          << "USEACPI=1 SUSPENDFLAG=0 SHUTDOWN=1 "
                                             "EXITAFTERRECORD=0 RESTORETIME=5 LATENIGHTHOURS=1";
    }
    void authorizeUpdate() {
        QFETCH(int, useAcpi);
        QFETCH(int, shutdown);
        QFETCH(QString, change);
        QFETCH(bool, authorize);
        QFETCH(QString, written);
        RecordingDefaults defaults;
        if (useAcpi >= 0) {
            defaults.setInteger("USEACPI", useAcpi);
        }
        if (shutdown >= 0) {
            defaults.setInteger("SHUTDOWN", shutdown);
        }
        Run const r = run(defaults, [&](Controls& d) {
            if (change == "lead7") {
                d.wakeLead->setCurrentIndex(4);
            } else if (change == "suspend") {
                d.allowIdleSleep->click();
            } else if (change == "exit") {
                d.quitCompanion->click();
            } else if (change == "shutdown") {
                d.shutdownAfter->click();
            } else if (change == "wake") {
                d.wakeBefore->click();
            } else if (change == "margins") {
                child<QSpinBox>(d.dialog, "startEarly")->setValue(2);
                child<QSpinBox>(d.dialog, "endLate")->setValue(5);
            } else if (change == "latenight") {
                child<QCheckBox>(d.dialog, "lateNightHours")->click();
            }
            d.ok->click();
        });
        QVERIFY(r.answer);
        QCOMPARE(r.authorize, authorize);
        QString joined;
        for (auto const& w : r.writes) {
            joined += QString::fromStdString(w) + ' ';
        }
        QCOMPARE(joined.trimmed(), written);
    }

    // Cancel, Esc and a close request all leave the settings alone, and a cancelled run
    // does not report the previous run's change.
    void cancelWritesNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "button";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close request") << "close";
    }
    void cancelWritesNothing() {
        QFETCH(QString, how);
        RecordingDefaults defaults;
        PowerSettingsDialog dialog(defaults);
        Run first = runWith(dialog, defaults, [](Controls& d) {
            d.shutdownAfter->click();
            d.ok->click();
        });
        QVERIFY(first.authorize);

        Run const r = runWith(dialog, defaults, [how](Controls& d) {
            d.wakeBefore->click();
            d.shutdownAfter->click();
            d.allowIdleSleep->click();
            d.wakeLead->setCurrentIndex(6);
            if (how == "button") {
                d.cancel->click();
            } else if (how == "esc") {
                QTest::keyClick(d.dialog, Qt::Key_Escape);
            } else {
                d.dialog->close();
            }
        });
        QVERIFY(!r.answer);
        QVERIFY(!r.authorize);
        QVERIFY(r.writes.empty());
        QVERIFY(!dialog.isVisible());
    }

    // Only the dialog's own buttons end the run, not a stop from elsewhere.
    void onlyOwnButtonsEndTheRun() {
        RecordingDefaults defaults;
        bool stillShown = false;
        Run const r = run(defaults, [&](Controls& d) {
            ModalSession::stopWithCode(1);
            QTimer::singleShot(120, [&stillShown, dialog = d.dialog, cancel = d.cancel] {
                stillShown = dialog->isVisible();
                cancel->click();
            });
        });
        QVERIFY(stillShown);
        QVERIFY(!r.answer);
        QVERIFY(r.writes.empty());
    }

    void wakeBoxWarnsEachTimeItIsSwitchedOn() {
        RecordingDefaults defaults;
        std::vector<bool> states;
        std::vector<bool> listEnabled;
        std::vector<size_t> alertCounts;
        Run const r = run(defaults, [&](Controls& d) {
            listEnabled.push_back(d.wakeLead->isEnabled()); // opens off: disabled
            for (int i = 0; i < 4; ++i) {
                d.wakeBefore->click();
                states.push_back(d.wakeBefore->isChecked());
                listEnabled.push_back(d.wakeLead->isEnabled() && d.wakeLeadLabel->isEnabled());
                alertCounts.push_back(m_alerts.size());
            }
            d.wakeBefore->click(); // on again, then confirm
            d.ok->click();
        });
        QCOMPARE(states, std::vector<bool>({true, false, true, false}));
        QCOMPARE(listEnabled, std::vector<bool>({false, true, false, true, false}));
        QCOMPARE(alertCounts, std::vector<size_t>({1, 1, 2, 2}));
        QCOMPARE(m_alerts.size(), size_t(3));
        MessageBox::Request const& alert = m_alerts.front();
        QCOMPARE(alert.title, QStringLiteral("Velto Timer Recorder"));
        QVERIFY(alert.message.startsWith("To wake the computer"));
        QCOMPARE(alert.defaultButton, QStringLiteral("OK"));
        QVERIFY(alert.alternateButton.isEmpty());
        QVERIFY(r.authorize); // the alert did not undo the switch
        QCOMPARE(r.writes.front(), std::string("USEACPI=1"));
    }

    // Without the wake-up helper the dialog says why waking and shutting down cannot be done
    // and offers the installation; its outcome is reported, and the row goes once it is in.
    void helperRowOffersTheInstallation() {
        RecordingDefaults defaults;
        bool shownWithout = true;
        run(defaults, [&](Controls& d) {
            shownWithout = d.helperRow->isVisible();
            d.cancel->click();
        });
        QVERIFY(!shownWithout);

        PowerSettingsDialog dialog(defaults);
        dialog.setHelperProblem(QStringLiteral("Waking is unavailable."));
        dialog.setHelperInstallable(true);
        int requests = 0;
        connect(&dialog, &PowerSettingsDialog::installHelperRequested, this,
                [&requests] { ++requests; });
        std::vector<QString> texts;
        std::vector<bool> enabled;
        std::vector<bool> shown;
        runWith(dialog, defaults, [&](Controls& d) {
            shown.push_back(d.helperRow->isVisible());
            texts.push_back(d.helperText->text());
            d.installHelper->click();
            enabled.push_back(d.installHelper->isEnabled());
            texts.push_back(d.helperText->text());
            dialog.helperInstallFinished(false, QStringLiteral("Not installed: no password."));
            enabled.push_back(d.installHelper->isEnabled());
            texts.push_back(d.helperText->text());
            d.installHelper->click();
            dialog.setHelperProblem(QString()); // the program found the installed helper
            dialog.helperInstallFinished(true, QString());
            shown.push_back(d.helperRow->isVisible());
            d.ok->click();
        });
        QCOMPARE(requests, 2);
        QCOMPARE(shown, std::vector<bool>({true, false}));
        QCOMPARE(enabled, std::vector<bool>({false, true}));
        QCOMPARE(texts.at(0), QStringLiteral("Waking is unavailable."));
        QVERIFY(texts.at(1).startsWith(QStringLiteral("Installing the wake-up helper")));
        QCOMPARE(texts.at(2), QStringLiteral("Waking is unavailable."));
        QCOMPARE(m_alerts.size(), size_t(2));
        QCOMPARE(m_alerts.at(0).message, QStringLiteral("Not installed: no password."));
        QVERIFY(
            m_alerts.at(1).message.startsWith(QStringLiteral("The wake-up helper is installed")));

        // A helper that fails the trust check is not offered, and the row says why.
        dialog.setHelperProblem(QStringLiteral("Waking is unavailable."));
        dialog.setHelperInstallable(false, QStringLiteral("Another user can change it."));
        bool offered = true;
        runWith(dialog, defaults, [&](Controls& d) {
            offered = d.installHelper->isVisible();
            texts.push_back(d.helperText->text());
            d.cancel->click();
        });
        QVERIFY(!offered);
        QCOMPARE(texts.back(),
                 QStringLiteral("Waking is unavailable. Another user can change it."));
    }

    // A lead stored by hand outside 3..9 shows the nearest entry; confirming it writes that
    // entry and, with waking on, is a change.
    void leadOutsideTheList_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("written");
        QTest::newRow("12") << 12 << 6 << "RESTORETIME=9";
        QTest::newRow("-1") << -1 << 0 << "RESTORETIME=3";
        QTest::newRow("huge") << 2000000000 << 6 << "RESTORETIME=9";
    }
    void leadOutsideTheList() {
        QFETCH(int, stored);
        QFETCH(int, index);
        QFETCH(QString, written);
        RecordingDefaults defaults;
        defaults.setInteger("USEACPI", 1);
        defaults.setInteger("RESTORETIME", stored);
        int shown = -2;
        Run const r = run(defaults, [&](Controls& d) {
            shown = d.wakeLead->currentIndex();
            d.ok->click();
        });
        QCOMPARE(shown, index);
        QVERIFY(r.authorize);
        QCOMPARE(QString::fromStdString(r.writes.back()), written);
    }

    // "Start at login" shows whether the autostart entry is there, and OK writes or removes
    // it; the command is quoted as desktop entries want it, whatever its folder is called.
    void startAtLoginWritesTheAutostartEntry() {
        QTemporaryDir dir;
        QString const command =
            QStringLiteral(R"(/opt/My Apps/100% "radio"/$HOME\ResvMan.app/AppRun)");
        LoginAutostart autostart(dir.filePath(QStringLiteral("autostart/x.desktop")), command);
        RecordingDefaults defaults;
        PowerSettingsDialog dialog(defaults);
        bool offered = true;
        runWith(dialog, defaults, [&offered](Controls& d) {
            offered = !d.startAtLogin->isHidden(); // no entry to write: no box
            d.ok->click();
        });
        QVERIFY(!offered);

        dialog.setAutostart(&autostart);
        std::vector<bool> shownOn;
        auto const toggleThen = [&shownOn](bool ok) {
            return [&shownOn, ok](Controls& d) {
                shownOn.push_back(d.startAtLogin->isChecked());
                d.startAtLogin->click();
                (ok ? d.ok : d.cancel)->click();
            };
        };
        QVERIFY(runWith(dialog, defaults, toggleThen(true)).answer);
        QVERIFY(autostart.enabled());
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(
            R"(Exec="/opt/My Apps/100%% \\"radio\\"/\\$HOME\\\\ResvMan.app/AppRun")"));
        entry.close();
        if (QFile::exists(QStringLiteral("/usr/bin/desktop-file-validate"))) {
            QProcess validate;
            validate.setProcessChannelMode(QProcess::MergedChannels);
            validate.start(QStringLiteral("/usr/bin/desktop-file-validate"), {entry.fileName()});
            QVERIFY(validate.waitForFinished(30000));
            QVERIFY2(validate.exitCode() == 0, validate.readAll().constData());
        }
        runWith(dialog, defaults, toggleThen(false)); // Cancel: the entry stays
        QVERIFY(autostart.enabled());
        runWith(dialog, defaults, toggleThen(true));
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QCOMPARE(shownOn, std::vector<bool>({false, true, true}));

        // Switched off in the desktop's own settings.
        QVERIFY(autostart.setEnabled(true));
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
        entry.close();
        QVERIFY(!autostart.enabled());
        QVERIFY(m_alerts.empty());

        // A FIFO in the entry's place is read without waiting, as no entry.
        QVERIFY(QFile::remove(entry.fileName()));
        QVERIFY(::mkfifo(QFile::encodeName(entry.fileName()).constData(), 0600) == 0);
        QVERIFY(!autostart.enabled());
        QVERIFY(QFile::remove(entry.fileName()));

        // A folder whose name holds a line break would add lines of its own to the entry
        // ("Exec=" another program): nothing is written, and the dialog says why.
        LoginAutostart forged(autostart.entryPath(),
                              QStringLiteral("/tmp/x\nExec=/tmp/evil/ResvMan.app/AppRun"));
        dialog.setAutostart(&forged);
        QVERIFY(runWith(dialog, defaults, toggleThen(true)).answer);
        QVERIFY(!QFile::exists(forged.entryPath()));
        QCOMPARE(m_alerts.size(), std::size_t(1));
        QVERIFY(m_alerts.front().message.startsWith(
            QStringLiteral("The program cannot be started at login from here")));
        QVERIFY(!forged.setEnabled(true));
    }

    // With RESVMAN_SCREENSHOTS set to a folder, saves the open dialog in both languages
    // (settings-dialog-en.png, settings-dialog-ja.png) for the documentation, and as it shows
    // without the wake-up helper (settings-dialog-helper-en.png, ...-ja.png).
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
            RecordingDefaults defaults;
            defaults.setInteger("USEACPI", 1);
            defaults.setInteger("SHUTDOWN", 1);
            defaults.setInteger("RESTORETIME", 5);
            defaults.setInteger("PADBEFORE", 1);
            defaults.setInteger("PADAFTER", 3);
            QTemporaryDir home;
            LoginAutostart autostart(home.filePath(QStringLiteral("x.desktop")), "/bin/true");
            PowerSettingsDialog dialog(defaults);
            dialog.setAutostart(&autostart);
            QImage shot;
            runWith(dialog, defaults, [&shot](Controls& d) {
                shot = d.dialog->grab().toImage();
                d.cancel->click();
            });
            // As a bundle without the wake-up helper shows it.
            QImage helperShot;
            PowerSettingsDialog withoutHelper(defaults);
            //% "Waking and shutting down are unavailable: the wake-up helper is not installed "
            //% "on this computer."
            withoutHelper.setHelperProblem(qtTrId("IDS_HELPER_MISSING"));
            withoutHelper.setHelperInstallable(true);
            runWith(withoutHelper, defaults, [&helperShot](Controls& d) {
                helperShot = d.dialog->grab().toImage();
                d.cancel->click();
            });
            QVERIFY(helperShot.save(
                QDir(dir).filePath(QStringLiteral("settings-dialog-helper-%1.png").arg(lang))));
            QCoreApplication::removeTranslator(&translator);
            QCoreApplication::installTranslator(&m_translator);
            QVERIFY(
                shot.save(QDir(dir).filePath(QStringLiteral("settings-dialog-%1.png").arg(lang))));
        }
    }
};

QTEST_MAIN(PowerSettingsDialogTest)
#include "PowerSettingsDialogTest.moc"
