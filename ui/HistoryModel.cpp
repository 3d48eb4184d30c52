#include "ui/HistoryModel.h"

#include "ui/HistoryTexts.h"
#include "ui/ReservationTableModel.h"
#include "ui/UiTexts.h"

#include <QBrush>
#include <QColor>

HistoryModel::HistoryModel(QObject* parent) : QAbstractTableModel(parent) {}

void HistoryModel::setEntries(std::vector<JournalEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int HistoryModel::rowCount(QModelIndex const& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int HistoryModel::columnCount(QModelIndex const& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(QModelIndex const& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    JournalEntry const& row = entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Time:
            return historyTime(row.at);
        case Title: {
            QString const title = historyTitle(row);
            return title.isEmpty() ? title
                                   : QStringLiteral("%1  (%2)")
                                         .arg(title, historyReservation(row, m_lateNight));
        }
        case Outcome:
            return historyOutcome(row);
        case Reason:
            return historyReason(row);
        default:
            return QVariant();
        }
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case Status:
            if (!row.failed()) {
                //% "No problem"
                return qtTrId("IDS_A11Y_HISTORY_FINE");
            }
            if (row.kind == JournalKind::Missed) {
                return qtTrId("IDS_HIST_MISSED");
            }
            //% "Failed"
            return qtTrId("IDS_A11Y_HISTORY_FAILED");
        case Time:
            //% "%1, %2"
            return qtTrId("IDS_A11Y_DATE_TIME").arg(spokenDate(row.at), spokenTime(row.at));
        case Title:
        case Reason: {
            QString const shown = data(index, Qt::DisplayRole).toString();
            if (!shown.isEmpty()) {
                return shown;
            }
            if (index.column() == Title) {
                //% "No reservation"
                return qtTrId("IDS_A11Y_NO_RESERVATION");
            }
            //% "No details"
            return qtTrId("IDS_A11Y_NO_DETAILS");
        }
        default:
            return data(index, Qt::DisplayRole);
        }
    case Qt::ToolTipRole:
        // Long titles and reasons are cut by their columns.
        if (index.column() == Title || index.column() == Reason) {
            return plainToolTip(data(index, Qt::DisplayRole).toString());
        }
        return QVariant();
    case Qt::DecorationRole:
        if (index.column() != Status || !row.failed()) {
            return QVariant();
        }
        // A miss looks as it does in the reservation table; other failures get the warning.
        return namedIcon(row.kind == JournalKind::Missed ? QStringLiteral("icon1.icns")
                                                         : QStringLiteral("error3.icns"));
    case Qt::ForegroundRole:
        if (row.failed() && index.column() == Outcome) {
            return QBrush(QColor(0xb0, 0x1e, 0x1e));
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::AccessibleTextRole) {
        // The status column shows no title, but a screen reader names every column.
        if (section == Status) {
            //% "Status"
            return qtTrId("IDS_COL_STATUS");
        }
        return headerData(section, orientation, Qt::DisplayRole);
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Status:
        return QString(); // only as wide as its icon
    case Time:
        //% "Time"
        return qtTrId("IDS_HISTORY_COL_TIME");
    case Title:
        return qtTrId("IDS_COL_TITLE");
    case Outcome:
        //% "What happened"
        return qtTrId("IDS_HISTORY_COL_OUTCOME");
    case Reason:
        //% "Reason"
        return qtTrId("IDS_HISTORY_COL_REASON");
    default:
        return QVariant();
    }
}
