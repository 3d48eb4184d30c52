#include "ui/ResvTableModel.h"

#include "ui/ResvManDlgController.h"

#include <QTableView>

namespace {
// Enough rows for several screens of scrolling; past that the cache starts again.
constexpr int kCacheRows = 2048;

// The status column is only as wide as its icon: no title.
char const* const kHeaderIds[ResvTableModel::kColumnCount] = {
    nullptr,
    //% "Date"
    QT_TRID_NOOP("IDS_COL_DATE"),
    //% "Weekly"
    QT_TRID_NOOP("IDS_COL_WEEKLY"),
    //% "Start"
    QT_TRID_NOOP("IDS_COL_START"),
    //% "End"
    QT_TRID_NOOP("IDS_COL_END"),
    //% "Frequency"
    QT_TRID_NOOP("IDS_COL_CHANNEL"),
    //% "Station"
    QT_TRID_NOOP("IDS_COL_STATION"),
    //% "Title"
    QT_TRID_NOOP("IDS_COL_TITLE"),
};
} // namespace

QIcon NamedIcon(QString const& name) {
    static QHash<QString, QIcon> icons;
    auto found = icons.constFind(name);
    if (found != icons.constEnd()) {
        return *found;
    }
    QIcon icon(QStringLiteral(":/images/") + name);
    // A selected row keeps the icon's own colours: the status stays readable.
    for (QSize const& size : icon.availableSizes()) {
        icon.addPixmap(icon.pixmap(size), QIcon::Selected);
    }
    icons.insert(name, icon);
    return icon;
}

ResvTableModel::ResvTableModel(ResvManDlgController* controller, QObject* parent)
    : QAbstractTableModel(parent), m_controller(controller) {
    for (int column = 0; column < kColumnCount; ++column) {
        m_identifiers << QString::number(column);
    }
}

void ResvTableModel::reload() {
    int const newCount = m_controller ? m_controller->numberOfRowsInTableView(m_table) : 0;
    m_cache.clear();
    if (newCount > m_rowCount) {
        beginInsertRows(QModelIndex(), m_rowCount, newCount - 1);
        m_rowCount = newCount;
        endInsertRows();
    } else if (newCount < m_rowCount) {
        beginRemoveRows(QModelIndex(), newCount, m_rowCount - 1);
        m_rowCount = newCount;
        endRemoveRows();
    }
    if (m_rowCount > 0) {
        emit dataChanged(index(0, 0), index(m_rowCount - 1, kColumnCount - 1));
    }
}

int ResvTableModel::rowCount(QModelIndex const& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int ResvTableModel::columnCount(QModelIndex const& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

ResvTableModel::Row const& ResvTableModel::cachedRow(int row) const {
    auto found = m_cache.constFind(row);
    if (found != m_cache.constEnd()) {
        return *found;
    }
    if (m_cache.size() >= kCacheRows) {
        m_cache.clear();
    }
    Row cells;
    for (int column = 0; column < kColumnCount; ++column) {
        cells[column] =
            m_controller->objectValueForTableColumn(m_table, m_identifiers[column], row);
    }
    return *m_cache.insert(row, cells);
}

QVariant ResvTableModel::data(QModelIndex const& index, int role) const {
    if (!index.isValid() || !m_controller || index.row() >= m_rowCount ||
        index.column() >= kColumnCount) {
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::DecorationRole:
    case Qt::ToolTipRole: {
        QVariant const& value = cachedRow(index.row())[index.column()];
        bool const isIcon = value.userType() == QMetaType::QIcon;
        if (role == Qt::DecorationRole) {
            return isIcon ? value : QVariant();
        }
        if (role == Qt::DisplayRole) {
            return isIcon ? QVariant() : value;
        }
        if (isIcon) {
            qint64 const key = value.value<QIcon>().cacheKey();
            if (key == NamedIcon(QStringLiteral("icon1.icns")).cacheKey()) {
                QString const reason = m_controller->MissedReason(index.row());
                //% "Missed: the time of this reservation passed without a recording."
                QString const missed = qtTrId("IDS_TIP_OVER");
                return reason.isEmpty() ? missed : missed + QLatin1Char('\n') + reason;
            }
            if (key == NamedIcon(QStringLiteral("sleep.icns")).cacheKey()) {
                //% "Switched off: this reservation will not be recorded."
                return qtTrId("IDS_TIP_OFF");
            }
            if (key == NamedIcon(QStringLiteral("error3.icns")).cacheKey()) {
                //% "Overlaps another reservation: only one of them can be recorded."
                return qtTrId("IDS_TIP_OVERLAP");
            }
            return QVariant();
        }
        // Long titles and station names are cut by the column; show them whole.
        return index.column() >= 6 ? value : QVariant();
    }
    case Qt::TextAlignmentRole:
        if (index.column() == 1 || index.column() >= 5) {
            return QVariant::fromValue<int>(Qt::AlignLeft | Qt::AlignVCenter);
        }
        return QVariant::fromValue<int>(Qt::AlignCenter);
    default:
        return QVariant();
    }
}

bool ResvTableModel::setData(QModelIndex const& index, QVariant const& value, int role) {
    if (m_controller && index.isValid() && role == Qt::EditRole) {
        m_controller->setObjectValue(m_table, value, m_identifiers.value(index.column()),
                                     index.row());
    }
    return false;
}

QVariant ResvTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == kIdentifierRole) {
        return m_identifiers[section];
    }
    if (role == Qt::DisplayRole) {
        return kHeaderIds[section] ? qtTrId(kHeaderIds[section]) : QString();
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue<int>(section == 0 ? Qt::AlignCenter
                                                     : (Qt::AlignLeft | Qt::AlignVCenter));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ResvTableModel::flags(QModelIndex const& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    // Editable in name only: the view asks before editing, and the answer is always no
    // (a double-click opens the reservation dialog instead).
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
