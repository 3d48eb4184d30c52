// The main window's table: the cells of each column, the status icons, the button enabling
// that follows the selection, reloads from other threads, and the menus' enabled states.
#include "MainWindowFixture.h"
#include "ReservationTestSupport.h"
#include "WhenShown.h"
#include "platform/ISettings.h"
#include "ui/ImageButton.h"
#include "ui/MainWindow.h"
#include "ui/NoticeArea.h"
#include "ui/ReservationDialog.h"
#include "ui/ReservationTableModel.h"
#include "ui/ReservationTableView.h"
#include "ui/TrayIcon.h"

#include "tests/support/FakeEngineServices.h"

#include <QAccessible>
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
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

constexpr double k20090126_2000_UTC = 1233000000.0; // Monday 2009-01-26 20:00 UTC

Reservation lasting(double start, double length, uint32_t freq, char const* title) {
    Reservation rec;
    rec.start = start;
    rec.end = start + length;
    rec.frequency = freq;
    std::strncpy(rec.title, title, sizeof rec.title - 1);
    return rec;
}

} // namespace

class ReservationTableTest : public QObject, MainWindowFixture {
    Q_OBJECT

    ReservationTableView* table() { return m_window->table(); }

    // A cell as the table shows it after a reload.
    QVariant cellData(int column, int row, int role) {
        m_window->reloadTable();
        QAbstractItemModel* model = table()->model();
        return model->data(model->index(row, column), role);
    }
    QString cell(int column, int row) { return cellData(column, row, Qt::DisplayRole).toString(); }
    qint64 iconKey(int row) {
        QVariant const value = cellData(0, row, Qt::DecorationRole);
        return value.isValid() ? value.value<QIcon>().cacheKey() : 0;
    }
    QAction* action(MainWindow::Action which) { return m_window->action(which); }
    ImageButton::State state(MainWindow::Button button) {
        return m_window->button(button)->state();
    }

private slots:
    void init() {
        useLanguage(":/i18n/resvman_en.qm");
        pinTimeZone("UTC");
        makeWindow(k20090126_2000_UTC - 86400.0);
        m_window->reservationDialog()->setPresetFile("/nonexistent/Velto.plist");
    }

    void cleanup() { closeWindow(); }

    void noRowsUntilTheFirstReload() {
        QCOMPARE(table()->model()->rowCount(), 0);
        QCOMPARE(table()->model()->columnCount(), 8);
    }

