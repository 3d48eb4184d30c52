// The reservation commands of the main window, with the real reservation dialog driven
// through its widgets: what each command changes in the list, whether it saves the file and
// re-plans the wake-ups, what it asks first, and which menu items are enabled.
#include "ui/ReservationCommands.h"
#include "MainWindowFixture.h"
#include "ui/NoticeArea.h"
#include "ui/PowerSettingsDialog.h"
#include "ui/ReservationDialog.h"
#include "ui/ReservationTableView.h"

#include "ReservationTestSupport.h"
#include "platform/ISettings.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <filesystem>
#include <memory>

class ReservationCommandsTest : public QObject, MainWindowFixture {
    Q_OBJECT

    // Alerts are answered with this button and logged.
    MessageBox::Button m_answer = MessageBox::Button::Default;
    QStringList m_alerts;

    double now() { return m_fakes->clock.now(); }
    ReservationCommands* commands() { return m_window->commands(); }
    ReservationDialog* dialog() { return m_window->reservationDialog(); }
    QComboBox* channelBox() { return child<QComboBox>(dialog(), "channel"); }
    QLineEdit* titleEdit() { return child<QLineEdit>(dialog(), "title"); }
    QPushButton* registerButton() { return child<QPushButton>(dialog(), "register"); }
    QPushButton* cancelButton() { return child<QPushButton>(dialog(), "cancel"); }
    // Whether the menu item is enabled once its menu opens.
    bool enabled(QAction* action) {
        QMenu menu;
        menu.addAction(action);
        m_window->validateMenu(&menu);
        return action->isEnabled();
    }
    bool enabled(MainWindow::Action action) { return enabled(m_window->action(action)); }

    void add(Reservation const& rec) {
        MainWindowFixture::add(rec);
        m_window->reloadTable(); // the table shows the row, so that it can be selected
    }
    Reservation at(int row) {
        Reservation rec;
        list().readAt(row, rec);
        return rec;
    }
    bool replanned() {
        m_window->engine().waitForPlanning(); // planning runs on a thread of its own
        return !m_fakes->privileged.calls().empty();
    }
    // Acts on the reservation dialog once it shows; a dialog left open is cancelled.
    void inDialog(std::function<void()> action) {
        whenShown(dialog(), std::move(action));
        QTimer::singleShot(10000, dialog(), [this] {
            if (dialog()->isVisible()) {
                cancelButton()->click();
            }
        });
    }
    Reservation reservation(double start, char const* title, uint8_t valid = 1,
                            uint8_t pending = 1) {
        Reservation rec = makeReservation(start, start + 1800.0, 954, title);
        rec.enabled = valid;
        rec.pending = pending;
        return rec;
    }

private slots:
    void initTestCase() { useLanguage(":/i18n/resvman_en.qm"); }
    void init() {
        pinTimeZone("Asia/Tokyo");
        makeWindow(jst(2024, 5, 15, 12, 0, 25));
        m_fakes->settings.setInteger("USEACPI", 1); // every re-plan reaches the fake tool
        dialog()->setPresetFile("/nonexistent/Velto.plist");
        m_window->show();
        m_answer = MessageBox::Button::Default;
        m_alerts.clear();
        MessageBox::setHandler([this](MessageBox::Request const& request) {
            QString line = request.message + QLatin1Char('|') + request.defaultButton;
            if (!request.alternateButton.isEmpty()) {
                line += QLatin1Char('|') + request.alternateButton;
            }
            if (request.title != qtTrId("AppTitle")) {
                line += QStringLiteral("|wrong title");
            }
            m_alerts << line;
            return m_answer;
        });
    }
    void cleanup() {
        MessageBox::setHandler(nullptr);
        closeWindow();
    }

