#include "ui/MainWindow.h"

#include "platform/linux/TableFocusGuard.h"
#include "ui/ApplicationVisibility.h"
#include "ui/ExitCountdownDialog.h"
#include "ui/ExitSequence.h"
#include "ui/HistoryPresenter.h"
#include "ui/ImageButton.h"
#include "ui/PlanStatus.h"
#include "ui/PowerSettingsDialog.h"
#include "ui/RecordingNotices.h"
#include "ui/ReservationCommands.h"
#include "ui/ReservationDialog.h"
#include "ui/ReservationTableModel.h"
#include "ui/ReservationTableView.h"
#include "ui/SaveFailure.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 30;
constexpr int kRowHeight = 24;

RecordingEngine::Services withListener(RecordingEngine::Services services,
                                       IEngineListener* listener) {
    services.listener = listener;
    return services;
}

} // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/images/resvman_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

MainWindow::MainWindow(RecordingEngine::Services services, QWidget* parent)
    : QMainWindow(parent), m_engine(withListener(services, this)) {
    setWindowTitle(appTitle());
    m_reservationDialog = new ReservationDialog(services.clock, this);
    m_powerSettings = new PowerSettingsDialog(*services.settings, this);
    m_exitCountdown = new ExitCountdownDialog(this);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);

    m_notices = new NoticeArea(central);
    layout->addWidget(m_notices);

    m_table = new ReservationTableView(central);
    m_table->setObjectName(QStringLiteral("reservations"));
    m_table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_table->setIconSize(QSize(18, 18));
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setMinimumSectionSize(24);
    m_table->viewport()->installEventFilter(this);
    m_model = new ReservationTableModel(m_engine, m_reservationDialog->presets(), this);
    m_table->setModel(m_model);
    TableFocusGuard::attach(m_table);
    //% "Reservations"
    m_table->setAccessibleName(qtTrId("IDS_A11Y_RESERVATIONS"));
    //% "Return edits the selected reservation; Delete deletes the selected ones."
    m_table->setAccessibleDescription(qtTrId("IDS_A11Y_RESERVATIONS_KEYS"));
    layout->addWidget(m_table, 1);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionCountChanged, this,
            [this](int before, int now) {
                if (before == 0 && now > 0) {
                    sizeColumns();
                }
            });
    if (m_table->horizontalHeader()->count() > 0) {
        sizeColumns(); // a screen reader asking about the table made the columns already
    }

    m_commands = new ReservationCommands(m_engine, *m_table, *m_reservationDialog, *this, this);
    m_exit = new ExitSequence(m_engine, *m_exitCountdown, *this, this);
    m_planStatus = new PlanStatus(*this, *m_powerSettings, this);
    m_history = new HistoryPresenter(services.journal, *this, this);
    connect(m_commands, &ReservationCommands::listChanged, this, &MainWindow::reloadTable);

    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { enableSelectionButtons(m_table->selectedRow() >= 0); });
    connect(m_table, &ReservationTableView::rowAboutToBeSelected, this,
            [this](int row) { enableSelectionButtons(row >= 0); });
    // A double-click or Return opens the reservation dialog instead.
    connect(m_table, &ReservationTableView::editRequested, m_commands,
            &ReservationCommands::editReservation);

    // Commands on reservations on the left, the application's own on the right.
    // The titles are short; what each does, for screen readers, in the description.
    struct ButtonSetup {
        Button which;
        char const* name;
        char const* title;
        char const* description;
        std::function<void()> run;
    };
    ButtonSetup const setups[] = {
        //% "Add"
        {Button::Add, "addButton", QT_TRID_NOOP("IDS_ADD"),
         //% "Adds a new reservation."
         QT_TRID_NOOP("IDS_A11Y_ADD"), [this] { m_commands->addReservation(); }},
        //% "Delete"
        {Button::Delete, "deleteButton", QT_TRID_NOOP("IDS_DELETE"),
         //% "Deletes the selected reservations."
         QT_TRID_NOOP("IDS_A11Y_DELETE"), [this] { m_commands->deleteSelected(); }},
        //% "Edit"
        {Button::Edit, "editButton", QT_TRID_NOOP("IDS_EDIT"),
         //% "Changes the selected reservation."
         QT_TRID_NOOP("IDS_A11Y_EDIT"), [this] { m_commands->editReservation(); }},
        //% "Settings"
        {Button::Settings, "settingsButton", QT_TRID_NOOP("IDS_CONFIG"),
         //% "Sleep, wake-up and shutdown settings."
         QT_TRID_NOOP("IDS_A11Y_SETTINGS"), [this] { openSettings(); }},
        //% "Hide"
        {Button::Hide, "hideButton", QT_TRID_NOOP("IDS_TASK_TRAY"),
         //% "Hides the window; the reservations are still recorded. The tray icon shows "
         //% "it again."
         QT_TRID_NOOP("IDS_A11Y_HIDE"), [this] { hideApplication(); }},
        //% "Exit"
        {Button::Exit, "exitButton", QT_TRID_NOOP("IDS_EXIT"),
         //% "Ends the program: nothing is recorded until it is started again."
         QT_TRID_NOOP("IDS_A11Y_EXIT"), [this] { m_exit->exitProgram(); }},
    };
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    for (ButtonSetup const& setup : setups) {
        auto* button = new ImageButton(central);
        button->setObjectName(QString::fromLatin1(setup.name));
        button->setFixedSize(kButtonWidth, kButtonHeight);
        button->setTitle(qtTrId(setup.title));
        button->setAccessibleDescription(qtTrId(setup.description));
        button->setImages(QStringLiteral("Button_Enable.bmp"), QStringLiteral("Button_Enable.bmp"),
                          QStringLiteral("Button_Down.bmp"), QStringLiteral("Button_Disable.bmp"));
        connect(button, &ImageButton::clicked, this, setup.run);
        m_buttons[static_cast<int>(setup.which)] = button;
        if (setup.which == Button::Settings) {
            buttons->addStretch(1);
        }
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    setCentralWidget(central);
    resize(820, 440);
    setMinimumSize(660, 300);
    buildMenus();
}

