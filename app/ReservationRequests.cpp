#include "app/ReservationRequests.h"

#include "store/CalendarExport.h"
#include "ui/ReservationInput.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTime>

#include <cmath>
#include <ctime>

namespace {

char const* const kDayKeys[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
QStringList const kAddFields = {QStringLiteral("date"),   QStringLiteral("start"),
                                QStringLiteral("end"),    QStringLiteral("fm"),
                                QStringLiteral("am"),     QStringLiteral("title"),
                                QStringLiteral("weekly"), QStringLiteral("off")};

// Local calendar fields of an instant; false for one that no calendar can hold (a damaged
// record).
bool LocalTm(double instant, std::tm& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    return localtime_r(&t, &out) != nullptr;
}

QString LocalText(double instant, char const* format) {
    std::tm tm{};
    char text[32];
    if (!LocalTm(instant, tm) || std::strftime(text, sizeof text, format, &tm) == 0) {
        return QString();
    }
    return QString::fromLatin1(text);
}

// The message of a problem, as the reservation dialog's alert shows it.
QString ProblemMessage(ReservationProblem problem) {
    switch (problem) {
    case ReservationProblem::TitleTooLong:
        //% "The title is too long. Use at most 255 bytes (about 85 Japanese characters)."
        return qtTrId("IDS_ERR_TOO_LONG_TITLE");
    case ReservationProblem::InvalidFrequency:
        //% "The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to "
        //% "90.0 MHz."
        return qtTrId("IDS_ERR_INVALID_FREQ");
    case ReservationProblem::EndPassed:
        //% "The end time of this recording has already passed."
        return qtTrId("IDS_ERR_PASSED_REC_TIME");
    case ReservationProblem::None:
        break;
    }
    return QString();
}

QString StateName(CScheduleItem& list, SCHEDULEITEM_TAG const& rec) {
    if (rec.cPending == 0) {
        return QStringLiteral("missed");
    }
    if (rec.cValid == 0) {
        return QStringLiteral("off");
    }
    SCHEDULE_RETURN check;
    list.GlovalCheck(rec, check);
    return check.nResult == 1 ? QStringLiteral("overlapping") : QStringLiteral("waiting");
}

// A text field; numbers are taken as their text, so that a bus caller may send 954 for
// "954".
bool TextValue(QVariant const& value, QString& out) {
    switch (value.metaType().id()) {
    case QMetaType::QString:
        out = value.toString();
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::Double:
        out = value.toString();
        return true;
    default:
        return false;
    }
}

QString WrongType(QString const& field) {
    //% "The value of “%1” has the wrong type."
    return qtTrId("IDS_REQ_BAD_VALUE").arg(field);
}

RequestOutcome ParseDate(QVariantMap const& fields, QDate& date) {
    QString text;
    if (!fields.contains(QStringLiteral("date"))) {
        //% "Give the day of the recording as YYYY-MM-DD."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_NEED_DATE"));
    }
    if (!TextValue(fields.value(QStringLiteral("date")), text)) {
        return RequestOutcome::Refuse(WrongType(QStringLiteral("date")));
    }
    static QRegularExpression const pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    QRegularExpressionMatch const match = pattern.match(text);
    if (match.hasMatch()) {
        date =
            QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    }
    if (!match.hasMatch() || !date.isValid()) {
        //% "“%1” is not a date. Write the day as YYYY-MM-DD, for example 2025-03-01."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_BAD_DATE").arg(text));
    }
    return {};
}

RequestOutcome ParseTime(QVariantMap const& fields, QString const& field, int& hour, int& minute) {
    QString text;
    if (!fields.contains(field)) {
        //% "Give the start and end times as HH:MM."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_NEED_TIME"));
    }
    if (!TextValue(fields.value(field), text)) {
        return RequestOutcome::Refuse(WrongType(field));
    }
    static QRegularExpression const pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    QRegularExpressionMatch const match = pattern.match(text);
    hour = match.captured(1).toInt();
    minute = match.captured(2).toInt();
    if (!match.hasMatch() || hour > 23 || minute > 59) {
        //% "“%1” is not a time of day. Write it as HH:MM, from 00:00 to 23:59."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_BAD_TIME").arg(text));
    }
    return {};
}

RequestOutcome ParseWeekly(QVariantMap const& fields, uint32_t& week) {
    week = 0;
    if (!fields.contains(QStringLiteral("weekly"))) {
        return {};
    }
    QVariant const value = fields.value(QStringLiteral("weekly"));
    QStringList days;
    if (value.metaType().id() == QMetaType::QString) {
        days = value.toString().split(QLatin1Char(','));
    } else if (value.metaType().id() == QMetaType::QStringList) {
        days = value.toStringList();
    } else {
        return RequestOutcome::Refuse(WrongType(QStringLiteral("weekly")));
    }
    for (QString const& day : days) {
        QString const key = day.trimmed().toLower();
        int k = 0;
        while (k < 7 && key != QLatin1String(kDayKeys[k])) {
            ++k;
        }
        if (k == 7) {
            //% "“%1” is not a weekday. Use sun, mon, tue, wed, thu, fri and sat, separated by "
            //% "commas."
            return RequestOutcome::Refuse(qtTrId("IDS_REQ_BAD_WEEKDAY").arg(day));
        }
        week |= kWeeklyKeys[k];
    }
    return {};
}

// The fields of an add request as the reservation dialog's controls would hold them.
RequestOutcome ParseAdd(QVariantMap const& fields, ReservationInput& input, bool& off) {
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
        if (!kAddFields.contains(it.key())) {
            //% "“%1” is not a field of a reservation."
            return RequestOutcome::Refuse(qtTrId("IDS_REQ_UNKNOWN_FIELD").arg(it.key()));
        }
    }
    QDate date;
    int startHour = 0;
    int startMinute = 0;
    int endHour = 0;
    int endMinute = 0;
    for (RequestOutcome const& step :
         {ParseDate(fields, date),
          ParseTime(fields, QStringLiteral("start"), startHour, startMinute),
          ParseTime(fields, QStringLiteral("end"), endHour, endMinute),
          ParseWeekly(fields, input.week)}) {
        if (!step.ok()) {
            return step;
        }
    }
    bool const fm = fields.contains(QStringLiteral("fm"));
    if (fm == fields.contains(QStringLiteral("am"))) {
        //% "Give the channel: an FM frequency in MHz or an AM frequency in kHz, one of the two."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_NEED_CHANNEL"));
    }
    QString const band = fm ? QStringLiteral("fm") : QStringLiteral("am");
    if (!TextValue(fields.value(band), input.channel)) {
        return RequestOutcome::Refuse(WrongType(band));
    }
    input.fm = fm;
    if (!fields.contains(QStringLiteral("title"))) {
        //% "Give the title of the recording."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_NEED_TITLE"));
    }
    QVariant const title = fields.value(QStringLiteral("title"));
    if (title.metaType().id() != QMetaType::QString) {
        return RequestOutcome::Refuse(WrongType(QStringLiteral("title")));
    }
    input.title = title.toString();
    QVariant const offValue = fields.value(QStringLiteral("off"), false);
    if (offValue.metaType().id() != QMetaType::Bool) {
        return RequestOutcome::Refuse(WrongType(QStringLiteral("off")));
    }
    off = offValue.toBool();

    input.date = date;
    input.start = QTime(startHour, startMinute);
    input.end = QTime(endHour, endMinute);
    return {};
}

// Every id must name a reservation before anything changes.
RequestOutcome CheckIds(CScheduleItem& list, QList<int> const& ids, QList<SCHEDULEITEM_TAG>& out) {
    if (ids.isEmpty()) {
        //% "Give the id of at least one reservation."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_NO_IDS"));
    }
    // A list never holds more; a longer request would only keep the window busy.
    if (ids.size() > kScheduleMaxCount) {
        //% "Give at most 10000 ids."
        return RequestOutcome::Refuse(qtTrId("IDS_REQ_TOO_MANY_IDS"));
    }
    for (int const id : ids) {
        SCHEDULEITEM_TAG rec;
        if (!list.readSchedule(id, &rec)) {
            //% "There is no reservation with the id %1."
            return RequestOutcome::Refuse(qtTrId("IDS_REQ_UNKNOWN_ID").arg(id));
        }
        out << rec;
    }
    return {};
}

RequestOutcome NotReady() {
    //% "The program is starting or closing. Try again in a moment."
    return RequestOutcome::Fail(qtTrId("IDS_REQ_NOT_READY"));
}

} // namespace

