// The reservation commands of the main window, with the real reservation dialog driven
// through its widgets: what each command changes in the list, whether it saves the file and
// re-plans the wake-ups, what it asks first, and which menu items are enabled.
#include "ui/MyTableView.h"
#include "ui/NoticeArea.h"
#include "ui/RegistReserveController.h"
#include "ui/RegistReserveWindow.h"
#include "ui/ResvManDlgController.h"
#include "ui/ResvManWindow.h"
#include "ui/SuspendConfigController.h"

#include "tests/support/FakeEngineServices.h"
#include "tst_regist_support.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <filesystem>
#include <memory>

class TestCommands : public QObject {
    Q_OBJECT

    QTranslator m_translator;
    std::unique_ptr<FakeEngineServices> m_fakes;
    std::unique_ptr<RegistReserveController> m_reserve;
    std::unique_ptr<ResvManWindow> m_window;
    std::unique_ptr<ResvManDlgController> m_con;

    // Alerts are answered with this button and logged.
    int m_answer = kAlertDefaultReturn;
    QStringList m_alerts;

    double now() { return m_fakes->clock.now(); }
    CScheduleItem& list() { return *m_con->m_Schedule; }

    void add(SCHEDULEITEM_TAG rec) {
        SCHEDULE_RETURN result;
        QVERIFY(list().addSchedule(&rec, result, 1));
        m_con->displayTheTable(); // the table shows the row, so that it can be selected
    }
    SCHEDULEITEM_TAG at(int row) {
        SCHEDULEITEM_TAG rec;
        list().readScheduleByIndex(row, &rec);
        return rec;
    }
    QStringList titles() {
        QStringList out;
        SCHEDULEITEM_TAG rec;
        for (int i = 0; list().readScheduleByIndex(i, &rec); ++i) {
            out << QString::fromUtf8(rec.cTitle);
        }
        return out;
    }
    std::string filePath() { return m_con->ReservationFilePath(); }
    // Titles in the reservation file; "missing" when there is no file.
    QStringList savedTitles() {
        if (!std::filesystem::exists(filePath())) {
            return {QStringLiteral("missing")};
        }
        CScheduleItem saved;
        saved.Load(filePath().c_str());
        QStringList out;
        SCHEDULEITEM_TAG rec;
        for (int i = 0; saved.readScheduleByIndex(i, &rec); ++i) {
            out << QString::fromUtf8(rec.cTitle);
        }
        return out;
    }
    bool replanned() {
        m_con->WaitForPlanning(); // planning runs on a thread of its own
        return !m_fakes->privileged.calls().empty();
    }
    void select(QList<int> rows) {
        QItemSelectionModel* selection = m_window->table()->selectionModel();
        selection->clearSelection();
        for (int row : rows) {
            selection->select(m_window->table()->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    // Acts on the reservation dialog once it shows; a dialog left open is cancelled.
    void inDialog(std::function<void()> action) {
        WhenShown(m_reserve->m_RegistWindow, std::move(action));
        RegistReserveController* dialog = m_reserve.get();
        QTimer::singleShot(10000, dialog, [dialog] {
            if (dialog->m_RegistWindow->isVisible()) {
                dialog->OnCancelRegist(nullptr);
            }
        });
    }
    SCHEDULEITEM_TAG reservation(double start, char const* title, uint8_t valid = 1,
                                 uint8_t pending = 1) {
        SCHEDULEITEM_TAG rec = Reservation(start, start + 1800.0, 954, title);
        rec.cValid = valid;
        rec.cPending = pending;
        return rec;
    }
    QString overlapWarning() { return qtTrId("IDS_WARN_OVERWRAP_TASK"); }

private slots:
    void initTestCase() {
        QVERIFY(m_translator.load(QStringLiteral(":/i18n/resvman_en.qm")));
        QCoreApplication::installTranslator(&m_translator);
    }
    void init() {
        PinTimeZone("Asia/Tokyo");
        m_fakes = std::make_unique<FakeEngineServices>(Jst(2024, 5, 15, 12, 0, 25));
        m_fakes->defaults.setInteger("USEACPI", 1); // every re-plan reaches the fake tool
        m_reserve = std::make_unique<RegistReserveController>();
        m_reserve->setPresetFilePath("/nonexistent/Velto.plist");
        FakeClock* clock = &m_fakes->clock;
        m_reserve->setNowFunction([clock] { return clock->now(); });
        m_reserve->awakeFromNib();
        m_window = std::make_unique<ResvManWindow>();
        m_con = std::make_unique<ResvManDlgController>(m_fakes->services());
        m_window->connectController(m_con.get());
        m_con->ReserveCon = m_reserve.get();
        m_con->awakeFromNib();
        m_con->CreateSchedule();
        m_window->show();
        m_answer = kAlertDefaultReturn;
        m_alerts.clear();
        SetAlertPanelHandler([this](AlertRequest const& request) {
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
        SetAlertPanelHandler(nullptr);
        m_con.reset();
        m_window.reset();
        m_reserve.reset();
        m_fakes.reset();
    }

    // A new reservation is proposed from now to an hour later, in whole seconds, and once
    // registered it is added, planned for and saved.
    void addProposesTheNextHourAndSaves() {
        SCHEDULEITEM_TAG proposal;
        inDialog([&] {
            m_reserve->GetRegistParam(&proposal);
            m_reserve->m_cmbChannel->setEditText(QStringLiteral("1134"));
            m_reserve->m_edtTitle->setText(QStringLiteral("ニュース"));
            m_reserve->m_btnRegist->click();
        });
        m_con->OnAdd(nullptr);
        QCOMPARE(proposal.dStartTime, Jst(2024, 5, 15, 12, 0, 25));
        QCOMPARE(proposal.dEndTime, Jst(2024, 5, 15, 13, 0, 25));
        QCOMPARE(proposal.nID, -1);
        QCOMPARE(titles(), QStringList{QStringLiteral("ニュース")});
        QCOMPARE(at(0).uFreq, 1134u);
        QCOMPARE(at(0).dStartTime, Jst(2024, 5, 15, 12, 0));
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
            m_reserve->m_edtTitle->setText(QStringLiteral("changed"));
            m_reserve->m_btnCancel->click();
        });
        if (edit) {
            m_con->OnEdit(nullptr);
        } else {
            m_con->OnAdd(nullptr);
        }
        QCOMPARE(titles(), QStringList{"kept"});
        QCOMPARE(at(0).cValid, uint8_t(0));
        QCOMPARE(savedTitles(), QStringList{"missing"});
        QVERIFY(!replanned());
    }

    // The overlap is a warning: shown once, and the reservation stays. A switched-off
    // reservation overlaps nothing.
    void addOverlapWarnsOnceAndKeeps_data() {
        QTest::addColumn<uint8_t>("otherValid");
        QTest::addColumn<int>("warnings");
        QTest::newRow("overlaps an enabled one") << uint8_t(1) << 1;
        QTest::newRow("overlaps a switched-off one") << uint8_t(0) << 0;
    }
    void addOverlapWarnsOnceAndKeeps() {
        QFETCH(uint8_t, otherValid);
        QFETCH(int, warnings);
        add(reservation(Jst(2024, 5, 15, 12, 30), "other", otherValid));
        inDialog([&] {
            m_reserve->m_edtTitle->setText(QStringLiteral("new"));
            m_reserve->m_cmbChannel->setEditText(QStringLiteral("954"));
            m_reserve->m_btnRegist->click();
        });
        m_con->OnAdd(nullptr);
        QCOMPARE(m_alerts.count(overlapWarning() + QStringLiteral("|OK")), warnings);
        QCOMPARE(m_alerts.size(), warnings);
        QCOMPARE(titles(), QStringList({"new", "other"}));
        QCOMPARE(savedTitles(), QStringList({"new", "other"}));
    }

    // A reservation the list refuses (here: the list is full) still ends in a re-plan, a
    // save and a redraw, and with no message.
    void refusedAddStillSavesAndReplans() {
        for (int i = 0; i < 10000; ++i) {
            SCHEDULEITEM_TAG rec = reservation(Jst(2030, 1, 1, 0, 0) + i * 3600.0, "full", 0);
            SCHEDULE_RETURN result;
            list().addSchedule(&rec, result, 0);
        }
        list().mSort();
        QCOMPARE(list().m_nCount.load(), 10000);
        inDialog([&] {
            m_reserve->m_cmbChannel->setEditText(QStringLiteral("954"));
            m_reserve->m_btnRegist->click();
        });
        m_con->OnAdd(nullptr);
        QCOMPARE(list().m_nCount.load(), 10000);
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
        add(reservation(Jst(2024, 5, 16, 20, 0), "revived", valid, pending));
        select({0});
        inDialog([&] { m_reserve->m_btnRegist->click(); });
        m_con->OnEdit(nullptr);
        QCOMPARE(at(0).cValid, uint8_t(1));
        QCOMPARE(at(0).cPending, uint8_t(1));
        QCOMPARE(at(0).nID, 0);
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
        add(reservation(Jst(2024, 5, 15, 9, 0), "first"));
        add(reservation(Jst(2024, 5, 16, 20, 0), "same"));
        select({1});
        inDialog([&] {
            m_reserve->m_edtTitle->setText(title);
            m_reserve->m_btnRegist->click();
        });
        m_con->OnEdit(nullptr);
        QCOMPARE(titles(), QStringList({"first", title}));
        QCOMPARE(replanned(), replan);
        QCOMPARE(savedTitles(), QStringList({"first", title}));
        QVERIFY(m_alerts.isEmpty());
    }

    void editWithoutARowDoesNothing() {
        add(reservation(Jst(2024, 5, 16, 20, 0), "only"));
        bool shown = false;
        inDialog([&] {
            shown = true;
            m_reserve->m_btnCancel->click();
        });
        m_con->OnEdit(nullptr);
        QTest::qWait(30);
        QVERIFY(!shown);
        QCOMPARE(savedTitles(), QStringList{"missing"});
    }

    // Rows 1 and 3 of five go, found by their ids; the others stay in order.
    void deleteSelectedRows() {
        for (int i = 0; i < 5; ++i) {
            add(reservation(Jst(2024, 5, 20 + i, 20, 0), QByteArray::number(i).constData()));
        }
        select({1, 3});
        m_con->OnDelete(nullptr);
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
        add(reservation(Jst(2024, 5, 20, 20, 0), "a"));
        add(reservation(Jst(2024, 5, 21, 20, 0), "b"));
        select({0, 1});
        m_answer = kAlertAlternateReturn;
        if (all) {
            m_con->OnMenuAllRegistDelete(nullptr);
        } else {
            m_con->OnMenuDeleteRegist(nullptr);
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
        m_con->OnDelete(nullptr);
        QVERIFY(notices->hasNotice(NoticeKind::SaveFailed));
        QString const text = notices->noticeText(NoticeKind::SaveFailed);
        QVERIFY2(text.contains(QString::fromStdString(filePath())), qPrintable(text));
        QVERIFY2(text.contains(qtTrId("IDS_SAVE_REASON_NOT_A_FILE")), qPrintable(text));

        std::filesystem::remove(filePath());
        select({0});
        m_con->OnDelete(nullptr);
        QVERIFY(!notices->hasNotice(NoticeKind::SaveFailed));
        QCOMPARE(savedTitles(), QStringList());
    }

    void deleteAllWaitsForTheNextSave() {
        add(reservation(Jst(2024, 5, 20, 20, 0), "a"));
        add(reservation(Jst(2024, 5, 21, 20, 0), "b"));
        QVERIFY(list().Save(filePath().c_str()));
        m_con->OnAllRegistDelete();
        QCOMPARE(m_alerts,
                 QStringList{qtTrId("IDS_WARN_DELETE_ALL_TASK") + QStringLiteral("|OK|Cancel")});
        QCOMPARE(list().m_nCount.load(), 0);
        QCOMPARE(m_window->table()->model()->rowCount(), 0);
        QCOMPARE(savedTitles(), QStringList({"a", "b"}));
        QVERIFY(!replanned());

        select({});
        m_con->OnDelete(nullptr);
        QCOMPARE(savedTitles(), QStringList());
        QVERIFY(replanned());
    }

    void deleteOverWithoutAsking() {
        add(reservation(Jst(2024, 5, 14, 20, 0), "over 1", 1, 0));
        add(reservation(Jst(2024, 5, 16, 20, 0), "waiting"));
        add(reservation(Jst(2024, 5, 17, 20, 0), "over 2", 0, 0));
        QVERIFY(m_con->validateMenuItem(m_window->m_actDeleteOver));
        m_con->OnMenuErrorRegistDelete(nullptr);
        QVERIFY(m_alerts.isEmpty());
        QCOMPARE(titles(), QStringList{"waiting"});
        QVERIFY(!m_con->validateMenuItem(m_window->m_actDeleteOver));
        QCOMPARE(savedTitles(), QStringList{"missing"});
        QVERIFY(!replanned());
    }

    // An over reservation and a switched-off one that is not over: only "on" applies, and
    // it only reaches the second.
    void switchingOnAndOff() {
        add(reservation(Jst(2024, 5, 14, 20, 0), "over", 0, 0));
        add(reservation(Jst(2024, 5, 16, 20, 0), "off", 0, 1));
        add(reservation(Jst(2024, 5, 17, 20, 0), "on", 1, 1));
        select({0, 1});
        QVERIFY(m_con->validateMenuItem(m_window->m_actSwitchOn));
        QVERIFY(!m_con->validateMenuItem(m_window->m_actSwitchOff));
        m_con->OnMenuSelectRegistValid(nullptr);
        QCOMPARE(at(0).cValid, uint8_t(0));
        QCOMPARE(at(1).cValid, uint8_t(1));
        QVERIFY(!m_con->validateMenuItem(m_window->m_actSwitchOn));
        QVERIFY(m_con->validateMenuItem(m_window->m_actSwitchOff));

        select({1, 2});
        m_con->OnMenuSelectRegistInvalid(nullptr);
        QCOMPARE(at(1).cValid, uint8_t(0));
        QCOMPARE(at(2).cValid, uint8_t(0));
        QCOMPARE(at(0).cPending, uint8_t(0));
        QCOMPARE(savedTitles(), QStringList{"missing"});
        QVERIFY(!replanned());
    }

    void menuItemsFollowTheListAndSelection() {
        auto enabled = [this](QAction* action) { return m_con->validateMenuItem(action); };
        QAction untagged;
        QAction otherTag;
        otherTag.setData(19);
        QVERIFY(enabled(&untagged));
        QVERIFY(enabled(&otherTag));
        QVERIFY(enabled(m_window->m_actNew));
        QVERIFY(!enabled(m_window->m_actDelete));
        QVERIFY(!enabled(m_window->m_actEdit));
        QVERIFY(!enabled(m_window->m_actDeleteOver));
        QVERIFY(!enabled(m_window->m_actDeleteAll));
        QVERIFY(!enabled(m_window->m_actSwitchOn));
        QVERIFY(!enabled(m_window->m_actSwitchOff));

        add(reservation(Jst(2024, 5, 16, 20, 0), "a"));
        add(reservation(Jst(2024, 5, 17, 20, 0), "b"));
        QVERIFY(enabled(m_window->m_actDeleteAll));
        QVERIFY(!enabled(m_window->m_actDeleteOver));
        select({1});
        QVERIFY(enabled(m_window->m_actDelete));
        QVERIFY(enabled(m_window->m_actEdit));
        select({0, 1});
        QVERIFY(enabled(m_window->m_actDelete));
        QVERIFY(!enabled(m_window->m_actEdit));
    }

    // A plan that fails says why above the table and in the settings dialog, until a plan
    // works again.
    void aFailedPlanIsShownUntilAPlanWorks() {
        SuspendConfigController settings(&m_fakes->defaults);
        m_con->suspendCon = &settings;
        add(reservation(now() + 7200.0, "news"));
        NoticeArea* notices = m_window->notices();
        QLabel* const problem = settings.m_txtPlanProblem;

        m_fakes->privileged.setAnswer([](std::string const& call) {
            return call == "cancel 1" ? PrivilegedFailure::NotWakeable : PrivilegedFailure::None;
        });
        m_con->ReSettingSchedule();
        QVERIFY(m_con->WaitForPlanning());
        QString const why =
            QStringLiteral("Wake-ups are not planned: this computer has no clock alarm that can "
                           "wake it.");
        QTRY_COMPARE(notices->noticeText(NoticeKind::WakePlan), why);
        QCOMPARE(problem->text(), why);
        QVERIFY(!problem->parentWidget()->isHidden());

        m_fakes->privileged.setAnswer(nullptr);
        m_con->ReSettingSchedule();
        QVERIFY(m_con->WaitForPlanning());
        QTRY_VERIFY(!notices->hasNotice(NoticeKind::WakePlan));
        QVERIFY(problem->parentWidget()->isHidden());
        m_con->suspendCon = nullptr;
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