MainWindow::~MainWindow() {
    // The engine's threads call back into this window: stop them while all of it exists.
    m_engine.stopThreads();
}

ImageButton* MainWindow::button(Button which) const {
    return m_buttons[static_cast<int>(which)];
}

QAction* MainWindow::action(Action which) const {
    return m_actions[static_cast<int>(which)];
}

void MainWindow::setRecordingNotices(RecordingNotices* notices) {
    m_recordingNotices = notices;
    m_history->setRecordingNotices(notices);
    if (notices != nullptr) {
        // A click on any of them opens the History window.
        connect(notices, &RecordingNotices::historyRequested, m_history,
                &HistoryPresenter::showHistory);
    }
}

void MainWindow::setShutdownWarning(ShutdownWarning* warning) {
    m_planStatus->setShutdownWarning(warning);
}

// ---- menus ------------------------------------------------------------------------------

QAction* MainWindow::addItem(QMenu* menu, Action which, QString const& text,
                             QKeySequence const& shortcut, std::function<void()> run) {
    QAction* item = menu->addAction(text);
    item->setShortcut(shortcut);
    m_actions[static_cast<int>(which)] = item;
    connect(item, &QAction::triggered, this, [this, item, run = std::move(run)] {
        // Key equivalents come here without the menu being opened: ask first, as the menu
        // would have.
        QVariant const command = item->data();
        if (!command.isValid() ||
            m_commands->canRun(static_cast<ReservationCommands::Command>(command.toInt()))) {
            run();
        }
    });
    return item;
}