QList<SCHEDULEITEM_TAG> ReservationSnapshot(CScheduleItem& list) {
    QList<SCHEDULEITEM_TAG> out;
    SCHEDULEITEM_TAG rec;
    for (int i = 0; list.readScheduleByIndex(i, &rec); ++i) {
        out << rec;
    }
    return out;
}

RequestOutcome ReservationRequests::Committed() {
    QString error;
    if (!m_target.commit(error)) {
        return RequestOutcome::Fail(error);
    }
    return {};
}

RequestOutcome ReservationRequests::List(QList<QVariantMap>& out) {
    out.clear();
    CScheduleItem* const list = m_target.reservations();
    if (list == nullptr) {
        return NotReady();
    }
    for (SCHEDULEITEM_TAG const& rec : ReservationSnapshot(*list)) {
        bool const fm = (rec.uFreq >> 24) != 0;
        QStringList weekly;
        for (int k = 0; k < 7; ++k) {
            if ((rec.uWeek & kWeeklyKeys[k]) != 0) {
                weekly << QLatin1String(kDayKeys[k]);
            }
        }
        QString const channel = QString::fromStdString(ChannelText(rec.uFreq));
        bool const timesKnown = std::isfinite(rec.dStartTime) && std::isfinite(rec.dEndTime) &&
                                std::fabs(rec.dStartTime) <= 1.0e12 &&
                                std::fabs(rec.dEndTime) <= 1.0e12;
        out << QVariantMap{
            {QStringLiteral("id"), rec.nID},
            {QStringLiteral("date"), LocalText(rec.dStartTime, "%Y-%m-%d")},
            {QStringLiteral("start"), LocalText(rec.dStartTime, "%H:%M")},
            {QStringLiteral("end"), LocalText(rec.dEndTime, "%H:%M")},
            {QStringLiteral("weekly"), weekly},
            {QStringLiteral("band"), fm ? QStringLiteral("FM") : QStringLiteral("AM")},
            {QStringLiteral("frequency"), channel.mid(3)},
            {QStringLiteral("station"), m_target.stationName(fm, rec.uFreq & 0xFFFFFFu)},
            {QStringLiteral("title"), QString::fromStdString(ScheduleTitleText(rec))},
            {QStringLiteral("state"), StateName(*list, rec)},
            {QStringLiteral("startTime"),
             static_cast<qlonglong>(timesKnown ? std::floor(rec.dStartTime) : 0.0)},
            {QStringLiteral("endTime"),
             static_cast<qlonglong>(timesKnown ? std::floor(rec.dEndTime) : 0.0)},
        };
    }
    return {};
}