    // A new reservation is proposed from now to an hour later, in whole seconds, and once
    // registered it is added, planned for and saved.
    void addProposesTheNextHourAndSaves() {
        Reservation proposal;
        inDialog([&] {
            proposal = dialog()->reservation();
            channelBox()->setEditText(QStringLiteral("1134"));
            titleEdit()->setText(QStringLiteral("ニュース"));
            registerButton()->click();
        });
        commands()->addReservation();
        QCOMPARE(proposal.start, jst(2024, 5, 15, 12, 0, 25));
        QCOMPARE(proposal.end, jst(2024, 5, 15, 13, 0, 25));
        QCOMPARE(proposal.id, -1);
        QCOMPARE(titles(), QStringList{QStringLiteral("ニュース")});
        QCOMPARE(at(0).frequency, 1134u);
        QCOMPARE(at(0).start, jst(2024, 5, 15, 12, 0));
        QCOMPARE(savedTitles(), QStringList{QStringLiteral("ニュース")});
        QVERIFY(replanned());
        QVERIFY(m_alerts.isEmpty());
    }

    void cancelledDialogChangesNothing_data() {
        QTest::addColumn<bool>("edit");
        QTest::newRow("add") << false;
        QTest::newRow("edit") << true;
    }
    void cancelledDialogChangesNothing() {
        QFETCH(bool, edit);
        add(reservation(now() + 7200, "kept", 0));
        select({0});
        inDialog([&] {
            titleEdit()->setText(QStringLiteral("changed"));
            cancelButton()->click();
        });
        if (edit) {
            commands()->editReservation();
        } else {
            commands()->addReservation();
        }
        QCOMPARE(titles(), QStringList{"kept"});
        QCOMPARE(at(0).enabled, uint8_t(0));
        QCOMPARE(savedTitles(), QStringList{"missing"});
        QVERIFY(!replanned());
    }

    // The overlap is a warning: shown once, and the reservation stays. A switched-off
    // reservation overlaps nothing. With margins (2 min early, 5 late) the new 12:00-13:00
    // overlaps one at 13:00 on another station, and the warning says the margins do it; on
    // its own station the two record as one span and nothing is said.
    void addOverlapWarnsOnceAndKeeps_data() {
        QTest::addColumn<uint8_t>("otherValid");
        QTest::addColumn<int>("otherMinute"); // after 12:00
        QTest::addColumn<uint>("otherFreq");
        QTest::addColumn<bool>("margins");
        QTest::addColumn<QString>("warning"); // the one warning, or empty for none
        QString const plain = qtTrId("IDS_WARN_OVERWRAP_TASK");
        QString const byMargins = qtTrId("IDS_WARN_OVERLAP_MARGINS").arg(2).arg(5);
        QTest::newRow("overlaps an enabled one") << uint8_t(1) << 30 << 954u << false << plain;
        QTest::newRow("overlaps a switched-off one")
            << uint8_t(0) << 30 << 954u << false << QString();
        QTest::newRow("next on another station, margins")
            << uint8_t(1) << 60 << 1134u << true << byMargins;
        QTest::newRow("next on another station, no margins")
            << uint8_t(1) << 60 << 1134u << false << QString();
        QTest::newRow("next on its own station, margins")
            << uint8_t(1) << 60 << 954u << true << QString();
    }
    void addOverlapWarnsOnceAndKeeps() {
        QFETCH(uint8_t, otherValid);
        QFETCH(int, otherMinute);
        QFETCH(uint, otherFreq);
        QFETCH(bool, margins);
        QFETCH(QString, warning);
        if (margins) {
            m_fakes->settings.setInteger(kStartEarlyKey, 2);
            m_fakes->settings.setInteger(kEndLateKey, 5);
            m_window->engine().refreshMargins();
        }
        Reservation other =
            reservation(jst(2024, 5, 15, 12, 0) + otherMinute * 60.0, "other", otherValid);
        other.frequency = otherFreq;
        add(other);
        inDialog([&] {
            titleEdit()->setText(QStringLiteral("new"));
            channelBox()->setEditText(QStringLiteral("954"));
            registerButton()->click();
        });
        commands()->addReservation();
        QCOMPARE(m_alerts, warning.isEmpty() ? QStringList() : QStringList{warning + "|OK"});
        QCOMPARE(titles(), QStringList({"new", "other"}));
        QCOMPARE(savedTitles(), QStringList({"new", "other"}));
    }

