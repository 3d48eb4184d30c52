#include "app/ListTable.h"

#include "app/TextTable.h"
#include "store/Reservation.h"
#include "ui/BroadcastTimes.h"
#include "ui/UiTexts.h"

#include <QDate>

#include <algorithm>

namespace {

char const* const kDayKeys[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

QString shortDay(QString const& key) {
    for (int k = 0; k < 7; ++k) {
        if (key == QLatin1String(kDayKeys[k])) {
            return weekdayShortName(k);
        }
    }
    return key;
}

QString stateText(QString const& state) {
    if (state == QLatin1String("missed")) {
        //% "missed"
        return qtTrId("IDS_CLI_STATE_MISSED");
    }
    if (state == QLatin1String("off")) {
        //% "off"
        return qtTrId("IDS_CLI_STATE_OFF");
    }
    if (state == QLatin1String("overlapping")) {
        //% "overlapping"
        return qtTrId("IDS_CLI_STATE_OVERLAPPING");
    }
    //% "waiting"
    return qtTrId("IDS_CLI_STATE_WAITING");
}

} // namespace

QString listTable(QList<QVariantMap> const& entries, bool lateNight) {
    if (entries.isEmpty()) {
        //% "No reservations."
        return qtTrId("IDS_CLI_NO_RESERVATIONS") + QLatin1Char('\n');
    }
    QList<QStringList> rows;
    rows << QStringList{QStringLiteral("ID"),
                        //% "Date"
                        qtTrId("IDS_COL_DATE"),
                        //% "Start"
                        qtTrId("IDS_COL_START"),
                        //% "End"
                        qtTrId("IDS_COL_END"),
                        //% "Weekly"
                        qtTrId("IDS_COL_WEEKLY"),
                        //% "Frequency"
                        qtTrId("IDS_COL_CHANNEL"),
                        //% "State"
                        qtTrId("IDS_CLI_COL_STATE"),
                        //% "Station"
                        qtTrId("IDS_COL_STATION"),
                        //% "Title"
                        qtTrId("IDS_COL_TITLE")};
    for (QVariantMap const& e : entries) {
        QStringList weekly = e.value(QStringLiteral("weekly")).toStringList();
        QString date = e.value(QStringLiteral("date")).toString();
        QString start = e.value(QStringLiteral("start")).toString();
        QString end = e.value(QStringLiteral("end")).toString();
        if (lateNight && !date.isEmpty()) {
            uint32_t week = 0;
            for (int k = 0; k < 7; ++k) {
                week |= weekly.contains(QLatin1String(kDayKeys[k])) ? kWeekdayBits[k] : 0;
            }
            BroadcastTimes const times =
                broadcastTimes(e.value(QStringLiteral("startTime")).toDouble(),
                               e.value(QStringLiteral("endTime")).toDouble(), week, true);
            if (times.valid) {
                date = times.day.toString(Qt::ISODate);
                start = minuteText(times.start);
                end = minuteText(times.end);
                weekly.clear();
                for (int k = 0; k < 7; ++k) {
                    if ((times.week & kWeekdayBits[k]) != 0) {
                        weekly << QLatin1String(kDayKeys[k]);
                    }
                }
            }
        }
        QStringList days;
        for (QString const& key : weekly) {
            days << shortDay(key);
        }
        if (!date.isEmpty()) {
            QDate const day = QDate::fromString(date, Qt::ISODate);
            date += QStringLiteral(" (") + shortDay(QLatin1String(kDayKeys[day.dayOfWeek() % 7])) +
                    QLatin1Char(')');
        }
        rows << QStringList{e.value(QStringLiteral("id")).toString(),
                            date,
                            start,
                            end,
                            days.isEmpty() ? QStringLiteral("-") : days.join(QLatin1Char(',')),
                            e.value(QStringLiteral("band")).toString() + QLatin1Char(' ') +
                                e.value(QStringLiteral("frequency")).toString(),
                            stateText(e.value(QStringLiteral("state")).toString()),
                            e.value(QStringLiteral("station")).toString(),
                            e.value(QStringLiteral("title")).toString()};
    }
    QList<int> widths(rows.first().size(), 0);
    for (QStringList& row : rows) {
        for (int c = 0; c < row.size(); ++c) {
            row[c] = TextTable::visible(row[c]); // titles and stations from files
            widths[c] = std::max(widths[c], TextTable::displayWidth(row[c]));
        }
    }
    QString text;
    for (QStringList const& row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            bool const last = c + 1 == row.size();
            // The id right-aligned; the title, last, not padded.
            if (c == 0) {
                line +=
                    QString(widths[0] - TextTable::displayWidth(row[0]), QLatin1Char(' ')) + row[0];
            } else {
                line += last ? row[c] : TextTable::padded(row[c], widths[c]);
            }
            if (!last) {
                line += QStringLiteral("  ");
            }
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}