void MainWindow::buildMenus() {
    using Command = ReservationCommands::Command;
    ReservationCommands* const commands = m_commands;
    //% "&File"
    m_fileMenu = menuBar()->addMenu(qtTrId("IDS_MENU_FILE"));
    addItem(m_fileMenu, Action::Settings,
            //% "&Settings…"
            qtTrId("IDS_MENU_SETTINGS"), QKeySequence(QStringLiteral("Ctrl+,")),
            [this] { openSettings(); });
    m_fileMenu->addSeparator();
    addItem(m_fileMenu, Action::CloseWindow,
            //% "&Close Window"
            qtTrId("IDS_MENU_CLOSE"), QKeySequence(QStringLiteral("Ctrl+W")),
            [this] { hideApplication(); });
    addItem(m_fileMenu, Action::CloseTogether,
            //% "Close &Together with Velto"
            qtTrId("IDS_MENU_DUAL_CLOSE"), QKeySequence(QStringLiteral("Ctrl+Shift+W")),
            [this] { hideTogetherWithCompanion(); });
    m_fileMenu->addSeparator();
    addItem(m_fileMenu, Action::Quit,
            //% "E&xit"
            qtTrId("IDS_MENU_QUIT"), QKeySequence(QStringLiteral("Ctrl+Q")),
            [this] { m_exit->exitProgram(); })
        ->setMenuRole(QAction::QuitRole);

    //% "&Reservation"
    m_reservationMenu = menuBar()->addMenu(qtTrId("IDS_MENU_RESERVATION"));
    struct Item {
        Action action;
        char const* text;
        QKeySequence shortcut;
        std::optional<Command> command;
        void (ReservationCommands::*run)();
        bool separatorAfter;
    };
    Item const items[] = {
        //% "&New Reservation…"
        {Action::NewReservation, QT_TRID_NOOP("IDS_MENU_NEW"),
         QKeySequence(QStringLiteral("Ctrl+N")), std::nullopt, &ReservationCommands::addReservation,
         false},
        //% "&Edit Reservation…"
        {Action::EditReservation, QT_TRID_NOOP("IDS_MENU_EDIT"),
         QKeySequence(QStringLiteral("Ctrl+E")), Command::Edit,
         &ReservationCommands::editReservation, false},
        //% "&Delete Selected Reservations…"
        {Action::DeleteSelected, QT_TRID_NOOP("IDS_MENU_DELETE"), QKeySequence(Qt::Key_Delete),
         Command::DeleteSelected, &ReservationCommands::deleteSelected, true},
        //% "Switch &On"
        {Action::SwitchOn, QT_TRID_NOOP("IDS_MENU_SWITCH_ON"),
         QKeySequence(QStringLiteral("Ctrl+Shift+E")), Command::SwitchOn,
         &ReservationCommands::switchOn, false},
        //% "Switch O&ff"
        {Action::SwitchOff, QT_TRID_NOOP("IDS_MENU_SWITCH_OFF"),
         QKeySequence(QStringLiteral("Ctrl+Shift+D")), Command::SwitchOff,
         &ReservationCommands::switchOff, true},
        //% "Delete &Missed Reservations"
        {Action::DeleteMissed, QT_TRID_NOOP("IDS_MENU_DELETE_OVER"), QKeySequence(),
         Command::DeleteMissed, &ReservationCommands::deleteMissed, false},
        //% "Delete &All Reservations…"
        {Action::DeleteAll, QT_TRID_NOOP("IDS_MENU_DELETE_ALL"), QKeySequence(), Command::DeleteAll,
         &ReservationCommands::deleteAll, true},
    };
    for (Item const& item : items) {
        QAction* added = addItem(m_reservationMenu, item.action, qtTrId(item.text), item.shortcut,
                                 [commands, run = item.run] { (commands->*run)(); });
        if (item.command) {
            added->setData(static_cast<int>(*item.command));
        }
        if (item.separatorAfter) {
            m_reservationMenu->addSeparator();
        }
    }
    addItem(m_reservationMenu, Action::History,
            //% "&History…"
            qtTrId("IDS_MENU_HISTORY"), QKeySequence(QStringLiteral("Ctrl+H")),
            [this] { m_history->showHistory(); });

    for (QMenu* menu : {m_fileMenu, m_reservationMenu}) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { validateMenu(menu); });
        // Closed, every item is enabled again so that its key equivalent reaches its
        // command, which asks itself.
        connect(menu, &QMenu::aboutToHide, this, [menu] {
            for (QAction* item : menu->actions()) {
                item->setEnabled(true);
            }
        });
    }
}

void MainWindow::validateMenu(QMenu* menu) {
    for (QAction* item : menu->actions()) {
        QVariant const command = item->data();
        if (!item->isSeparator()) {
            item->setEnabled(
                !command.isValid() ||
                m_commands->canRun(static_cast<ReservationCommands::Command>(command.toInt())));
        }
    }
}

void MainWindow::sizeColumns() {
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
        QString const day = weekdayName(weekday);
        if (cells.horizontalAdvance(day) > cells.horizontalAdvance(longestDay)) {
            longestDay = day;
        }
    }
    using Column = ReservationTableModel::Column;
    header->resizeSection(Column::Status, m_table->iconSize().width() + 14);
    fit(Column::Date, {QStringLiteral("0000/00/00 (%1)").arg(longestDay)});
    //% "✓"
    fit(Column::Weekly, {qtTrId("IDS_MARU")});
    fit(Column::Start, {QStringLiteral("00:00")});
    fit(Column::End, {QStringLiteral("00:00")});
    fit(Column::Frequency, {QStringLiteral("FM 000.0"), QStringLiteral("AM 0000")});
    // Ten full-width characters, about as wide as the font is high each: measured without a
    // Japanese font, which would be loaded only for this.
    header->resizeSection(Column::Station, qMax(140, cells.height() * 10));
}

