// The main window's table: the cells of each column, the status icons, the button enabling
// that follows the selection, reloads from other threads, and the menus' enabled states.
#include "WhenShown.h"
#include "ui/ImageBtnCtrl.h"
#include "ui/MyTableView.h"
#include "ui/NoticeArea.h"
#include "ui/RegistReserveController.h"
#include "ui/RegistReserveWindow.h"
#include "ui/ResvManDlgController.h"
#include "ui/ResvManWindow.h"
#include "ui/ResvTableModel.h"
#include "ui/TrayIcon.h"

#include "tests/support/FakeEngineServices.h"

#include <QAction>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

constexpr double k20090126_2000_UTC = 1233000000.0; // Monday 2009-01-26 20:00 UTC

SCHEDULEITEM_TAG Reservation(double start, double length, uint32_t freq, char const* title) {
    SCHEDULEITEM_TAG rec;
    rec.dStartTime = start;
    rec.dEndTime = start + length;
    rec.uFreq = freq;
    std::strncpy(rec.cTitle, title, sizeof rec.cTitle - 1);
    return rec;
}

void SetZone(char const* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

} // namespace

class TestResvTable : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEngineServices> m_fakes;
    std::unique_ptr<RegistReserveController> m_reserve;
    std::unique_ptr<ResvManWindow> m_window;
    std::unique_ptr<ResvManDlgController> m_con;
    QTranslator m_translator;

    void add(SCHEDULEITEM_TAG rec) {
        SCHEDULE_RETURN result;
        QVERIFY(m_con->m_Schedule->addSchedule(&rec, result, 1));
    }

    QString cell(int column, int row) {
        return m_con->objectValueForTableColumn(m_con->m_lcResvList, QString::number(column), row)
            .toString();
    }

    qint64 iconKey(int row) {
        QVariant const value = m_con->objectValueForTableColumn(m_con->m_lcResvList, "0", row);
        return value.isValid() ? value.value<QIcon>().cacheKey() : 0;
    }

    void select(QList<int> rows) {
        QItemSelectionModel* selection = m_window->table()->selectionModel();
        selection->clearSelection();
        for (int row : rows) {
            selection->select(m_window->table()->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    void useLanguage(char const* file) {
        QCoreApplication::removeTranslator(&m_translator);
        QVERIFY(m_translator.load(QString::fromLatin1(file)));
        QCoreApplication::installTranslator(&m_translator);
    }

private slots:
    void init() {
        useLanguage(":/i18n/resvman_en.qm");
        SetZone("UTC");
        m_fakes = std::make_unique<FakeEngineServices>(k20090126_2000_UTC - 86400.0);
        m_reserve = std::make_unique<RegistReserveController>();
        m_window = std::make_unique<ResvManWindow>();
        m_con = std::make_unique<ResvManDlgController>(m_fakes->services());
        m_window->connectController(m_con.get());
        m_con->ReserveCon = m_reserve.get();
        m_con->awakeFromNib();
    }

    void cleanup() {
        m_fakes->clock.setAutoAdvance(true); // lets a sleeping watch thread see its stop
        m_con.reset();
        m_window.reset();
        m_reserve.reset();
        m_fakes.reset();
    }

    void noRowsBeforeTheListExists() {
        QCOMPARE(m_con->numberOfRowsInTableView(m_con->m_lcResvList), 0);
        QCOMPARE(m_window->table()->model()->rowCount(), 0);
        QVERIFY(!m_con->objectValueForTableColumn(m_con->m_lcResvList, "1", 0).isValid());
    }

    // Date and times in one zone, the process's: the date column agrees with the start.
    void dateAndTimesAreLocal() {
        m_con->CreateSchedule();
        add(Reservation(k20090126_2000_UTC, 3600.0, 954, "Morning"));

        QCOMPARE(cell(1, 0), QStringLiteral("2009/01/26 (Monday)"));
        QCOMPARE(cell(3, 0), QStringLiteral("20:00"));
        QCOMPARE(cell(4, 0), QStringLiteral("21:00"));

        SetZone("Asia/Tokyo");
        QCOMPARE(cell(1, 0), QStringLiteral("2009/01/27 (Tuesday)"));
        QCOMPARE(cell(3, 0), QStringLiteral("05:00"));
        QCOMPARE(cell(4, 0), QStringLiteral("06:00"));

        useLanguage(":/i18n/resvman_ja.qm");
        QCOMPARE(cell(1, 0), QStringLiteral("2009/01/27 (火曜日)"));
    }

    void frequencyStationTitleAndWeekly() {
        m_con->CreateSchedule();
        m_reserve->presets.psFM[3].uFreq = 8880;
        std::strcpy(m_reserve->presets.psFM[3].cName, "みなとFM");
        m_reserve->presets.psAM[0].uFreq = 954;
        std::memset(m_reserve->presets.psAM[0].cName, 'A', 256); // no terminating zero

        SCHEDULEITEM_TAG fm =
            Reservation(k20090126_2000_UTC, 1800.0, 0x01000000u | 8880, "朝の音楽");
        fm.uWeek = kWeeklyKeys[1] | kWeeklyKeys[3];
        add(fm);
        add(Reservation(k20090126_2000_UTC + 7200.0, 1800.0, 954, "News"));
        add(Reservation(k20090126_2000_UTC + 14400.0, 1800.0, 1134, "\xff\xfe broken"));

        QCOMPARE(cell(5, 0), QStringLiteral("FM 88.8"));
        QCOMPARE(cell(6, 0), QStringLiteral("みなとFM"));
        QCOMPARE(cell(7, 0), QStringLiteral("朝の音楽"));
        QCOMPARE(cell(2, 0), QStringLiteral("✓"));

        QCOMPARE(cell(5, 1), QStringLiteral("AM 954"));
        // An unterminated name is read within its 256 bytes.
        QString const filled = cell(6, 1);
        QVERIFY(filled.size() >= 255 && filled.size() <= 256);
        QCOMPARE(filled, QString(filled.size(), QLatin1Char('A')));
        QCOMPARE(cell(2, 1), QString()); // once only

        QCOMPARE(cell(5, 2), QStringLiteral("AM 1134"));
        QCOMPARE(cell(6, 2), QString()); // no preset
        QCOMPARE(cell(7, 2), QString()); // invalid UTF-8 shows nothing

        // Rows outside the list, unknown columns and other tables give nothing.
        QVERIFY(!m_con->objectValueForTableColumn(m_con->m_lcResvList, "7", 3).isValid());
        QVERIFY(!m_con->objectValueForTableColumn(m_con->m_lcResvList, "7", -1).isValid());
        QVERIFY(!m_con->objectValueForTableColumn(m_con->m_lcResvList, "8", 0).isValid());
        m_window->table()->setTag(1);
        QVERIFY(!m_con->objectValueForTableColumn(m_con->m_lcResvList, "7", 0).isValid());
    }

    void statusIcons() {
        m_con->CreateSchedule();
        SCHEDULEITEM_TAG over = Reservation(k20090126_2000_UTC, 3600.0, 954, "over");
        over.cPending = 0;
        over.cValid = 0; // over wins over switched off
        add(over);
        SCHEDULEITEM_TAG off = Reservation(k20090126_2000_UTC + 10000.0, 3600.0, 954, "off");
        off.cValid = 0;
        add(off);
        // Overlaps only the switched-off one: no mark.
        add(Reservation(k20090126_2000_UTC + 10800.0, 600.0, 954, "alone"));
        // Two valid ones that overlap each other.
        add(Reservation(k20090126_2000_UTC + 30000.0, 3600.0, 954, "a"));
        add(Reservation(k20090126_2000_UTC + 31000.0, 3600.0, 954, "b"));

        qint64 const overIcon = NamedIcon("icon1.icns").cacheKey();
        qint64 const offIcon = NamedIcon("sleep.icns").cacheKey();
        qint64 const overlapIcon = NamedIcon("error3.icns").cacheKey();
        QCOMPARE(iconKey(0), overIcon);
        QCOMPARE(iconKey(1), offIcon);
        QCOMPARE(iconKey(2), qint64(0));
        QCOMPARE(iconKey(3), overlapIcon);
        QCOMPARE(iconKey(4), overlapIcon);

        // The icons are real multi-size images.
        for (char const* name : {"icon1.icns", "sleep.icns", "error3.icns"}) {
            QList<QSize> const sizes = NamedIcon(name).availableSizes();
            QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)) &&
                         sizes.contains(QSize(256, 256)),
                     name);
        }
        // The model shows the icon as decoration, with a tip.
        QAbstractItemModel* model = m_window->table()->model();
        m_con->displayTheTable();
        QVERIFY(model->data(model->index(3, 0), Qt::DecorationRole).isValid());
        QVERIFY(!model->data(model->index(3, 0), Qt::DisplayRole).isValid());
        QVERIFY(!model->data(model->index(3, 0), Qt::ToolTipRole).toString().isEmpty());
    }

    // The icon is embedded at every size; the program sets it once the window says it has
    // been drawn, which it says once.
    void applicationIconIsEmbedded() {
        QIcon const icon = ApplicationIcon();
        for (int size : {16, 32, 256}) {
            QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
        }
        QSignalSpy painted(m_window.get(), &ResvManWindow::firstPainted);
        m_con->showWindow();
        QTRY_COMPARE(painted.count(), 1);
        m_window->table()->viewport()->repaint();
        QTest::qWait(20);
        QCOMPARE(painted.count(), 1);
    }

    void columnsCarryTheirIdentifiers() {
        QAbstractItemModel* model = m_window->table()->model();
        QCOMPARE(model->columnCount(), 8);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(model->headerData(column, Qt::Horizontal, ResvTableModel::kIdentifierRole)
                         .toString(),
                     QString::number(column));
        }
        QCOMPARE(m_window->table()->tag(), 0);
    }

    void buttonsFollowTheSelection() {
        m_con->CreateSchedule();
        for (int i = 0; i < 5; ++i) {
            add(Reservation(k20090126_2000_UTC + i * 7200.0, 1800.0, 954, "r"));
        }
        m_con->displayTheTable();
        m_con->showWindow();
        QCOMPARE(m_window->m_btnDelete->status(), 3);
        QCOMPARE(m_window->m_btnEdit->status(), 3);

        select({1});
        QCOMPARE(m_window->m_btnDelete->status(), 0);
        QCOMPARE(m_window->m_btnEdit->status(), 0);

        select({1, 3});
        QCOMPARE(m_window->m_btnDelete->status(), 0);
        QCOMPARE(m_window->m_btnEdit->status(), 3);

        select({});
        QCOMPARE(m_window->m_btnDelete->status(), 3);
        QCOMPARE(m_window->m_btnEdit->status(), 3);

        // A click asks shouldSelectRow first, then the change sets the final state.
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTableView* table = m_window->table();
        QRect const row2 = table->visualRect(table->model()->index(2, 3));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, row2.center());
        QCOMPARE(MyTableView::selectedRow(table), 2);
        QCOMPARE(m_window->m_btnEdit->status(), 0);
        QRect const row4 = table->visualRect(table->model()->index(4, 3));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, row4.center());
        QCOMPARE(MyTableView::numberOfSelectedRows(table), 2);
        QCOMPARE(MyTableView::selectedRow(table), 4); // the last one selected
        QCOMPARE(m_window->m_btnDelete->status(), 0);
        QCOMPARE(m_window->m_btnEdit->status(), 3);
        QCOMPARE(MyTableView::selectedRowIndexes(table), (QList<int>{2, 4}));
    }

    void reloadKeepsTheSelectedRowsThatStillExist() {
        m_con->CreateSchedule();
        for (int i = 0; i < 4; ++i) {
            add(Reservation(k20090126_2000_UTC + i * 7200.0, 1800.0, 954, "r"));
        }
        m_con->displayTheTable();
        select({1, 3});
        // The last row goes away (as when a recording run removes it).
        SCHEDULEITEM_TAG last;
        QVERIFY(m_con->m_Schedule->readScheduleByIndex(3, &last));
        QVERIFY(m_con->m_Schedule->deleteSchedule(last.nID));
        m_con->displayTheTable();
        QCOMPARE(m_window->table()->model()->rowCount(), 3);
        QCOMPARE(MyTableView::selectedRowIndexes(m_window->table()), QList<int>{1});
    }

    void requestsFromOtherThreadsAreQueued() {
        m_con->CreateSchedule();
        m_con->displayTheTable();
        add(Reservation(k20090126_2000_UTC, 1800.0, 954, "r"));
        std::thread worker([this] {
            for (int i = 0; i < 50; ++i) {
                m_con->requestDisplayTheTable();
                m_con->requestTableReload();
            }
        });
        worker.join();
        // Nothing happened on the worker thread; the main thread picks it up.
        QCOMPARE(m_window->table()->model()->rowCount(), 0);
        QTRY_COMPARE(m_window->table()->model()->rowCount(), 1);
    }

    // A double-click or Return on a row opens the reservation dialog for it; no cell is
    // ever edited in place.
    void doubleClickAndReturnOpenTheEditCommandNotAnEditor() {
        m_con->CreateSchedule();
        add(Reservation(k20090126_2000_UTC + 86400.0, 1800.0, 954, "r"));
        m_con->displayTheTable();
        QVERIFY(!m_con->shouldEditTableColumn(m_con->m_lcResvList, "7", -1));
        m_con->setObjectValue(m_con->m_lcResvList, QStringLiteral("x"), "7", 0);
        QCOMPARE(cell(7, 0), QStringLiteral("r"));

        m_reserve->setPresetFilePath("/nonexistent/Velto.plist");
        m_reserve->awakeFromNib();
        QString edited;
        WhenShown(m_reserve->m_RegistWindow, [&] {
            edited = m_reserve->m_edtTitle->text();
            m_reserve->m_btnCancel->click();
        });
        MyTableView* table = m_window->table();
        table->setCurrentIndex(table->model()->index(0, 3)); // selects the row
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(edited, QStringLiteral("r"));
    }

    // Every menu and menu item has a mnemonic, one letter each within its menu, in both
    // languages; switching on and off have shortcuts of their own.
    void keyboardReachesEveryCommand_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << ":/i18n/resvman_en.qm";
        QTest::newRow("Japanese") << ":/i18n/resvman_ja.qm";
    }
    void keyboardReachesEveryCommand() {
        QFETCH(QString, language);
        useLanguage(language.toLatin1().constData());
        ResvManWindow window;
        ResvManDlgController controller(m_fakes->services());
        window.connectController(&controller);
        TrayIcon tray(QIcon(), [] {});

        auto checkMnemonics = [](QList<QAction*> const& actions) {
            QSet<QChar> letters;
            for (QAction const* action : actions) {
                if (action->isSeparator()) {
                    continue;
                }
                QString const text = action->text();
                qsizetype const at = text.indexOf(QLatin1Char('&'));
                QVERIFY2(at >= 0 && at + 1 < text.size() && text[at + 1] != QLatin1Char('&'),
                         qPrintable(text));
                QChar const letter = text[at + 1].toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(text));
                letters.insert(letter);
            }
        };
        checkMnemonics(window.menuBar()->actions());
        for (QAction const* menu : window.menuBar()->actions()) {
            checkMnemonics(menu->menu()->actions());
        }
        checkMnemonics(tray.m_menu->actions());

        QSet<QKeySequence> shortcuts;
        for (QAction const* action :
             {window.m_actSwitchOn, window.m_actSwitchOff, window.m_actNew, window.m_actEdit,
              window.m_actDelete, window.m_actSettings, window.m_actQuit}) {
            QVERIFY2(!action->shortcut().isEmpty(), qPrintable(action->text()));
            QVERIFY2(!shortcuts.contains(action->shortcut()), qPrintable(action->text()));
            shortcuts.insert(action->shortcut());
        }
    }

    void menuItemsCarryTheirTagsAndValidate() {
        QCOMPARE(m_window->m_actDelete->data().toInt(), 20);
        QCOMPARE(m_window->m_actEdit->data().toInt(), 21);
        QCOMPARE(m_window->m_actDeleteOver->data().toInt(), 22);
        QCOMPARE(m_window->m_actDeleteAll->data().toInt(), 23);
        QCOMPARE(m_window->m_actSwitchOn->data().toInt(), 24);
        QCOMPARE(m_window->m_actSwitchOff->data().toInt(), 25);
        QCOMPARE(m_window->m_actQuit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));

        m_con->CreateSchedule();
        add(Reservation(k20090126_2000_UTC, 1800.0, 954, "r"));
        m_con->displayTheTable();
        auto* menu = qobject_cast<QMenu*>(m_window->m_actEdit->parent());
        QVERIFY(menu);
        m_window->validateMenu(menu);
        QVERIFY(!m_window->m_actEdit->isEnabled()); // nothing selected
        QVERIFY(m_window->m_actDeleteAll->isEnabled());
        select({0});
        m_window->validateMenu(menu);
        QVERIFY(m_window->m_actEdit->isEnabled());
        QVERIFY(m_window->m_actSwitchOff->isEnabled());
        QVERIFY(!m_window->m_actSwitchOn->isEnabled());
    }

    void closeBoxHidesInsteadOfClosing() {
        m_con->showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(!m_window->close()); // refused
    }

    // Lines keep the order of their kinds, a second notice of a kind replaces the first, and
    // the band takes no room once the last line is cleared.
    void noticesShowInKindOrderUntilCleared() {
        m_con->showWindow();
        NoticeArea* notices = m_window->notices();
        QVERIFY(!notices->isVisible());
        m_con->ShowNotice(NoticeKind::WakePlan, QStringLiteral("plan"));
        m_con->ShowNotice(NoticeKind::SaveFailed, QStringLiteral("save"));
        m_con->ShowNotice(NoticeKind::SaveFailed, QStringLiteral("save again"));
        QVERIFY(notices->isVisible());
        QStringList shown; // top to bottom
        for (int i = 0; i < notices->layout()->count(); ++i) {
            for (QLabel* label : notices->layout()->itemAt(i)->widget()->findChildren<QLabel*>()) {
                if (!label->text().isEmpty()) {
                    shown.append(label->text());
                }
            }
        }
        QCOMPARE(shown, QStringList({QStringLiteral("save again"), QStringLiteral("plan")}));
        m_con->ClearNotice(NoticeKind::SaveFailed);
        m_con->ClearNotice(NoticeKind::WakePlan);
        m_con->ClearNotice(NoticeKind::Journal); // never shown: nothing happens
        QVERIFY(!notices->isVisible());
    }

    // Not a timed assertion: prints what a full reload and a screenful of cells cost with a
    // full list.
    void reloadWithTenThousandReservations() {
        m_con->CreateSchedule();
        for (int i = 0; i < kScheduleMaxCount; ++i) {
            SCHEDULEITEM_TAG rec = Reservation(k20090126_2000_UTC + i * 3600.0, 1800.0, 954, "r");
            SCHEDULE_RETURN result;
            m_con->m_Schedule->addSchedule(&rec, result, i + 1 == kScheduleMaxCount ? 1 : 0);
        }
        QCOMPARE(m_con->m_Schedule->m_nCount.load(), kScheduleMaxCount);
        m_window->resize(900, 600);
        m_con->showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        // Median of several rounds: the reload alone, the cells of one screen read afresh,
        // and the drawing of that screen.
        QAbstractItemModel* model = m_window->table()->model();
        int const visibleRows = m_window->table()->viewport()->height() / 24 + 1;
        QList<double> reload, cells, paint, cellsCpu;
        auto threadCpuMs = [] {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
        };
        for (int round = 0; round < 7; ++round) {
            QElapsedTimer timer;
            timer.start();
            m_con->displayTheTable();
            reload << timer.nsecsElapsed() / 1e6;
            timer.restart();
            double const cpuBefore = threadCpuMs();
            for (int row = 0; row < visibleRows; ++row) {
                for (int column = 0; column < 8; ++column) {
                    model->data(model->index(row, column), Qt::DisplayRole);
                    model->data(model->index(row, column), Qt::DecorationRole);
                }
            }
            cells << timer.nsecsElapsed() / 1e6;
            cellsCpu << threadCpuMs() - cpuBefore;
            timer.restart();
            m_window->table()->viewport()->repaint();
            paint << timer.nsecsElapsed() / 1e6;
        }
        std::sort(reload.begin(), reload.end());
        std::sort(cells.begin(), cells.end());
        std::sort(paint.begin(), paint.end());
        std::sort(cellsCpu.begin(), cellsCpu.end());
        qInfo("%d reservations, medians: reload %.3f ms, %d visible rows read %.3f ms "
              "(%.3f ms of CPU), drawn %.3f ms",
              kScheduleMaxCount, reload[3], visibleRows, cells[3], cellsCpu[3], paint[3]);
        QCOMPARE(m_window->table()->model()->rowCount(), kScheduleMaxCount);
    }
};

QTEST_MAIN(TestResvTable)
#include "tst_resvtable.moc"
