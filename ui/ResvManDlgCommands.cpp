// The user's commands on reservations: add, edit, delete, delete all, delete those that are
// over, switch on and off, and which menu items are enabled.
#include "ui/ResvManDlgController.h"

#include "ui/AlertPanel.h"
#include "ui/MyTableView.h"
#include "ui/RegistReserveController.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QMainWindow>

#include <chrono>
#include <cmath>

namespace {

// Menu item tags whose state follows the reservations.
constexpr int kTagDeleteSelected = 20;
constexpr int kTagEdit = 21;
constexpr int kTagDeleteOver = 22;
constexpr int kTagDeleteAll = 23;
constexpr int kTagSwitchOn = 24;
constexpr int kTagSwitchOff = 25;

// GetCountByKind: reservations that are over.
constexpr int kKindOver = 16;

QString const kOK = QStringLiteral("OK");
QString const kCancel = QStringLiteral("Cancel");

bool Confirm(QWidget* parent, QString const& message) {
    return RunAlertPanel(parent, AppTitle(), message, kOK, kCancel) == kAlertDefaultReturn;
}

void WarnOverlap(QWidget* parent) {
    RunAlertPanel(parent, AppTitle(),
                  //% "This reservation overlaps the time of another reservation. Both are "
                  //% "kept; only one of them can be recorded."
                  qtTrId("IDS_WARN_OVERWRAP_TASK"), kOK);
}

} // namespace

void ResvManDlgController::OnAdd(QObject* /*sender*/) {
    if (ReserveCon == nullptr || m_Schedule == nullptr) {
        return;
    }
    double now = 0.0;
    if (m_services.clock != nullptr) {
        now = m_services.clock->now();
    } else {
        using namespace std::chrono;
        now = duration<double>(system_clock::now().time_since_epoch()).count();
    }
    SCHEDULEITEM_TAG proposal;
    proposal.dStartTime = std::trunc(now);
    proposal.dEndTime = std::trunc(now + 3600.0);
    ReserveCon->SetRegistParam(&proposal);
    if (!ReserveCon->DoModal(m_mainWindow)) {
        return;
    }

    SCHEDULEITEM_TAG rec;
    ReserveCon->GetRegistParam(&rec);
    SCHEDULE_RETURN result;
    m_Schedule->addSchedule(&rec, result, 1);
    if (result.nResult == 1) {
        WarnOverlap(m_mainWindow);
    }
    // Even a refused reservation ends with a fresh plan, file and table.
    ReSettingSchedule();
    m_Schedule->Save(ReservationFilePath().c_str());
    displayTheTable();
}

void ResvManDlgController::OnEdit(QObject* /*sender*/) {
    if (ReserveCon == nullptr || m_Schedule == nullptr) {
        return;
    }
    int const row = MyTableView::selectedRow(m_lcResvList);
    if (row < 0 || row >= m_Schedule->m_nCount.load()) {
        return;
    }
    SCHEDULEITEM_TAG listed;
    if (!m_Schedule->readScheduleByIndex(row, &listed)) {
        return; // the list shrank under the selection
    }
    ReserveCon->SetRegistParam(&listed);
    if (!ReserveCon->DoModal(m_mainWindow)) {
        return;
    }

    SCHEDULEITEM_TAG rec;
    ReserveCon->GetRegistParam(&rec);
    // A reservation saved from the dialog is always on and to come.
    rec.cPending = 1;
    rec.cValid = 1;
    SCHEDULE_RETURN result;
    m_Schedule->editSchedule(&rec, result);
    if (result.nResult == 1) {
        WarnOverlap(m_mainWindow);
    }
    if (ReserveCon->IsAuthorizeUpdate()) {
        ReSettingSchedule();
    }
    m_Schedule->Save(ReservationFilePath().c_str());
    displayTheTable();
}

