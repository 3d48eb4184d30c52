#include "ui/ReservationTableModel.h"

#include "engine/RecordingEngine.h"
#include "store/ChannelPresetTable.h"
#include "store/ReservationTitle.h"
#include "ui/BroadcastTimes.h"
#include "ui/HistoryTexts.h"
#include "ui/UiTexts.h"

#include <cmath>
#include <ctime>
#include <optional>

namespace {
// Enough rows for several screens of scrolling; past that the cache starts again.
constexpr int kCacheRows = 2048;

// The status column is only as wide as its icon: no title.
char const* const kHeaderIds[ReservationTableModel::ColumnCount] = {
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

// Text that is not valid UTF-8 shows as no text at all.
QVariant utf8Cell(std::optional<std::string> const& text) {
    if (!text || !ReservationTitle::isValidUtf8(*text)) {
        return QVariant();
    }
    return QString::fromStdString(*text);
}

// Instants from a damaged file can be anything; only those the C library can break down
// are shown.
bool toTimeT(double instant, time_t& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    out = static_cast<time_t>(instant);
    return true;
}

// The date in the process's time zone, the zone of the start and end columns and of the
// reservation dialog.
QVariant localDateCell(double instant) {
    time_t t = 0;
    struct tm parts {};
    if (!toTimeT(instant, t) || !localtime_r(&t, &parts)) {
        return QVariant();
    }
    char date[64];
    if (std::strftime(date, sizeof date, "%Y/%m/%d", &parts) == 0) {
        return QVariant();
    }
    return QString::fromLatin1(date) + QLatin1String(" (") + weekdayName(parts.tm_wday) +
           QLatin1Char(')');
}

// The day a late-night programme is written on, with its weekday.
QVariant dayCell(QDate day) {
    return day.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1String(" (") +
           weekdayName(day.dayOfWeek() % 7) + QLatin1Char(')');
}

QVariant localTimeCell(double instant) {
    time_t t = 0;
    struct tm parts {};
    if (!toTimeT(instant, t) || !localtime_r(&t, &parts)) {
        return QVariant();
    }
    char text[16];
    if (std::strftime(text, sizeof text, "%H:%M", &parts) == 0) {
        return QVariant();
    }
    return QString::fromLatin1(text);
}

// What the status column's icon says.
enum class Mark { None, Missed, Off, Overlap };

} // namespace

QIcon namedIcon(QString const& name) {
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

ReservationTableModel::ReservationTableModel(RecordingEngine& engine,
                                             ChannelPresetTable const& presets, QObject* parent)
    : QAbstractTableModel(parent), m_engine(engine), m_presets(presets) {}

void ReservationTableModel::reload() {
    m_lateNight = lateNightHours(m_engine.settings());
    int const newCount = m_engine.list().size();
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
        emit dataChanged(index(0, 0), index(m_rowCount - 1, ColumnCount - 1));
    }
}

int ReservationTableModel::rowCount(QModelIndex const& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int ReservationTableModel::columnCount(QModelIndex const& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReservationTableModel::cell(Reservation const& rec, int column) const {
    switch (column) {
    case Status: {
        if (rec.pending == 0) {
            return namedIcon(QStringLiteral("icon1.icns"));
        }
        if (rec.enabled == 0) {
            return namedIcon(QStringLiteral("sleep.icns"));
        }
        CheckResult result;
        m_engine.list().checkAgainstList(rec, result);
        if (result == CheckResult::Overlap) {
            return namedIcon(QStringLiteral("error3.icns"));
        }
        return QVariant();
    }
    case Date:
    case Start:
    case End:
        if (m_lateNight) {
            BroadcastTimes const times = broadcastTimes(rec.start, rec.end, rec.weekdays, true);
            if (!times.valid) {
                return QVariant();
            }
            return column == Date    ? dayCell(times.day)
                   : column == Start ? QVariant(minuteText(times.start))
                                     : QVariant(minuteText(times.end));
        }
        return column == Date    ? localDateCell(rec.start)
               : column == Start ? localTimeCell(rec.start)
                                 : localTimeCell(rec.end);
    case Weekly:
        //% "✓"
        return rec.weekdays != 0 ? QVariant(qtTrId("IDS_MARU")) : QVariant();
    case Frequency:
        return QString::fromStdString(rec.channelText());
    case Station:
        return utf8Cell(m_presets.station(rec.isFm(), rec.channel()));
    case Title:
        return utf8Cell(ReservationTitle::text(rec));
    default:
        return QVariant();
    }
}

ReservationTableModel::Row const& ReservationTableModel::cachedRow(int row) const {
    auto found = m_cache.constFind(row);
    if (found != m_cache.constEnd()) {
        return *found;
    }
    if (m_cache.size() >= kCacheRows) {
        m_cache.clear();
    }
    Row cells;
    Reservation rec;
    // A list that shrank under the view has nothing at this row.
    if (m_engine.list().readAt(row, rec)) {
        for (int column = 0; column < ColumnCount; ++column) {
            cells[column] = cell(rec, column);
        }
    }
    return *m_cache.insert(row, cells);
}

QString ReservationTableModel::missedReason(int row) const {
    Reservation rec;
    if (!m_engine.list().readAt(row, rec) || rec.pending != 0) {
        return QString();
    }
    std::optional<JournalEntry> const miss = m_engine.findMiss(rec);
    return miss ? missReasonText(miss->reason) : QString();
}

namespace {
Mark markOf(QVariant const& icon) {
    if (icon.userType() != QMetaType::QIcon) {
        return Mark::None;
    }
    qint64 const key = icon.value<QIcon>().cacheKey();
    if (key == namedIcon(QStringLiteral("icon1.icns")).cacheKey()) {
        return Mark::Missed;
    }
    if (key == namedIcon(QStringLiteral("sleep.icns")).cacheKey()) {
        return Mark::Off;
    }
    return key == namedIcon(QStringLiteral("error3.icns")).cacheKey() ? Mark::Overlap : Mark::None;
}
} // namespace

QVariant ReservationTableModel::statusExplanation(int row, QVariant const& icon) const {
    switch (markOf(icon)) {
    case Mark::Missed: {
        QString const reason = missedReason(row);
        //% "Missed: the time of this reservation passed without a recording."
        QString const missed = qtTrId("IDS_TIP_OVER");
        return reason.isEmpty() ? missed : missed + QLatin1Char('\n') + reason;
    }
    case Mark::Off:
        //% "Switched off: this reservation will not be recorded."
        return qtTrId("IDS_TIP_OFF");
    case Mark::Overlap:
        //% "Overlaps another reservation: only one of them can be recorded."
        return qtTrId("IDS_TIP_OVERLAP");
    case Mark::None:
        break;
    }
    return QVariant();
}

QString ReservationTableModel::spokenCell(int row, int column) const {
    Reservation rec;
    if (!m_engine.list().readAt(row, rec)) {
        return QString();
    }
    QString const shown = cachedRow(row)[column].toString();
    // The day, times and repeat days as the table writes them (late-night hours or not).
    BroadcastTimes const times = broadcastTimes(rec.start, rec.end, rec.weekdays, m_lateNight);
    switch (column) {
    case Status:
        switch (markOf(cachedRow(row)[Status])) {
        case Mark::Missed: {
            QString const reason = missedReason(row);
            //% "Missed"
            QString const missed = qtTrId("IDS_A11Y_STATUS_MISSED");
            //% "Missed: %1"
            return reason.isEmpty() ? missed : qtTrId("IDS_A11Y_STATUS_MISSED_WHY").arg(reason);
        }
        case Mark::Off:
            //% "Switched off"
            return qtTrId("IDS_A11Y_STATUS_OFF");
        case Mark::Overlap:
            //% "Overlaps another reservation"
            return qtTrId("IDS_A11Y_STATUS_OVERLAP");
        case Mark::None:
            break;
        }
        //% "Will be recorded"
        return qtTrId("IDS_A11Y_STATUS_READY");
    case Date:
        return spokenDate(times.day);
    case Weekly: {
        QStringList days;
        for (int weekday = 0; weekday < 7; ++weekday) {
            if ((times.week & kWeekdayBits[weekday]) != 0) {
                days << weekdayName(weekday);
            }
        }
        if (days.isEmpty()) {
            //% "Once"
            return qtTrId("IDS_A11Y_ONCE");
        }
        //% "Every week on %1"
        return qtTrId("IDS_A11Y_WEEKLY").arg(spokenList(days));
    }
    case Start:
        return times.valid ? spokenMinutes(times.start) : QString();
    case End:
        return times.valid ? spokenMinutes(times.end) : QString();
    case Frequency:
        return shown + (rec.isFm() ? QStringLiteral(" MHz") : QStringLiteral(" kHz"));
    case Station:
        //% "No station name"
        return shown.isEmpty() ? qtTrId("IDS_A11Y_NO_STATION") : shown;
    case Title:
        //% "No title"
        return shown.isEmpty() ? qtTrId("IDS_A11Y_NO_TITLE") : shown;
    default:
        return shown;
    }
}

QVariant ReservationTableModel::data(QModelIndex const& index, int role) const {
    if (!index.isValid() || index.row() >= m_rowCount || index.column() >= ColumnCount) {
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
            return statusExplanation(index.row(), value);
        }
        // Long titles and station names are cut by the column; show them whole.
        return index.column() >= Station ? QVariant(plainToolTip(value.toString())) : QVariant();
    }
    case Qt::AccessibleTextRole:
        return spokenCell(index.row(), index.column());
    case Qt::AccessibleDescriptionRole:
        return index.column() == Status
                   ? statusExplanation(index.row(), cachedRow(index.row())[Status])
                   : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == Date || index.column() >= Frequency) {
            return QVariant::fromValue<int>(Qt::AlignLeft | Qt::AlignVCenter);
        }
        return QVariant::fromValue<int>(Qt::AlignCenter);
    default:
        return QVariant();
    }
}

QVariant ReservationTableModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return kHeaderIds[section] ? qtTrId(kHeaderIds[section]) : QString();
    }
    if (role == Qt::AccessibleTextRole) {
        // The status column shows no title, but a screen reader names every column.
        return kHeaderIds[section] ? qtTrId(kHeaderIds[section]) : qtTrId("IDS_COL_STATUS");
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue<int>(section == Status ? Qt::AlignCenter
                                                          : (Qt::AlignLeft | Qt::AlignVCenter));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ReservationTableModel::flags(QModelIndex const& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    // Editable in name only: the view never edits in place (an edit opens the reservation
    // dialog instead).
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
