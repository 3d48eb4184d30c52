#include "ui/ResvManWindow.h"

#include "ui/ImageBtnCtrl.h"
#include "ui/MyTableView.h"
#include "ui/NoticeArea.h"
#include "ui/ResvManDlgController.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 30;
constexpr int kRowHeight = 24;

ImageBtnCtrl* MakeButton(QWidget* parent) {
    auto* button = new ImageBtnCtrl(parent);
    button->setFixedSize(kButtonWidth, kButtonHeight);
    return button;
}
} // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/images/resvman_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

ResvManWindow::ResvManWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(AppTitle());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);

    m_notices = new NoticeArea(central);
    layout->addWidget(m_notices);

    m_table = new MyTableView(central);
    m_table->setTag(0);
    m_table->setObjectName(QStringLiteral("m_lcResvList"));
    m_table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_table->setIconSize(QSize(18, 18));
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setMinimumSectionSize(24);
    m_table->viewport()->installEventFilter(this);
    layout->addWidget(m_table, 1);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionCountChanged, this,
            [this](int before, int now) {
                if (before == 0 && now > 0) {
                    sizeColumns();
                }
            });

    // Commands on reservations on the left, the application's own on the right.
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    m_btnAdd = MakeButton(central);
    m_btnDelete = MakeButton(central);
    m_btnEdit = MakeButton(central);
    m_btnConfig = MakeButton(central);
    m_btnTaskTray = MakeButton(central);
    m_btnExit = MakeButton(central);
    buttons->addWidget(m_btnAdd);
    buttons->addWidget(m_btnDelete);
    buttons->addWidget(m_btnEdit);
    buttons->addStretch(1);
    buttons->addWidget(m_btnConfig);
    buttons->addWidget(m_btnTaskTray);
    buttons->addWidget(m_btnExit);
    layout->addLayout(buttons);

    setCentralWidget(central);
    resize(820, 440);
    setMinimumSize(660, 300);
}

void ResvManWindow::sizeColumns() {
    QHeaderView* header = m_table->horizontalHeader();
    QFontMetrics const cells(m_table->font());
    QFontMetrics const titles(header->font());
    auto fit = [&](int column, QStringList const& samples) {
        int width = titles.horizontalAdvance(
                        header->model()->headerData(column, Qt::Horizontal).toString()) +
                    20;
        for (QString const& sample : samples) {
            width = qMax(width, cells.horizontalAdvance(sample) + 20);
        }
        header->resizeSection(column, width);
    };
    QString longestDay;
    for (int weekday = 0; weekday < 7; ++weekday) {
        QString const day = WeekdayName(weekday);
        if (cells.horizontalAdvance(day) > cells.horizontalAdvance(longestDay)) {
            longestDay = day;
        }
    }
    header->resizeSection(0, m_table->iconSize().width() + 14);
    fit(1, {QStringLiteral("0000/00/00 (%1)").arg(longestDay)});
    //% "✓"
    fit(2, {qtTrId("IDS_MARU")});
    fit(3, {QStringLiteral("00:00")});
    fit(4, {QStringLiteral("00:00")});
    fit(5, {QStringLiteral("FM 000.0"), QStringLiteral("AM 0000")});
    // Ten full-width characters, about as wide as the font is high each: measured without a
    // Japanese font, which would be loaded only for this.
    header->resizeSection(6, qMax(140, cells.height() * 10));
}

QAction* ResvManWindow::addItem(QMenu* menu, QString const& text, QKeySequence const& shortcut,
                                int tag, void (ResvManDlgController::*handler)(QObject*)) {
    QAction* action = menu->addAction(text);
    action->setShortcut(shortcut);
    if (tag != 0) {
        action->setData(tag);
    }
    connect(action, &QAction::triggered, this, [this, action, handler] {
        // Key equivalents come here without the menu being opened: ask first, as the menu
        // would have.
        if (m_controller && m_controller->validateMenuItem(action)) {
            (m_controller->*handler)(m_controller);
        }
    });
    return action;
}