void ResvManDlgController::OnDelete(QObject* /*sender*/) {
    //% "Delete the selected reservations?"
    if (!Confirm(m_mainWindow, qtTrId("IDS_WARN_DELETE_SELECTED_TASK")) || m_Schedule == nullptr) {
        return;
    }
    QList<int> const selected = MyTableView::selectedRowIndexes(m_lcResvList);
    // Last row first; deleting by id keeps the rows still to visit where they were.
    for (auto it = selected.crbegin(); it != selected.crend(); ++it) {
        SCHEDULEITEM_TAG rec;
        if (m_Schedule->readScheduleByIndex(*it, &rec)) {
            m_Schedule->deleteSchedule(rec.nID);
        }
    }
    ReSettingSchedule();
    m_Schedule->Save(ReservationFilePath().c_str());
    displayTheTable();
}

void ResvManDlgController::OnAllRegistDelete() {
    //% "Delete all reservations?"
    if (!Confirm(m_mainWindow, qtTrId("IDS_WARN_DELETE_ALL_TASK")) || m_Schedule == nullptr) {
        return;
    }
    // Memory only: the file follows at the next save, the wake plan at the next re-plan.
    m_Schedule->Initialize();
    displayTheTable();
}

void ResvManDlgController::OnMenuErrorRegistDelete(QObject* /*sender*/) {
    if (m_Schedule == nullptr) {
        return;
    }
    for (int i = m_Schedule->m_nCount.load() - 1; i >= 0; --i) {
        SCHEDULEITEM_TAG rec;
        if (m_Schedule->readScheduleByIndex(i, &rec) && rec.cPending == 0) {
            m_Schedule->deleteSchedule(rec.nID);
        }
    }
    displayTheTable();
}

namespace {

void SwitchSelected(CScheduleItem* list, QTableView* table, uint8_t valid) {
    if (list == nullptr) {
        return;
    }
    for (int const row : MyTableView::selectedRowIndexes(table)) {
        SCHEDULEITEM_TAG rec;
        if (list->readScheduleByIndex(row, &rec) && rec.cPending == 1) {
            rec.cValid = valid;
            SCHEDULE_RETURN result;
            list->editSchedule(&rec, result);
        }
    }
}

} // namespace

void ResvManDlgController::OnMenuSelectRegistValid(QObject* /*sender*/) {
    SwitchSelected(m_Schedule, m_lcResvList, 1);
    displayTheTable();
}

void ResvManDlgController::OnMenuSelectRegistInvalid(QObject* /*sender*/) {
    SwitchSelected(m_Schedule, m_lcResvList, 0);
    displayTheTable();
}

void ResvManDlgController::OnMenuNewRegist(QObject* /*sender*/) {
    OnAdd(this);
}

void ResvManDlgController::OnMenuEditRegist(QObject* /*sender*/) {
    OnEdit(this);
}

void ResvManDlgController::OnMenuDeleteRegist(QObject* /*sender*/) {
    OnDelete(this);
}

void ResvManDlgController::OnMenuAllRegistDelete(QObject* /*sender*/) {
    OnAllRegistDelete();
}

bool ResvManDlgController::validateMenuItem(QAction* item) {
    if (item == nullptr) {
        return true;
    }
    bool isTag = false;
    int const tag = item->data().toInt(&isTag);
    if (!isTag) {
        return true;
    }
    int const count = m_Schedule != nullptr ? m_Schedule->m_nCount.load() : 0;
    switch (tag) {
    case kTagDeleteSelected:
        return MyTableView::selectedRow(m_lcResvList) >= 0;
    case kTagEdit:
        return MyTableView::selectedRow(m_lcResvList) >= 0 &&
               MyTableView::numberOfSelectedRows(m_lcResvList) == 1;
    case kTagDeleteOver:
        return count > 0 && m_Schedule->GetCountByKind(kKindOver) > 0;
    case kTagDeleteAll:
        return count > 0;
    case kTagSwitchOn:
    case kTagSwitchOff: {
        if (m_Schedule == nullptr) {
            return false;
        }
        uint8_t const wanted = tag == kTagSwitchOn ? 0 : 1; // the cValid to switch over
        for (int const row : MyTableView::selectedRowIndexes(m_lcResvList)) {
            SCHEDULEITEM_TAG rec;
            if (m_Schedule->readScheduleByIndex(row, &rec) && rec.cPending == 1 &&
                rec.cValid == wanted) {
                return true;
            }
        }
        return false;
    }
    default:
        return true;
    }
}