    // Date and times in one zone, the process's: the date column agrees with the start.
    void dateAndTimesAreLocal() {
        add(lasting(k20090126_2000_UTC, 3600.0, 954, "Morning"));

        QCOMPARE(cell(1, 0), QStringLiteral("2009/01/26 (Monday)"));
        QCOMPARE(cell(3, 0), QStringLiteral("20:00"));
        QCOMPARE(cell(4, 0), QStringLiteral("21:00"));
        // Words a screen reader reads well.
        QCOMPARE(cellData(1, 0, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Monday, 26 January 2009"));
        QCOMPARE(cellData(3, 0, Qt::AccessibleTextRole).toString(), QStringLiteral("20:00"));

        pinTimeZone("Asia/Tokyo");
        QCOMPARE(cell(1, 0), QStringLiteral("2009/01/27 (Tuesday)"));
        QCOMPARE(cell(3, 0), QStringLiteral("05:00"));
        QCOMPARE(cell(4, 0), QStringLiteral("06:00"));

        useLanguage(":/i18n/resvman_ja.qm");
        QCOMPARE(cell(1, 0), QStringLiteral("2009/01/27 (火曜日)"));
        QCOMPARE(cellData(1, 0, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("2009年1月27日 火曜日"));
        QCOMPARE(cellData(3, 0, Qt::AccessibleTextRole).toString(), QStringLiteral("5時"));

        // With the late-night setting, a programme from 01:00 shows on the day before, as
        // the guides write it; one from 05:00 does not.
        m_fakes->settings.setInteger(kLateNightHoursKey, 1);
        add(lasting(k20090126_2000_UTC - 4 * 3600.0, 7200.0, 954, "Late"));
        QCOMPARE(cell(1, 0), QStringLiteral("2009/01/26 (月曜日)"));
        QCOMPARE(cell(3, 0), QStringLiteral("25:00"));
        QCOMPARE(cell(4, 0), QStringLiteral("27:00"));
        // Heard as written.
        QCOMPARE(cellData(1, 0, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("2009年1月26日 月曜日"));
        QCOMPARE(cellData(3, 0, Qt::AccessibleTextRole).toString(), QStringLiteral("25時"));
        QCOMPARE(cell(1, 1), QStringLiteral("2009/01/27 (火曜日)"));
        QCOMPARE(cell(3, 1), QStringLiteral("05:00"));
    }

    void frequencyStationTitleAndWeekly() {
        QTemporaryDir dir;
        std::string const presetFile = dir.filePath(QStringLiteral("Velto.plist")).toStdString();
        // The AM name fills its 256 bytes: no terminating zero.
        std::vector<char> const presetSlots =
            presetBytes({{true, 3, 8880, "みなとFM"}, {false, 0, 954, std::string(256, 'A')}});
        writePresetFile(presetFile, &presetSlots, false);
        m_window->reservationDialog()->setPresetFile(presetFile);
        m_window->reservationDialog()->loadPresets();

        Reservation fm = lasting(k20090126_2000_UTC, 1800.0, 0x01000000u | 8880, "朝の音楽");
        fm.weekdays = kWeekdayBits[1] | kWeekdayBits[3];
        add(fm);
        add(lasting(k20090126_2000_UTC + 7200.0, 1800.0, 954, kMarkupTitle));
        add(lasting(k20090126_2000_UTC + 14400.0, 1800.0, 1134, "\xff\xfe broken"));

        QCOMPARE(cell(5, 0), QStringLiteral("FM 88.8"));
        QCOMPARE(cell(6, 0), QStringLiteral("みなとFM"));
        QCOMPARE(cell(7, 0), QStringLiteral("朝の音楽"));
        QCOMPARE(cell(2, 0), QStringLiteral("✓"));

        QCOMPARE(cell(5, 1), QStringLiteral("AM 954"));
        // Titles are plain text, in the cell and in its tooltip.
        QCOMPARE(cell(7, 1), QString::fromUtf8(kMarkupTitle));
        QCOMPARE(toolTipShows(cellData(7, 1, Qt::ToolTipRole).toString()),
                 QString::fromUtf8(kMarkupTitle));
        // An unterminated name is read within its 256 bytes.
        QString const filled = cell(6, 1);
        QVERIFY(filled.size() >= 255 && filled.size() <= 256);
        QCOMPARE(filled, QString(filled.size(), QLatin1Char('A')));
        QCOMPARE(cell(2, 1), QString()); // once only

        QCOMPARE(cell(5, 2), QStringLiteral("AM 1134"));
        QCOMPARE(cell(6, 2), QString()); // no preset
        QCOMPARE(cell(7, 2), QString()); // invalid UTF-8 shows nothing

        // A screen reader hears the days, the unit, and a word where the cell is empty.
        auto spoken = [this](int column, int row) {
            return cellData(column, row, Qt::AccessibleTextRole).toString();
        };
        QCOMPARE(spoken(2, 0), QStringLiteral("Every week on Monday, Wednesday"));
        QCOMPARE(spoken(2, 1), QStringLiteral("Once"));
        QCOMPARE(spoken(5, 0), QStringLiteral("FM 88.8 MHz"));
        QCOMPARE(spoken(6, 2), QStringLiteral("No station name"));
        QCOMPARE(spoken(7, 2), QStringLiteral("No title"));
    }

    void statusIcons() {
        Reservation over = lasting(k20090126_2000_UTC, 3600.0, 954, "over");
        over.pending = 0;
        over.enabled = 0; // over wins over switched off
        add(over);
        Reservation off = lasting(k20090126_2000_UTC + 10000.0, 3600.0, 954, "off");
        off.enabled = 0;
        add(off);
        // Overlaps only the switched-off one: no mark.
        add(lasting(k20090126_2000_UTC + 10800.0, 600.0, 954, "alone"));
        // Two valid ones that overlap each other.
        add(lasting(k20090126_2000_UTC + 30000.0, 3600.0, 954, "a"));
        add(lasting(k20090126_2000_UTC + 31000.0, 3600.0, 954, "b"));

        qint64 const overIcon = namedIcon("icon1.icns").cacheKey();
        qint64 const offIcon = namedIcon("sleep.icns").cacheKey();
        qint64 const overlapIcon = namedIcon("error3.icns").cacheKey();
        QCOMPARE(iconKey(0), overIcon);
        QCOMPARE(iconKey(1), offIcon);
        QCOMPARE(iconKey(2), qint64(0));
        QCOMPARE(iconKey(3), overlapIcon);
        QCOMPARE(iconKey(4), overlapIcon);

        // The icons are real multi-size images.
        for (char const* name : {"icon1.icns", "sleep.icns", "error3.icns"}) {
            QList<QSize> const sizes = namedIcon(name).availableSizes();
            QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)) &&
                         sizes.contains(QSize(256, 256)),
                     name);
        }
        // The model shows the icon as decoration, with a tip.
        QAbstractItemModel* model = m_window->table()->model();
        m_window->reloadTable();
        QVERIFY(model->data(model->index(3, 0), Qt::DecorationRole).isValid());
        QVERIFY(!model->data(model->index(3, 0), Qt::DisplayRole).isValid());
        QVERIFY(!model->data(model->index(3, 0), Qt::ToolTipRole).toString().isEmpty());

        // A screen reader hears the state in words, and every column has a header name.
        QStringList const spoken = {"Missed", "Switched off", "Will be recorded",
                                    "Overlaps another reservation", "Overlaps another reservation"};
        for (int row = 0; row < spoken.size(); ++row) {
            QVERIFY2(cellData(0, row, Qt::AccessibleTextRole).toString().startsWith(spoken[row]),
                     qPrintable(spoken[row]));
        }
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Status"));
    }

    // The table states that crash Qt 6.4's accessibility bridge cannot be reached: an empty
    // table takes no focus, a focused one always has a current cell, the cell -1,-1 is an
    // empty stand-in, and the cells of a destroyed table are gone, not dangling.
    void accessibleTableStaysOutOfTheCrashingStates() {
        m_window->reloadTable();
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(table());
        QVERIFY(view && view->tableInterface());
        QCOMPARE(view->tableInterface()->rowCount(), 0);
        QCOMPARE(table()->focusPolicy(), Qt::NoFocus);
        QAccessibleInterface* outside = view->tableInterface()->cellAt(-1, -1);
        QVERIFY(outside);
        QVERIFY(outside->state().invisible);
        QCOMPARE(outside->tableCellInterface()->rowIndex(), -1);
        QVERIFY(!outside->tableCellInterface()->isSelected());
        QVERIFY(!view->focusChild());

        add(lasting(k20090126_2000_UTC, 3600.0, 954, "one"));
        m_window->reloadTable();
        QVERIFY(table()->focusPolicy() != Qt::NoFocus);
        table()->clearSelection();
        table()->selectionModel()->clearCurrentIndex();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        table()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(table()->hasFocus());
        QVERIFY(table()->currentIndex().isValid()); // focused: a current cell
        QAccessibleInterface* cell = view->tableInterface()->cellAt(0, 7);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("one"));
        QCOMPARE(cell->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
                 QStringLiteral("Title"));
        QAccessible::Id const id = QAccessible::uniqueId(cell);

        closeWindow();
        QVERIFY(!QAccessible::accessibleInterface(id));
    }

