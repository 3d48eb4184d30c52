// The power settings dialog, driven through its real widgets while its modal run polls.
#include "WhenShown.h"
#include "platform/linux/LoginAutostart.h"
#include "ui/AlertPanel.h"
#include "ui/ModalSession.h"
#include "ui/SuspendConfigController.h"

#include "tests/support/FakeDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// Remembers the order of writes as "KEY=value".
class RecordingDefaults : public FakeDefaults {
public:
    void setInteger(std::string const& key, long value) override {
        writes.push_back(key + "=" + std::to_string(value));
        FakeDefaults::setInteger(key, value);
    }
    std::vector<std::string> writes;
};

std::vector<std::string> strings(std::initializer_list<char const*> items) {
    return {items.begin(), items.end()};
}

} // namespace

class TestSuspendConfig : public QObject {
    Q_OBJECT

    QTranslator m_translator;
    std::vector<AlertRequest> m_alerts;

    // One run: stored settings in, the user's action inside the dialog, then the answer.
    struct Run {
        bool answer = false;
        bool authorize = false;
        std::vector<std::string> writes;
    };
    Run run(RecordingDefaults& defaults, std::function<void(SuspendConfigController&)> act) {
        SuspendConfigController dialog(&defaults);
        return runWith(dialog, defaults, act);
    }
    Run runWith(SuspendConfigController& dialog, RecordingDefaults& defaults,
                std::function<void(SuspendConfigController&)> act) {
        defaults.writes.clear();
        WhenShown(dialog.configWindow, [&dialog, act] { act(dialog); });
        Run r;
        r.answer = dialog.DoModal(nullptr);
        r.authorize = dialog.IsAuthorizeUpdate();
        r.writes = defaults.writes;
        return r;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
        SetAlertPanelHandler([this](AlertRequest const& request) {
            m_alerts.push_back(request);
            return kAlertDefaultReturn;
        });
    }
    void init() { m_alerts.clear(); }
    void cleanupTestCase() { SetAlertPanelHandler(nullptr); }