    // A reservation the list refuses (here: the list is full) still ends in a re-plan, a
    // save and a redraw, and with no message.
    void refusedAddStillSavesAndReplans() {
        for (int i = 0; i < 10000; ++i) {
            Reservation rec = reservation(jst(2030, 1, 1, 0, 0) + i * 3600.0, "full", 0);
            CheckResult result;
            list().add(rec, result, 0);
        }
        list().sort();
        QCOMPARE(list().size(), 10000);
        inDialog([&] {
            channelBox()->setEditText(QStringLiteral("954"));
            registerButton()->click();
        });
        commands()->addReservation();
        QCOMPARE(list().size(), 10000);
        QVERIFY(m_alerts.isEmpty());
        QVERIFY(replanned());
        QCOMPARE(std::filesystem::file_size(filePath()), std::uintmax_t(292) * 10000);
    }

    // Registering from the dialog turns a reservation on and makes it one still to come.
    void editRevivesASwitchedOffOrOverReservation_data() {
        QTest::addColumn<uint8_t>("valid");
        QTest::addColumn<uint8_t>("pending");
        QTest::newRow("switched off") << uint8_t(0) << uint8_t(1);
        QTest::newRow("over") << uint8_t(1) << uint8_t(0);
        QTest::newRow("over and switched off") << uint8_t(0) << uint8_t(0);
    }
    void editRevivesASwitchedOffOrOverReservation() {
        QFETCH(uint8_t, valid);
        QFETCH(uint8_t, pending);
        add(reservation(jst(2024, 5, 16, 20, 0), "revived", valid, pending));
        select({0});
        inDialog([&] { registerButton()->click(); });
        commands()->editReservation();
        QCOMPARE(at(0).enabled, uint8_t(1));
        QCOMPARE(at(0).pending, uint8_t(1));
        QCOMPARE(at(0).id, 0);
        QCOMPARE(savedTitles(), QStringList{"revived"});
    }