// ---- life cycle -------------------------------------------------------------------------

void MainWindow::start() {
    m_engine.load(); // a missing or damaged file is not reported
    reloadTable();   // the list exists now: show its rows
    // What passed while the program was not running is told once, before the watch loop
    // marks each of them.
    if (m_recordingNotices != nullptr) {
        std::vector<JournalEntry> passed;
        double const now = m_engine.clock().now();
        for (Reservation const& rec : m_engine.passedUnrecorded()) {
            passed.push_back(RecordingEngine::journalEntry(JournalKind::Missed, rec, now));
        }
        m_recordingNotices->startupMissed(passed);
    }
    m_engine.startWatching();
    m_engine.requestReplan();
}

void MainWindow::showCentered() {
    updateButtons();
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == m_table->viewport() && !m_painted) {
        m_painted = true;
        // Once the first drawing is on its way: the window is up.
        QTimer::singleShot(0, this, &MainWindow::firstPainted);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box hides the application; the window itself stays.
    hideApplication();
    event->ignore();
}

// ---- the table and the buttons ------------------------------------------------------------

void MainWindow::reloadTable() {
    m_reloadQueued.store(false);
    // Every save, the commands' and the recording runs', is followed by a redraw.
    updateSaveNotice();
    m_model->reload();
    emit tableReloaded();
}

void MainWindow::requestReload() {
    // Engine threads ask; the main thread reloads later. Requests that arrive while one is
    // still queued fold into it.
    if (m_reloadQueued.exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(this, &MainWindow::reloadTable, Qt::QueuedConnection);
}

void MainWindow::reservationMissed() {
    requestReload();
}

void MainWindow::reservationHandedOver() {
    requestReload();
}

void MainWindow::planFinished(PlanOutcome const& outcome) {
    // The planning thread ends before this window goes, and a queued call to an object that
    // is gone is dropped.
    QMetaObject::invokeMethod(
        m_planStatus, [status = m_planStatus, outcome] { status->show(outcome); },
        Qt::QueuedConnection);
}

void MainWindow::updateButtons() {
    bool const selected = m_table->selectedRow() >= 0;
    button(Button::Delete)->setEnabled(selected);
    button(Button::Edit)->setEnabled(selected);
}

void MainWindow::enableSelectionButtons(bool enable) {
    button(Button::Delete)->setEnabled(enable);
    // Edit takes one reservation at a time.
    button(Button::Edit)->setEnabled(enable && m_table->selectedRowCount() < 2);
}

// ---- notices ----------------------------------------------------------------------------

void MainWindow::showNotice(NoticeKind kind, QString const& text) {
    m_notices->showNotice(kind, text);
}

void MainWindow::clearNotice(NoticeKind kind) {
    m_notices->clearNotice(kind);
}

void MainWindow::updateSaveNotice() {
    SaveOutcome const outcome = m_engine.file().lastSaveOutcome();
    if (outcome.saved) {
        clearNotice(NoticeKind::SaveFailed);
        return;
    }
    showNotice(
        NoticeKind::SaveFailed,
        //% "The reservations could not be saved to %1: %2. The changes since the "
        //% "last save are lost when the program ends."
        qtTrId("IDS_WARN_SAVE_FAILED").arg(saveFailurePath(outcome), saveFailureReason(outcome)));
}

// ---- hiding and the settings --------------------------------------------------------------

void MainWindow::hideApplication() {
    // Not reported to the companion: only Close Together asks it to hide too.
    ApplicationVisibility::instance().hide();
}

void MainWindow::hideTogetherWithCompanion() {
    m_engine.companionBus().post(kHideMessage, std::string("message"), {});
    ApplicationVisibility::instance().hide();
}

void MainWindow::companionHid() {
    ApplicationVisibility::instance().hide();
}

void MainWindow::companionShown() {
    // The application answers a real hidden-to-shown change (shownAgain).
    ApplicationVisibility::instance().unhide();
}

void MainWindow::openSettings() {
    bool const confirmed = m_powerSettings->exec() == QDialog::Accepted;
    // Whatever the answer: the wake-up helper may have been installed meanwhile.
    emit settingsClosed();
    if (!confirmed) {
        return;
    }
    // How late-night times are written, and the margins in the overlap marks.
    m_engine.refreshMargins();
    reloadTable();
    if (!m_powerSettings->changed()) {
        return;
    }
    // Both kinds are cancelled and planned again from the new settings, by the planning
    // thread: the window does not wait for the tool.
    m_engine.requestReplanAfterSettings();
}
