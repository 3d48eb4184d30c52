#include "ui/UiTexts.h"

#include <QTextDocument>
#include <QtGlobal>

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

QString plainToolTip(QString const& text) {
    return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}
