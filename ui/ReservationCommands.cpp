#include "ui/ReservationCommands.h"

#include "engine/RecordingEngine.h"
#include "ui/BroadcastTimes.h"
#include "ui/MessageBox.h"
#include "ui/ReservationDialog.h"
#include "ui/ReservationTableView.h"
#include "ui/UiTexts.h"

#include <cmath>

ReservationCommands::ReservationCommands(RecordingEngine& engine, ReservationTableView& table,
                                         ReservationDialog& dialog, QWidget& window,
                                         QObject* parent)
    : QObject(parent), m_engine(engine), m_table(table), m_dialog(dialog), m_window(window) {}

void ReservationCommands::warnOverlap(Reservation const& stored) {
    CheckResult own;
    m_engine.list().checkWithoutMargins(stored, own);
    if (own == CheckResult::Ok) {
        RecordingMargins const margins = m_engine.list().margins();
        MessageBox::show(&m_window, appTitle(),
                         //% "This reservation overlaps another reservation only because of the "
                         //% "recording margins (%1 min early, %2 min late). Both are kept; where "
                         //% "they overlap, only one of them can be recorded."
                         qtTrId("IDS_WARN_OVERLAP_MARGINS")
                             .arg(static_cast<int>(margins.before / 60.0))
                             .arg(static_cast<int>(margins.after / 60.0)),
                         QStringLiteral("OK"));
        return;
    }
    MessageBox::show(&m_window, appTitle(),
                     //% "This reservation overlaps the time of another reservation. Both are "
                     //% "kept; only one of them can be recorded."
                     qtTrId("IDS_WARN_OVERWRAP_TASK"), QStringLiteral("OK"));
}

void ReservationCommands::addReservation() {
    double const now = m_engine.clock().now();
    Reservation proposal;
    proposal.start = std::trunc(now);
    proposal.end = std::trunc(now + 3600.0);
    m_dialog.setReservation(proposal);
    m_dialog.setLateNightHours(lateNightHours(m_engine.settings()));
    if (m_dialog.exec() != QDialog::Accepted) {
        return;
    }

    CheckResult result;
    Reservation stored = m_dialog.reservation();
    int id = -1;
    m_engine.list().add(stored, result, true, &id);
    if (result == CheckResult::Overlap) {
        stored.id = id; // not compared with itself
        warnOverlap(stored);
    }
    // Even a refused reservation ends with a fresh plan, file and table.
    m_engine.requestReplan();
    m_engine.save();
    emit listChanged();
}

void ReservationCommands::editReservation() {
    int const row = m_table.selectedRow();
    if (row < 0 || row >= m_engine.list().size()) {
        return;
    }
    Reservation listed;
    if (!m_engine.list().readAt(row, listed)) {
        return; // the list shrank under the selection
    }
    m_dialog.setReservation(listed);
    m_dialog.setLateNightHours(lateNightHours(m_engine.settings()));
    if (m_dialog.exec() != QDialog::Accepted) {
        return;
    }

    Reservation rec = m_dialog.reservation();
    // A reservation saved from the dialog is always on and to come.
    rec.pending = 1;
    rec.enabled = 1;
    CheckResult result;
    m_engine.list().update(rec, result);
    if (result == CheckResult::Overlap) {
        warnOverlap(rec);
    }
    if (m_dialog.changed()) {
        m_engine.requestReplan();
    }
    m_engine.save();
    emit listChanged();
}

void ReservationCommands::deleteSelected() {
    //% "Delete the selected reservations?"
    if (!MessageBox::confirm(&m_window, appTitle(), qtTrId("IDS_WARN_DELETE_SELECTED_TASK"))) {
        return;
    }
    QList<int> const selected = m_table.selectedRows();
    // Last row first; deleting by id keeps the rows still to visit where they were.
    for (auto it = selected.crbegin(); it != selected.crend(); ++it) {
        Reservation rec;
        if (m_engine.list().readAt(*it, rec)) {
            m_engine.list().remove(rec.id);
        }
    }
    m_engine.requestReplan();
    m_engine.save();
    emit listChanged();
}

void ReservationCommands::deleteAll() {
    //% "Delete all reservations?"
    if (!MessageBox::confirm(&m_window, appTitle(), qtTrId("IDS_WARN_DELETE_ALL_TASK"))) {
        return;
    }
    // Memory only: the file follows at the next save, the wake plan at the next re-plan.
    m_engine.list().clear();
    emit listChanged();
}

void ReservationCommands::deleteMissed() {
    ReservationList& list = m_engine.list();
    for (int i = list.size() - 1; i >= 0; --i) {
        Reservation rec;
        if (list.readAt(i, rec) && rec.pending == 0) {
            list.remove(rec.id);
        }
    }
    emit listChanged();
}

void ReservationCommands::switchSelected(bool on) {
    for (int const row : m_table.selectedRows()) {
        Reservation rec;
        if (m_engine.list().readAt(row, rec) && rec.pending == 1) {
            rec.enabled = on ? 1 : 0;
            CheckResult result;
            m_engine.list().update(rec, result);
        }
    }
    emit listChanged();
}

void ReservationCommands::switchOn() {
    switchSelected(true);
}

void ReservationCommands::switchOff() {
    switchSelected(false);
}

bool ReservationCommands::canRun(Command command) const {
    ReservationList& list = m_engine.list();
    switch (command) {
    case Command::DeleteSelected:
        return m_table.selectedRow() >= 0;
    case Command::Edit:
        return m_table.selectedRow() >= 0 && m_table.selectedRowCount() == 1;
    case Command::DeleteMissed:
        return list.size() > 0 && list.count(ReservationList::Over) > 0;
    case Command::DeleteAll:
        return list.size() > 0;
    case Command::SwitchOn:
    case Command::SwitchOff: {
        uint8_t const wanted = command == Command::SwitchOn ? 0 : 1; // the state to switch over
        for (int const row : m_table.selectedRows()) {
            Reservation rec;
            if (list.readAt(row, rec) && rec.pending == 1 && rec.enabled == wanted) {
                return true;
            }
        }
        return false;
    }
    }
    return true;
}