    // The wake plan is redone only when the dialog changed the reservation.
    void editReplansOnlyOnAChange_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("replan");
        QTest::newRow("unchanged") << "same" << false;
        QTest::newRow("new title") << "other" << true;
    }
    void editReplansOnlyOnAChange() {
        QFETCH(QString, title);
        QFETCH(bool, replan);
        add(reservation(jst(2024, 5, 15, 9, 0), "first"));
        add(reservation(jst(2024, 5, 16, 20, 0), "same"));
        select({1});
        inDialog([&] {
            titleEdit()->setText(title);
            registerButton()->click();
        });
        commands()->editReservation();
        QCOMPARE(titles(), QStringList({"first", title}));
        QCOMPARE(replanned(), replan);
        QCOMPARE(savedTitles(), QStringList({"first", title}));
        QVERIFY(m_alerts.isEmpty());
    }

    void editWithoutARowDoesNothing() {
        add(reservation(jst(2024, 5, 16, 20, 0), "only"));
        bool shown = false;
        inDialog([&] {
            shown = true;
            cancelButton()->click();
        });
        commands()->editReservation();
        QTest::qWait(30);
        QVERIFY(!shown);
        QCOMPARE(savedTitles(), QStringList{"missing"});
    }

    // Rows 1 and 3 of five go, found by their ids; the others stay in order.
    void deleteSelectedRows() {
        for (int i = 0; i < 5; ++i) {
            add(reservation(jst(2024, 5, 20 + i, 20, 0), QByteArray::number(i).constData()));
        }
        select({1, 3});
        commands()->deleteSelected();
        QCOMPARE(m_alerts, QStringList{qtTrId("IDS_WARN_DELETE_SELECTED_TASK") +
                                       QStringLiteral("|OK|Cancel")});
        QCOMPARE(titles(), QStringList({"0", "2", "4"}));
        QCOMPARE(savedTitles(), QStringList({"0", "2", "4"}));
        QVERIFY(replanned());
    }

    void cancelledConfirmationChangesNothing_data() {
        QTest::addColumn<bool>("all");
        QTest::newRow("delete selected") << false;
        QTest::newRow("delete all") << true;
    }
    void cancelledConfirmationChangesNothing() {
        QFETCH(bool, all);
        add(reservation(jst(2024, 5, 20, 20, 0), "a"));
        add(reservation(jst(2024, 5, 21, 20, 0), "b"));
        select({0, 1});
        m_answer = MessageBox::Button::Alternate;
        if (all) {
            commands()->deleteAll();
        } else {
            commands()->deleteSelected();
        }
        QCOMPARE(m_alerts.size(), 1);
        QVERIFY(m_alerts[0].endsWith(QStringLiteral("|OK|Cancel")));
        QCOMPARE(titles(), QStringList({"a", "b"}));
        QCOMPARE(savedTitles(), QStringList{"missing"});
        QVERIFY(!replanned());
    }

    // Delete all empties the list only; the file follows at the next save, which even a
    // confirmed delete with nothing selected makes.
    // A save that fails is told above the table, with the file and the reason, until a
    // save succeeds.
    void failedSaveIsShownUntilASaveSucceeds() {
        NoticeArea const* notices = m_window->notices();
        std::filesystem::create_directory(filePath()); // not a file: every save fails
        add(reservation(now() + 3600, "first"));
        add(reservation(now() + 7200, "second"));
        select({0});
        commands()->deleteSelected();
        QVERIFY(notices->hasNotice(NoticeKind::SaveFailed));
        QString const text = notices->noticeText(NoticeKind::SaveFailed);
        QVERIFY2(text.contains(QString::fromStdString(filePath())), qPrintable(text));
        QVERIFY2(text.contains(qtTrId("IDS_SAVE_REASON_NOT_A_FILE")), qPrintable(text));

        std::filesystem::remove(filePath());
        select({0});
        commands()->deleteSelected();
        QVERIFY(!notices->hasNotice(NoticeKind::SaveFailed));
        QCOMPARE(savedTitles(), QStringList());
    }

    void deleteAllWaitsForTheNextSave() {
        add(reservation(jst(2024, 5, 20, 20, 0), "a"));
        add(reservation(jst(2024, 5, 21, 20, 0), "b"));
        QVERIFY(m_window->engine().save());
        commands()->deleteAll();
        QCOMPARE(m_alerts,
                 QStringList{qtTrId("IDS_WARN_DELETE_ALL_TASK") + QStringLiteral("|OK|Cancel")});
        QCOMPARE(list().size(), 0);
        QCOMPARE(m_window->table()->model()->rowCount(), 0);
        QCOMPARE(savedTitles(), QStringList({"a", "b"}));
        QVERIFY(!replanned());

        select({});
        commands()->deleteSelected();
        QCOMPARE(savedTitles(), QStringList());
        QVERIFY(replanned());
    }

    void deleteOverWithoutAsking() {
        add(reservation(jst(2024, 5, 14, 20, 0), "over 1", 1, 0));
        add(reservation(jst(2024, 5, 16, 20, 0), "waiting"));
        add(reservation(jst(2024, 5, 17, 20, 0), "over 2", 0, 0));
        QVERIFY(enabled(MainWindow::Action::DeleteMissed));
        commands()->deleteMissed();
        QVERIFY(m_alerts.isEmpty());
        QCOMPARE(titles(), QStringList{"waiting"});
        QVERIFY(!enabled(MainWindow::Action::DeleteMissed));
        QCOMPARE(savedTitles(), QStringList{"missing"});
        QVERIFY(!replanned());
    }

    // An over reservation and a switched-off one that is not over: only "on" applies, and
    // it only reaches the second.
    void switchingOnAndOff() {
        add(reservation(jst(2024, 5, 14, 20, 0), "over", 0, 0));
        add(reservation(jst(2024, 5, 16, 20, 0), "off", 0, 1));
        add(reservation(jst(2024, 5, 17, 20, 0), "on", 1, 1));
        select({0, 1});
        QVERIFY(enabled(MainWindow::Action::SwitchOn));
        QVERIFY(!enabled(MainWindow::Action::SwitchOff));
        commands()->switchOn();
        QCOMPARE(at(0).enabled, uint8_t(0));
        QCOMPARE(at(1).enabled, uint8_t(1));
        QVERIFY(!enabled(MainWindow::Action::SwitchOn));
        QVERIFY(enabled(MainWindow::Action::SwitchOff));

        select({1, 2});
        commands()->switchOff();
        QCOMPARE(at(1).enabled, uint8_t(0));
        QCOMPARE(at(2).enabled, uint8_t(0));
        QCOMPARE(at(0).pending, uint8_t(0));
        QCOMPARE(savedTitles(), QStringList{"missing"});
        QVERIFY(!replanned());
    }

    void menuItemsFollowTheListAndSelection() {
        QAction untagged;
        QAction otherTag;
        otherTag.setData(19);
        QVERIFY(enabled(&untagged));
        QVERIFY(enabled(&otherTag));
        QVERIFY(enabled(MainWindow::Action::NewReservation));
        QVERIFY(!enabled(MainWindow::Action::DeleteSelected));
        QVERIFY(!enabled(MainWindow::Action::EditReservation));
        QVERIFY(!enabled(MainWindow::Action::DeleteMissed));
        QVERIFY(!enabled(MainWindow::Action::DeleteAll));
        QVERIFY(!enabled(MainWindow::Action::SwitchOn));
        QVERIFY(!enabled(MainWindow::Action::SwitchOff));

        add(reservation(jst(2024, 5, 16, 20, 0), "a"));
        add(reservation(jst(2024, 5, 17, 20, 0), "b"));
        QVERIFY(enabled(MainWindow::Action::DeleteAll));
        QVERIFY(!enabled(MainWindow::Action::DeleteMissed));
        select({1});
        QVERIFY(enabled(MainWindow::Action::DeleteSelected));
        QVERIFY(enabled(MainWindow::Action::EditReservation));
        select({0, 1});
        QVERIFY(enabled(MainWindow::Action::DeleteSelected));
        QVERIFY(!enabled(MainWindow::Action::EditReservation));
    }

    // A plan that fails says why above the table and in the settings dialog, until a plan
    // works again.
    void aFailedPlanIsShownUntilAPlanWorks() {
        add(reservation(now() + 7200.0, "news"));
        NoticeArea* notices = m_window->notices();
        QLabel* const problem = child<QLabel>(m_window->powerSettingsDialog(), "planProblemText");

        m_fakes->privileged.setAnswer([](std::string const& call) {
            return call == "cancel 1" ? PrivilegedFailure::NotWakeable : PrivilegedFailure::None;
        });
        m_window->engine().requestReplan();
        QVERIFY(m_window->engine().waitForPlanning());
        QString const why =
            QStringLiteral("Wake-ups are not planned: this computer has no clock alarm that can "
                           "wake it.");
        QTRY_COMPARE(notices->noticeText(NoticeKind::WakePlan), why);
        QCOMPARE(problem->text(), why);
        QVERIFY(!problem->parentWidget()->isHidden());

        m_fakes->privileged.setAnswer(nullptr);
        m_window->engine().requestReplan();
        QVERIFY(m_window->engine().waitForPlanning());
        QTRY_VERIFY(!notices->hasNotice(NoticeKind::WakePlan));
        QVERIFY(problem->parentWidget()->isHidden());
    }
};

QTEST_MAIN(ReservationCommandsTest)
#include "ReservationCommandsTest.moc"