    void freshInstallShowsDefaultsAndOkWritesThemInOrder() {
        RecordingDefaults defaults;
        bool allOff = false;
        int index = -1;
        QStringList entries;
        bool editable = true;
        Run const r = run(defaults, [&](SuspendConfigController& d) {
            allOff = !d.m_chkUseACPI->isChecked() && !d.m_chkAllowSuspend->isChecked() &&
                     !d.m_chkShutdown->isChecked() && !d.m_chkExitAfterRecord->isChecked();
            index = d.m_cmbRestoreTime->currentIndex();
            editable = d.m_cmbRestoreTime->isEditable();
            for (int i = 0; i < d.m_cmbRestoreTime->count(); ++i) {
                entries << d.m_cmbRestoreTime->itemText(i);
            }
            d.m_btnOK->click();
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
        Run const r = run(defaults, [&](SuspendConfigController& d) {
            boxes = {d.m_chkUseACPI->isChecked(), d.m_chkAllowSuspend->isChecked(),
                     d.m_chkShutdown->isChecked(), d.m_chkExitAfterRecord->isChecked()};
            index = d.m_cmbRestoreTime->currentIndex();
            listEnabled = d.m_cmbRestoreTime->isEnabled();
            d.m_btnOK->click();
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
        Run const r = run(defaults, [&](SuspendConfigController& d) {
            if (change == "lead7") {
                d.m_cmbRestoreTime->setCurrentIndex(4);
            } else if (change == "suspend") {
                d.m_chkAllowSuspend->click();
            } else if (change == "exit") {
                d.m_chkExitAfterRecord->click();
            } else if (change == "shutdown") {
                d.m_chkShutdown->click();
            } else if (change == "wake") {
                d.m_chkUseACPI->click();
            }
            d.m_btnOK->click();
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
        SuspendConfigController dialog(&defaults);
        Run first = runWith(dialog, defaults, [](SuspendConfigController& d) {
            d.m_chkShutdown->click();
            d.m_btnOK->click();
        });
        QVERIFY(first.authorize);

        Run const r = runWith(dialog, defaults, [how](SuspendConfigController& d) {
            d.m_chkUseACPI->click();
            d.m_chkShutdown->click();
            d.m_chkAllowSuspend->click();
            d.m_cmbRestoreTime->setCurrentIndex(6);
            if (how == "button") {
                d.m_btnCancel->click();
            } else if (how == "esc") {
                QTest::keyClick(d.configWindow, Qt::Key_Escape);
            } else {
                d.configWindow->close();
            }
        });
        QVERIFY(!r.answer);
        QVERIFY(!r.authorize);
        QVERIFY(r.writes.empty());
        QVERIFY(!dialog.configWindow->isVisible());
    }

    // Only the dialog's own buttons end the run, not a stop from elsewhere.
    void onlyOwnButtonsEndTheRun() {
        RecordingDefaults defaults;
        bool stillShown = false;
        Run const r = run(defaults, [&](SuspendConfigController& d) {
            ModalSession::stopModalWithCode(1);
            QTimer::singleShot(120, [&stillShown, &d] {
                stillShown = d.configWindow->isVisible();
                d.m_btnCancel->click();
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
        Run const r = run(defaults, [&](SuspendConfigController& d) {
            listEnabled.push_back(d.m_cmbRestoreTime->isEnabled()); // opens off: disabled
            for (int i = 0; i < 4; ++i) {
                d.m_chkUseACPI->click();
                states.push_back(d.m_chkUseACPI->isChecked());
                listEnabled.push_back(d.m_cmbRestoreTime->isEnabled() &&
                                      d.m_txtRestoreTime->isEnabled());
                alertCounts.push_back(m_alerts.size());
            }
            d.m_chkUseACPI->click(); // on again, then confirm
            d.m_btnOK->click();
        });
        QCOMPARE(states, std::vector<bool>({true, false, true, false}));
        QCOMPARE(listEnabled, std::vector<bool>({false, true, false, true, false}));
        QCOMPARE(alertCounts, std::vector<size_t>({1, 1, 2, 2}));
        QCOMPARE(m_alerts.size(), size_t(3));
        AlertRequest const& alert = m_alerts.front();
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
        run(defaults, [&](SuspendConfigController& d) {
            shownWithout = d.m_helperRow->isVisible();
            d.m_btnCancel->click();
        });
        QVERIFY(!shownWithout);

        SuspendConfigController dialog(&defaults);
        QString problem = QStringLiteral("Waking is unavailable.");
        SuspendConfigController::InstallDone pending;
        dialog.helperProblem = [&problem] { return problem; };
        dialog.installHelper = [&pending](SuspendConfigController::InstallDone done) {
            pending = std::move(done);
        };
        std::vector<QString> texts;
        std::vector<bool> enabled;
        std::vector<bool> shown;
        runWith(dialog, defaults, [&](SuspendConfigController& d) {
            shown.push_back(d.m_helperRow->isVisible());
            texts.push_back(d.m_txtHelper->text());
            d.m_btnInstallHelper->click();
            enabled.push_back(d.m_btnInstallHelper->isEnabled());
            texts.push_back(d.m_txtHelper->text());
            pending(false, QStringLiteral("Not installed: no password."));
            enabled.push_back(d.m_btnInstallHelper->isEnabled());
            texts.push_back(d.m_txtHelper->text());
            d.m_btnInstallHelper->click();
            problem.clear();
            pending(true, QString());
            shown.push_back(d.m_helperRow->isVisible());
            d.m_btnOK->click();
        });
        QCOMPARE(shown, std::vector<bool>({true, false}));
        QCOMPARE(enabled, std::vector<bool>({false, true}));
        QCOMPARE(texts.at(0), QStringLiteral("Waking is unavailable."));
        QVERIFY(texts.at(1).startsWith(QStringLiteral("Installing the wake-up helper")));
        QCOMPARE(texts.at(2), QStringLiteral("Waking is unavailable."));
        QCOMPARE(m_alerts.size(), size_t(2));
        QCOMPARE(m_alerts.at(0).message, QStringLiteral("Not installed: no password."));
        QVERIFY(
            m_alerts.at(1).message.startsWith(QStringLiteral("The wake-up helper is installed")));
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
        Run const r = run(defaults, [&](SuspendConfigController& d) {
            shown = d.m_cmbRestoreTime->currentIndex();
            d.m_btnOK->click();
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
        SuspendConfigController dialog(&defaults);
        bool offered = true;
        runWith(dialog, defaults, [&offered](SuspendConfigController& d) {
            offered = !d.m_chkStartAtLogin->isHidden(); // no entry to write: no box
            d.m_btnOK->click();
        });
        QVERIFY(!offered);

        dialog.m_autostart = &autostart;
        std::vector<bool> shownOn;
        auto const toggleThen = [&shownOn](bool ok) {
            return [&shownOn, ok](SuspendConfigController& d) {
                shownOn.push_back(d.m_chkStartAtLogin->isChecked());
                d.m_chkStartAtLogin->click();
                (ok ? d.m_btnOK : d.m_btnCancel)->click();
            };
        };
        QVERIFY(runWith(dialog, defaults, toggleThen(true)).answer);
        QVERIFY(autostart.enabled());
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(
            R"(Exec="/opt/My Apps/100%% \\"radio\\"/\\$HOME\\\\ResvMan.app/AppRun")"));
        entry.close();
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
            QTemporaryDir home;
            LoginAutostart autostart(home.filePath(QStringLiteral("x.desktop")), "/bin/true");
            SuspendConfigController dialog(&defaults);
            dialog.m_autostart = &autostart;
            QImage shot;
            runWith(dialog, defaults, [&shot](SuspendConfigController& d) {
                shot = d.configWindow->grab().toImage();
                d.m_btnCancel->click();
            });
            // As a bundle without the wake-up helper shows it.
            QImage helperShot;
            SuspendConfigController withoutHelper(&defaults);
            //% "Waking and shutting down are unavailable: the wake-up helper is not installed "
            //% "on this computer."
            withoutHelper.helperProblem = [] { return qtTrId("IDS_HELPER_MISSING"); };
            withoutHelper.installHelper = [](SuspendConfigController::InstallDone) {};
            runWith(withoutHelper, defaults, [&helperShot](SuspendConfigController& d) {
                helperShot = d.configWindow->grab().toImage();
                d.m_btnCancel->click();
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

QTEST_MAIN(TestSuspendConfig)
#include "tst_suspendconfig.moc"
