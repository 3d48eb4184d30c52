// The main window: the reservation table, the six command buttons and the menus. Derives
// from the recording engine, which owns the list and the engine lock.
//
// Selectors of the form tableView:xxx: become methods named after their distinguishing part.
#pragma once

#include "engine/RecEngine.h"
#include "platform/linux/SqliteJournal.h"
#include "ui/NoticeArea.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

#include <atomic>
#include <functional>

class QAction;
class QMainWindow;
class QTableView;
class ImageBtnCtrl;
class AppController;
class RegistReserveController;
class SuspendConfigController;
class ProgressDlgController;
class ResvTableModel;
class HistoryWindow;
class RecordingNotices;
class ShutdownWarning;

class ResvManDlgController : public QObject, public CRecEngine, public IMainThreadRequests {
    Q_OBJECT
public:
    ResvManDlgController(CRecEngine::Services const& services, QObject* parent = nullptr);
    ~ResvManDlgController() override;

    // Life cycle, on the main thread.
    void awakeFromNib();
    void initInstance();
    void showWindow();

    // Table and buttons.
    Q_INVOKABLE void displayTheTable();
    void UpdateButtonEnable();
    void SetForceButtonEnable(bool enable);
    int numberOfRowsInTableView(QTableView* table);
    QVariant objectValueForTableColumn(QTableView* table, QString const& identifier, int row);
    void setObjectValue(QTableView* table, QVariant const& value, QString const& identifier,
                        int row);
    bool shouldSelectRow(QTableView* table, int row);
    bool shouldEditTableColumn(QTableView* table, QString const& identifier, int row);
    void tableViewSelectionDidChange();

    // IMainThreadRequests: called from the engine threads, never waits.
    void requestDisplayTheTable() override;
    void requestTableReload() override;

    // Reservation commands.
    void OnAdd(QObject* sender);
    void OnEdit(QObject* sender);
    void OnDelete(QObject* sender);
    void OnAllRegistDelete();
    void OnMenuErrorRegistDelete(QObject* sender);
    void OnMenuSelectRegistValid(QObject* sender);
    void OnMenuSelectRegistInvalid(QObject* sender);
    void OnMenuNewRegist(QObject* sender);
    void OnMenuEditRegist(QObject* sender);
    void OnMenuDeleteRegist(QObject* sender);
    void OnMenuAllRegistDelete(QObject* sender);
    bool validateMenuItem(QAction* item); // tag in item->data()

    // Lasting problems, shown above the table until cleared (nothing happens without a
    // window).
    void ShowNotice(NoticeKind kind, QString const& text);
    void ClearNotice(NoticeKind kind);
    // Shows why the last save of the reservation file failed, or clears that notice once a
    // save succeeded.
    void UpdateSaveNotice();

    // The recording history: the History window, what the journal reports (on the main
    // thread), and the reason shown for a missed reservation.
    void OnMenuHistory(QObject* sender);
    void ShowHistory();
    HistoryWindow* historyWindow() const;
    void JournalRecorded(JournalEntry const& entry);
    void JournalTrouble(SqliteJournal::Trouble const& trouble);
    QString MissedReason(int row);

    // Hiding, companion coordination and exit.
    bool windowShouldClose(QObject* sender);
    void OnTaskTray(QObject* sender);
    void OnMenuClose(QObject* sender);
    void OnMenuDualClose(QObject* sender);
    Q_INVOKABLE void dualHideOperation();
    void OnDualHide(QObject* sender);
    Q_INVOKABLE void OnDualUnHide(QObject* sender);
    void OnConfig(QObject* sender);
    void OnMenuSuspendConfig(QObject* sender);
    void OnExit(QObject* sender);
    void OnMenuFinish(QObject* sender);
    bool ApplicationCloseCheck();
    // The exit's last steps: waits for a hand-off in progress, then saves the list. Answers
    // whether the save succeeded.
    bool SaveForExit();
    // SIGTERM or SIGINT: every open dialog and alert ends as if cancelled and the event loop
    // ends, also when the main window would refuse to close; the program's assembly then
    // runs SaveForExit and the termination steps.
    void OnTerminationSignal();
    bool TerminationRequested() const { return m_terminationRequested; }

    // The outcome of a planning run, on the main thread: a failure is shown in the main
    // window and the settings dialog until a run succeeds; the shutdown warning follows the
    // planned shutdown.
    void ShowPlanOutcome(PlanOutcome const& outcome);
    // "Wake-ups are not planned: <why>", in the current language.
    static QString PlanFailureText(PrivilegedFailure failure);
    // The failure the window shows now; empty when none.
    QString planProblem() const { return m_planProblem; }

    // Connected before awakeFromNib (the application's assembly does it).
    QMainWindow* m_mainWindow = nullptr;
    ImageBtnCtrl* m_btnTaskTray = nullptr;
    ImageBtnCtrl* m_btnEdit = nullptr;
    ImageBtnCtrl* m_btnDelete = nullptr;
    ImageBtnCtrl* m_btnConfig = nullptr;
    ImageBtnCtrl* m_btnAdd = nullptr;
    ImageBtnCtrl* m_btnExit = nullptr;
    QTableView* m_lcResvList = nullptr;
    NoticeArea* m_noticeArea = nullptr;
    SuspendConfigController* suspendCon = nullptr;
    // Called each time the settings dialog closes (set by the program's assembly).
    std::function<void()> configClosed;
    // Whether the wake-up helper is missing (its own line in the window says so then).
    std::function<bool()> helperMissing;
    RegistReserveController* ReserveCon = nullptr;
    ProgressDlgController* ProgressCon = nullptr;
    AppController* appCon = nullptr;
    INotificationCenter* m_notifications = nullptr; // posts the hide message
    RecordingNotices* m_recordingNotices = nullptr; // desktop notifications of failures
    ShutdownWarning* m_shutdownWarning = nullptr;   // may be null (no warning)

signals:
    // The exit command asks the application to terminate.
    void terminateRequested();
    // The table was redrawn; every change of the reservations is followed by one.
    void tableReloaded();
    // After each planning run, on the main thread.
    void planFinished(PlanOutcome const& outcome);

protected:
    void PlanFinished(PlanOutcome const& outcome) override; // on the planning thread

private:
    void setPlanProblem(QString const& text);

    QString m_planProblem;
    PrivilegedFailure m_lastFailure = PrivilegedFailure::None;
    ResvTableModel* m_model = nullptr;
    QPointer<HistoryWindow> m_history;
    bool m_historyReloadQueued = false;
    QString m_journalSetAside;               // the notice after the history was begun afresh
    std::atomic<bool> m_reloadQueued{false}; // a table reload is waiting on the main thread
    bool m_terminationRequested = false;
};
