// The main window: the reservation table, the six command buttons and the menus. It holds
// the recording engine, which owns the list, and is what the engine tells of its changes.
#pragma once

#include "engine/IEngineListener.h"
#include "engine/RecordingEngine.h"
#include "ui/NoticeArea.h"

#include <QIcon>
#include <QMainWindow>

#include <atomic>
#include <functional>

class ExitCountdownDialog;
class ExitSequence;
class HistoryPresenter;
class ImageButton;
class PlanStatus;
class PowerSettingsDialog;
class QMenu;
class RecordingNotices;
class ReservationCommands;
class ReservationDialog;
class ReservationTableModel;
class ReservationTableView;
class ShutdownWarning;

// The application's icon, at every size it is drawn for.
QIcon applicationIcon();

class MainWindow : public QMainWindow, public IEngineListener {
    Q_OBJECT
public:
    enum class Button { Add, Delete, Edit, Settings, Hide, Exit };
    enum class Action {
        NewReservation,
        EditReservation,
        DeleteSelected,
        DeleteMissed,
        DeleteAll,
        SwitchOn,
        SwitchOff,
        History,
        Settings,
        CloseWindow,
        CloseTogether,
        Quit,
    };

    // The engine's services; the window is the engine's listener. Nothing is owned: what
    // services name must outlive the window.
    explicit MainWindow(RecordingEngine::Services services, QWidget* parent = nullptr);
    // Stops the engine's threads first: they call back into the window.
    ~MainWindow() override;

    RecordingEngine& engine() { return m_engine; }
    ReservationDialog* reservationDialog() const { return m_reservationDialog; }
    PowerSettingsDialog* powerSettingsDialog() const { return m_powerSettings; }
    ExitCountdownDialog* exitCountdownDialog() const { return m_exitCountdown; }
    ReservationTableView* table() const { return m_table; }
    NoticeArea* notices() const { return m_notices; }
    ReservationCommands* commands() const { return m_commands; }
    ExitSequence* exitSequence() const { return m_exit; }
    PlanStatus* planStatus() const { return m_planStatus; }
    HistoryPresenter* history() const { return m_history; }
    ImageButton* button(Button button) const;
    QAction* action(Action action) const;

    // Desktop notifications of recordings that went wrong, and the warning before a planned
    // shutdown; both made by the program's assembly. Not owned; either may be null.
    void setRecordingNotices(RecordingNotices* notices);
    void setShutdownWarning(ShutdownWarning* warning);

    // The start-up, after the window is made: reads the list (or waits for the reading the
    // engine began), shows it, tells what passed unrecorded meanwhile, starts the watch loop
    // and plans the wake-ups.
    void start();
    // Shows the window in the middle of its screen, in front.
    void showCentered();

    // Lasting problems, shown above the table until cleared.
    void showNotice(NoticeKind kind, QString const& text);
    void clearNotice(NoticeKind kind);
    // Shows why the last save of the reservation file failed, or clears that notice once a
    // save succeeded.
    void updateSaveNotice();

    // Sets the enabled state of every item of menu from what may run now.
    void validateMenu(QMenu* menu);

public slots:
    // Reads the list anew into the table; every change of the reservations comes here.
    void reloadTable();
    // The close box, Close Window and the Hide button: the application hides.
    void hideApplication();
    // Close Together: the companion is asked to hide as well.
    void hideTogetherWithCompanion();
    // The companion hid or showed itself: this program follows.
    void companionHid();
    void companionShown();
    // The power settings dialog; a confirmed change plans wake-ups and shutdown anew.
    void openSettings();

signals:
    // The table was redrawn; every change of the reservations is followed by one.
    void tableReloaded();
    // The settings dialog was closed, whatever the answer.
    void settingsClosed();
    // The table has been drawn for the first time: what the start-up left for later (the
    // application's icon, which takes a while to load) may follow.
    void firstPainted();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // IEngineListener: from the engine's threads, never waiting; the work is queued to the
    // main thread.
    void reservationMissed() override;
    void reservationHandedOver() override;
    void planFinished(PlanOutcome const& outcome) override;
    void requestReload();

    void buildMenus();
    QAction* addItem(QMenu* menu, Action action, QString const& text, QKeySequence const& shortcut,
                     std::function<void()> run);
    // Widths that fit the texts of the current language; the title takes the rest.
    void sizeColumns();
    // Delete and Edit follow the selection.
    void updateButtons();
    void enableSelectionButtons(bool enable);

    RecordingEngine m_engine;
    ReservationDialog* m_reservationDialog = nullptr;
    PowerSettingsDialog* m_powerSettings = nullptr;
    ExitCountdownDialog* m_exitCountdown = nullptr;
    ReservationTableView* m_table = nullptr;
    ReservationTableModel* m_model = nullptr;
    NoticeArea* m_notices = nullptr;
    ImageButton* m_buttons[6] = {};
    QAction* m_actions[12] = {};
    QMenu* m_fileMenu = nullptr;
    QMenu* m_reservationMenu = nullptr;
    ReservationCommands* m_commands = nullptr;
    ExitSequence* m_exit = nullptr;
    PlanStatus* m_planStatus = nullptr;
    HistoryPresenter* m_history = nullptr;
    RecordingNotices* m_recordingNotices = nullptr;
    std::atomic<bool> m_reloadQueued{false}; // a table reload is waiting on the main thread
    bool m_painted = false;
};