    // The icon is embedded at every size; the program sets it once the window says it has
    // been drawn, which it says once.
    void applicationIconIsEmbedded() {
        QIcon const icon = applicationIcon();
        for (int size : {16, 32, 256}) {
            QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
        }
        QSignalSpy painted(m_window.get(), &MainWindow::firstPainted);
        m_window->showCentered();
        QTRY_COMPARE(painted.count(), 1);
        m_window->table()->viewport()->repaint();
        QTest::qWait(20);
        QCOMPARE(painted.count(), 1);
    }

    void buttonsFollowTheSelection() {
        for (int i = 0; i < 5; ++i) {
            add(lasting(k20090126_2000_UTC + i * 7200.0, 1800.0, 954, "r"));
        }
        m_window->reloadTable();
        m_window->showCentered();
        QCOMPARE(state(MainWindow::Button::Delete), ImageButton::State::Disabled);
        QCOMPARE(state(MainWindow::Button::Edit), ImageButton::State::Disabled);

        select({1});
        QCOMPARE(state(MainWindow::Button::Delete), ImageButton::State::Normal);
        QCOMPARE(state(MainWindow::Button::Edit), ImageButton::State::Normal);

        select({1, 3});
        QCOMPARE(state(MainWindow::Button::Delete), ImageButton::State::Normal);
        QCOMPARE(state(MainWindow::Button::Edit), ImageButton::State::Disabled);

        select({});
        QCOMPARE(state(MainWindow::Button::Delete), ImageButton::State::Disabled);
        QCOMPARE(state(MainWindow::Button::Edit), ImageButton::State::Disabled);

        // A click tells the row about to be selected first, then the change sets the final state.
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        ReservationTableView* view = table();
        QRect const row2 = view->visualRect(view->model()->index(2, 3));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, row2.center());
        QCOMPARE(view->selectedRow(), 2);
        QCOMPARE(state(MainWindow::Button::Edit), ImageButton::State::Normal);
        QRect const row4 = view->visualRect(view->model()->index(4, 3));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, row4.center());
        QCOMPARE(view->selectedRowCount(), 2);
        QCOMPARE(view->selectedRow(), 4); // the last one selected
        QCOMPARE(state(MainWindow::Button::Delete), ImageButton::State::Normal);
        QCOMPARE(state(MainWindow::Button::Edit), ImageButton::State::Disabled);
        QCOMPARE(view->selectedRows(), (QList<int>{2, 4}));
    }

    void reloadKeepsTheSelectedRowsThatStillExist() {
        for (int i = 0; i < 4; ++i) {
            add(lasting(k20090126_2000_UTC + i * 7200.0, 1800.0, 954, "r"));
        }
        m_window->reloadTable();
        select({1, 3});
        // The last row goes away (as when a recording run removes it).
        Reservation last;
        QVERIFY(list().readAt(3, last));
        QVERIFY(list().remove(last.id));
        m_window->reloadTable();
        QCOMPARE(m_window->table()->model()->rowCount(), 3);
        QCOMPARE(table()->selectedRows(), QList<int>{1});
    }

    void requestsFromOtherThreadsAreQueued() {
        m_window->reloadTable();
        add(lasting(k20090126_2000_UTC, 1800.0, 954, "r"));
        IEngineListener& listener = *m_window;
        std::thread worker([&listener] {
            for (int i = 0; i < 50; ++i) {
                listener.reservationHandedOver();
                listener.reservationMissed();
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
        add(lasting(k20090126_2000_UTC + 86400.0, 1800.0, 954, "r"));
        m_window->reloadTable();
        QAbstractItemModel* model = table()->model();
        QVERIFY(!model->setData(model->index(0, 7), QStringLiteral("x")));
        QCOMPARE(cell(7, 0), QStringLiteral("r"));

        ReservationDialog* dialog = m_window->reservationDialog();
        QString edited;
        whenShown(dialog, [&] {
            edited = child<QLineEdit>(dialog, "title")->text();
            child<QPushButton>(dialog, "cancel")->click();
        });
        ReservationTableView* view = table();
        view->setCurrentIndex(view->model()->index(0, 3)); // selects the row
        QTest::keyClick(view, Qt::Key_Return);
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
        MainWindow window(m_fakes->services());
        TrayIcon tray{QIcon()};

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
        checkMnemonics(qobject_cast<QMenu*>(tray.showAction()->parent())->actions());

        QSet<QKeySequence> shortcuts;
        for (MainWindow::Action const which :
             {MainWindow::Action::SwitchOn, MainWindow::Action::SwitchOff,
              MainWindow::Action::NewReservation, MainWindow::Action::EditReservation,
              MainWindow::Action::DeleteSelected, MainWindow::Action::Settings,
              MainWindow::Action::Quit}) {
            QAction const* action = window.action(which);
            QVERIFY2(!action->shortcut().isEmpty(), qPrintable(action->text()));
            QVERIFY2(!shortcuts.contains(action->shortcut()), qPrintable(action->text()));
            shortcuts.insert(action->shortcut());
        }
    }

    void menuItemsValidateWhenTheMenuOpens() {
        QCOMPARE(action(MainWindow::Action::Quit)->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+Q")));

        add(lasting(k20090126_2000_UTC, 1800.0, 954, "r"));
        m_window->reloadTable();
        auto* menu = qobject_cast<QMenu*>(action(MainWindow::Action::EditReservation)->parent());
        QVERIFY(menu);
        m_window->validateMenu(menu);
        QVERIFY(!action(MainWindow::Action::EditReservation)->isEnabled()); // nothing selected
        QVERIFY(action(MainWindow::Action::DeleteAll)->isEnabled());
        select({0});
        m_window->validateMenu(menu);
        QVERIFY(action(MainWindow::Action::EditReservation)->isEnabled());
        QVERIFY(action(MainWindow::Action::SwitchOff)->isEnabled());
        QVERIFY(!action(MainWindow::Action::SwitchOn)->isEnabled());
    }

    void closeBoxHidesInsteadOfClosing() {
        m_window->showCentered();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(!m_window->close()); // refused
    }

    // Lines keep the order of their kinds, a second notice of a kind replaces the first, and
    // the band takes no room once the last line is cleared.
    void noticesShowInKindOrderUntilCleared() {
        m_window->showCentered();
        NoticeArea* notices = m_window->notices();
        QVERIFY(!notices->isVisible());
        m_window->showNotice(NoticeKind::WakePlan, QStringLiteral("plan"));
        m_window->showNotice(NoticeKind::SaveFailed, QStringLiteral("save"));
        m_window->showNotice(NoticeKind::SaveFailed, QStringLiteral("save again"));
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
        // A screen reader hears each as a notification named by its current text.
        QAccessibleInterface* top =
            QAccessible::queryAccessibleInterface(notices->layout()->itemAt(0)->widget());
        QVERIFY(top);
        QCOMPARE(top->role(), QAccessible::Notification);
        QCOMPARE(top->text(QAccessible::Name), QStringLiteral("save again"));
        m_window->clearNotice(NoticeKind::SaveFailed);
        m_window->clearNotice(NoticeKind::WakePlan);
        m_window->clearNotice(NoticeKind::Journal); // never shown: nothing happens
        QVERIFY(!notices->isVisible());
    }

    // Not a timed assertion: prints what a full reload and a screenful of cells cost with a
    // full list.
    void reloadWithTenThousandReservations() {
        for (int i = 0; i < ReservationList::kCapacity; ++i) {
            Reservation rec = lasting(k20090126_2000_UTC + i * 3600.0, 1800.0, 954, "r");
            CheckResult result;
            list().add(rec, result, i + 1 == ReservationList::kCapacity ? 1 : 0);
        }
        QCOMPARE(list().size(), ReservationList::kCapacity);
        m_window->resize(900, 600);
        m_window->showCentered();
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
            m_window->reloadTable();
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
              ReservationList::kCapacity, reload[3], visibleRows, cells[3], cellsCpu[3], paint[3]);
        QCOMPARE(m_window->table()->model()->rowCount(), ReservationList::kCapacity);
    }
};

QTEST_MAIN(ReservationTableTest)
#include "ReservationTableTest.moc"