RequestOutcome ReservationRequests::Add(QVariantMap const& fields, int& id, int& result) {
    id = -1;
    result = 0;
    CScheduleItem* const list = m_target.reservations();
    if (list == nullptr) {
        return NotReady();
    }
    ReservationInput input;
    bool off = false;
    if (RequestOutcome const parsed = ParseAdd(fields, input, off); !parsed.ok()) {
        return parsed;
    }
    double const now = m_target.now();
    if (ReservationProblem const problem = CheckReservation(input, now);
        problem != ReservationProblem::None) {
        return RequestOutcome::Refuse(ProblemMessage(problem));
    }

    SCHEDULEITEM_TAG rec;
    ComposeReservation(input, now, rec);
    rec.cValid = off ? 0 : 1;
    SCHEDULE_RETURN check;
    if (!list->addSchedule(&rec, check, 1, &id)) {
        if (check.nResult == 4) {
            //% "The list is full: it already holds 10000 reservations."
            return RequestOutcome::Refuse(qtTrId("IDS_REQ_LIST_FULL"));
        }
        // The checks above leave no other refusal (start before end, a frequency).
        return RequestOutcome::Refuse(ProblemMessage(ReservationProblem::InvalidFrequency));
    }
    result = check.nResult;
    return Committed();
}

RequestOutcome ReservationRequests::Remove(QList<int> const& ids) {
    CScheduleItem* const list = m_target.reservations();
    if (list == nullptr) {
        return NotReady();
    }
    QList<SCHEDULEITEM_TAG> found;
    if (RequestOutcome const checked = CheckIds(*list, ids, found); !checked.ok()) {
        return checked;
    }
    for (int const id : ids) {
        list->deleteSchedule(id);
    }
    return Committed();
}

RequestOutcome ReservationRequests::SetEnabled(QList<int> const& ids, bool enabled) {
    CScheduleItem* const list = m_target.reservations();
    if (list == nullptr) {
        return NotReady();
    }
    QList<SCHEDULEITEM_TAG> found;
    if (RequestOutcome const checked = CheckIds(*list, ids, found); !checked.ok()) {
        return checked;
    }
    // As in the window, a reservation that is over stays as it is; here that is said.
    for (SCHEDULEITEM_TAG const& rec : found) {
        if (rec.cPending == 0) {
            //% "Reservation %1 is over: it can no longer be switched on or off. Delete it, or "
            //% "edit it in the window."
            return RequestOutcome::Refuse(qtTrId("IDS_REQ_SWITCH_OVER").arg(rec.nID));
        }
    }
    for (SCHEDULEITEM_TAG rec : found) {
        rec.cValid = enabled ? 1 : 0;
        SCHEDULE_RETURN check;
        list->editSchedule(&rec, check);
    }
    return Committed();
}

RequestOutcome ReservationRequests::ExportICalendar(QString& out) {
    CScheduleItem* const list = m_target.reservations();
    if (list == nullptr) {
        return NotReady();
    }
    QList<SCHEDULEITEM_TAG> const records = ReservationSnapshot(*list);
    std::vector<SCHEDULEITEM_TAG> const all(records.cbegin(), records.cend());
    out = QString::fromStdString(::ExportICalendar(
        all,
        [this](bool fm, uint32_t freq) { return m_target.stationName(fm, freq).toStdString(); },
        m_target.now()));
    return {};
}
