#include "ui/UiTexts.h"

#include <QTextDocument>
#include <QtGlobal>

#include <cmath>
#include <ctime>

namespace {

char const* const kWeekdayNames[7] = {
    //% "Sunday"
    QT_TRID_NOOP("sun"),
    //% "Monday"
    QT_TRID_NOOP("mon"),
    //% "Tuesday"
    QT_TRID_NOOP("tue"),
    //% "Wednesday"
    QT_TRID_NOOP("wed"),
    //% "Thursday"
    QT_TRID_NOOP("thu"),
    //% "Friday"
    QT_TRID_NOOP("fri"),
    //% "Saturday"
    QT_TRID_NOOP("sat"),
};

char const* const kWeekdayShortNames[7] = {
    //% "Sun"
    QT_TRID_NOOP("IDS_REGIST_SUN"),
    //% "Mon"
    QT_TRID_NOOP("IDS_REGIST_MON"),
    //% "Tue"
    QT_TRID_NOOP("IDS_REGIST_TUE"),
    //% "Wed"
    QT_TRID_NOOP("IDS_REGIST_WED"),
    //% "Thu"
    QT_TRID_NOOP("IDS_REGIST_THU"),
    //% "Fri"
    QT_TRID_NOOP("IDS_REGIST_FRI"),
    //% "Sat"
    QT_TRID_NOOP("IDS_REGIST_SAT"),
};

char const* const kMonthNames[12] = {
    //% "January"
    QT_TRID_NOOP("IDS_A11Y_MONTH_1"),
    //% "February"
    QT_TRID_NOOP("IDS_A11Y_MONTH_2"),
    //% "March"
    QT_TRID_NOOP("IDS_A11Y_MONTH_3"),
    //% "April"
    QT_TRID_NOOP("IDS_A11Y_MONTH_4"),
    //% "May"
    QT_TRID_NOOP("IDS_A11Y_MONTH_5"),
    //% "June"
    QT_TRID_NOOP("IDS_A11Y_MONTH_6"),
    //% "July"
    QT_TRID_NOOP("IDS_A11Y_MONTH_7"),
    //% "August"
    QT_TRID_NOOP("IDS_A11Y_MONTH_8"),
    //% "September"
    QT_TRID_NOOP("IDS_A11Y_MONTH_9"),
    //% "October"
    QT_TRID_NOOP("IDS_A11Y_MONTH_10"),
    //% "November"
    QT_TRID_NOOP("IDS_A11Y_MONTH_11"),
    //% "December"
    QT_TRID_NOOP("IDS_A11Y_MONTH_12"),
};

// Instants from a damaged file can be anything: only those the C library can break down.
bool localParts(double instant, struct tm& parts) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    time_t const t = static_cast<time_t>(instant);
    return localtime_r(&t, &parts) != nullptr;
}

} // namespace

QString appTitle() {
    //% "Velto Timer Recorder"
    return qtTrId("AppTitle");
}

QString weekdayName(int weekday) {
    return weekday >= 0 && weekday < 7 ? qtTrId(kWeekdayNames[weekday]) : QString();
}

QString weekdayShortName(int weekday) {
    return weekday >= 0 && weekday < 7 ? qtTrId(kWeekdayShortNames[weekday]) : QString();
}

QString spokenDate(QDate day) {
    if (!day.isValid()) {
        return QString();
    }
    //% "%1, %2 %3 %4"
    return qtTrId("IDS_A11Y_DATE")
        .arg(weekdayName(day.dayOfWeek() % 7), QString::number(day.day()),
             qtTrId(kMonthNames[day.month() - 1]), QString::number(day.year()));
}

QString spokenMinutes(int minutes) {
    if (minutes < 0) {
        return QString();
    }
    if (minutes % 60 == 0) {
        //% "%1:00"
        return qtTrId("IDS_A11Y_HOUR").arg(minutes / 60);
    }
    //% "%1:%2"
    return qtTrId("IDS_A11Y_TIME").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString spokenDate(double instant) {
    struct tm parts {};
    if (!localParts(instant, parts)) {
        return QString();
    }
    return spokenDate(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday));
}

QString spokenTime(double instant) {
    struct tm parts {};
    return localParts(instant, parts) ? spokenMinutes(parts.tm_hour * 60 + parts.tm_min)
                                      : QString();
}

QString spokenList(QStringList const& items) {
    //% ", "
    return items.join(qtTrId("IDS_A11Y_LIST_SEPARATOR"));
}

QString plainToolTip(QString const& text) {
    return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}