void ResvManWindow::connectController(ResvManDlgController* controller) {
    m_controller = controller;
    controller->m_mainWindow = this;
    controller->m_lcResvList = m_table;
    controller->m_noticeArea = m_notices;
    controller->m_btnAdd = m_btnAdd;
    controller->m_btnDelete = m_btnDelete;
    controller->m_btnEdit = m_btnEdit;
    controller->m_btnConfig = m_btnConfig;
    controller->m_btnTaskTray = m_btnTaskTray;
    controller->m_btnExit = m_btnExit;

    using C = ResvManDlgController;
    //% "&File"
    m_fileMenu = menuBar()->addMenu(qtTrId("IDS_MENU_FILE"));
    m_actSettings = addItem(m_fileMenu,
                            //% "&Settings…"
                            qtTrId("IDS_MENU_SETTINGS"), QKeySequence(QStringLiteral("Ctrl+,")), 0,
                            &C::OnMenuSuspendConfig);
    m_fileMenu->addSeparator();
    m_actClose = addItem(m_fileMenu,
                         //% "&Close Window"
                         qtTrId("IDS_MENU_CLOSE"), QKeySequence(QStringLiteral("Ctrl+W")), 0,
                         &C::OnMenuClose);
    m_actDualClose = addItem(m_fileMenu,
                             //% "Close &Together with Velto"
                             qtTrId("IDS_MENU_DUAL_CLOSE"),
                             QKeySequence(QStringLiteral("Ctrl+Shift+W")), 0, &C::OnMenuDualClose);
    m_fileMenu->addSeparator();
    m_actQuit = addItem(m_fileMenu,
                        //% "E&xit"
                        qtTrId("IDS_MENU_QUIT"), QKeySequence(QStringLiteral("Ctrl+Q")), 0,
                        &C::OnMenuFinish);
    m_actQuit->setMenuRole(QAction::QuitRole);

    //% "&Reservation"
    m_reservationMenu = menuBar()->addMenu(qtTrId("IDS_MENU_RESERVATION"));
    m_actNew = addItem(m_reservationMenu,
                       //% "&New Reservation…"
                       qtTrId("IDS_MENU_NEW"), QKeySequence(QStringLiteral("Ctrl+N")), 0,
                       &C::OnMenuNewRegist);
    m_actEdit = addItem(m_reservationMenu,
                        //% "&Edit Reservation…"
                        qtTrId("IDS_MENU_EDIT"), QKeySequence(QStringLiteral("Ctrl+E")), 21,
                        &C::OnMenuEditRegist);
    m_actDelete = addItem(m_reservationMenu,
                          //% "&Delete Selected Reservations…"
                          qtTrId("IDS_MENU_DELETE"), QKeySequence(Qt::Key_Delete), 20,
                          &C::OnMenuDeleteRegist);
    m_reservationMenu->addSeparator();
    m_actSwitchOn =
        addItem(m_reservationMenu,
                //% "Switch &On"
                qtTrId("IDS_MENU_SWITCH_ON"), QKeySequence(QStringLiteral("Ctrl+Shift+E")), 24,
                &C::OnMenuSelectRegistValid);
    m_actSwitchOff =
        addItem(m_reservationMenu,
                //% "Switch O&ff"
                qtTrId("IDS_MENU_SWITCH_OFF"), QKeySequence(QStringLiteral("Ctrl+Shift+D")), 25,
                &C::OnMenuSelectRegistInvalid);
    m_reservationMenu->addSeparator();
    m_actDeleteOver =
        addItem(m_reservationMenu,
                //% "Delete &Missed Reservations"
                qtTrId("IDS_MENU_DELETE_OVER"), QKeySequence(), 22, &C::OnMenuErrorRegistDelete);
    m_actDeleteAll =
        addItem(m_reservationMenu,
                //% "Delete &All Reservations…"
                qtTrId("IDS_MENU_DELETE_ALL"), QKeySequence(), 23, &C::OnMenuAllRegistDelete);
    m_reservationMenu->addSeparator();
    m_actHistory = addItem(m_reservationMenu,
                           //% "&History…"
                           qtTrId("IDS_MENU_HISTORY"), QKeySequence(QStringLiteral("Ctrl+H")), 0,
                           &C::OnMenuHistory);

    for (QMenu* menu : {m_fileMenu, m_reservationMenu}) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { validateMenu(menu); });
        // Closed, every item is enabled again so that its key equivalent reaches the
        // handler, which asks the controller itself.
        connect(menu, &QMenu::aboutToHide, this, [menu] {
            for (QAction* action : menu->actions()) {
                action->setEnabled(true);
            }
        });
    }
}

void ResvManWindow::validateMenu(QMenu* menu) {
    if (!m_controller) {
        return;
    }
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            action->setEnabled(m_controller->validateMenuItem(action));
        }
    }
}

bool ResvManWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == m_table->viewport() && !m_painted) {
        m_painted = true;
        // Once the first drawing is on its way: the window is up.
        QTimer::singleShot(0, this, &ResvManWindow::firstPainted);
    }
    return QMainWindow::eventFilter(watched, event);
}

void ResvManWindow::closeEvent(QCloseEvent* event) {
    // The close box hides the application; the window itself stays.
    if (m_controller && !m_controller->windowShouldClose(m_controller)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
