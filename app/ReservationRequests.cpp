#include "app/ReservationRequests.h"

#include "store/CalendarExport.h"
#include "store/ReservationTitle.h"
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
bool localTm(double instant, std::tm& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    return localtime_r(&t, &out) != nullptr;
}

QString localText(double instant, char const* format) {
    std::tm tm{};
    char text[32];
    if (!localTm(instant, tm) || std::strftime(text, sizeof text, format, &tm) == 0) {
        return QString();
    }
    return QString::fromLatin1(text);
}

QString stateName(ReservationList& list, Reservation const& rec) {
    if (rec.pending == 0) {
        return QStringLiteral("missed");
    }
    if (rec.enabled == 0) {
        return QStringLiteral("off");
    }
    CheckResult check;
    list.checkAgainstList(rec, check);
    return check == CheckResult::Overlap ? QStringLiteral("overlapping")
                                         : QStringLiteral("waiting");
}

// A text field; numbers are taken as their text, so that a bus caller may send 954 for
// "954".
bool textValue(QVariant const& value, QString& out) {
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

QString wrongType(QString const& field) {
    //% "The value of “%1” has the wrong type."
    return qtTrId("IDS_REQ_BAD_VALUE").arg(field);
}

RequestOutcome parseDate(QVariantMap const& fields, QDate& date) {
    QString text;
    if (!fields.contains(QStringLiteral("date"))) {
        //% "Give the day of the recording as YYYY-MM-DD."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_NEED_DATE"));
    }
    if (!textValue(fields.value(QStringLiteral("date")), text)) {
        return RequestOutcome::refuse(wrongType(QStringLiteral("date")));
    }
    static QRegularExpression const pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    QRegularExpressionMatch const match = pattern.match(text);
    if (match.hasMatch()) {
        date =
            QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    }
    if (!match.hasMatch() || !date.isValid()) {
        //% "“%1” is not a date. Write the day as YYYY-MM-DD, for example 2025-03-01."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_BAD_DATE").arg(text));
    }
    return {};
}

RequestOutcome parseTime(QVariantMap const& fields, QString const& field, int& hour, int& minute) {
    QString text;
    if (!fields.contains(field)) {
        //% "Give the start and end times as HH:MM."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_NEED_TIME"));
    }
    if (!textValue(fields.value(field), text)) {
        return RequestOutcome::refuse(wrongType(field));
    }
    static QRegularExpression const pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    QRegularExpressionMatch const match = pattern.match(text);
    hour = match.captured(1).toInt();
    minute = match.captured(2).toInt();
    // 24:00 to 29:59: the small hours after the day, as the programme guides write them.
    if (!match.hasMatch() || hour * 60 + minute > kLastDayMinute || minute > 59) {
        //% "“%1” is not a time of day. Write it as HH:MM, from 00:00 to 29:59 (25:00 is 1:00 "
        //% "the next morning)."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_BAD_TIME").arg(text));
    }
    return {};
}

RequestOutcome parseWeekly(QVariantMap const& fields, uint32_t& week) {
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
        return RequestOutcome::refuse(wrongType(QStringLiteral("weekly")));
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
            return RequestOutcome::refuse(qtTrId("IDS_REQ_BAD_WEEKDAY").arg(day));
        }
        week |= kWeekdayBits[k];
    }
    return {};
}

// The fields of an add request as the reservation dialog's controls would hold them.
RequestOutcome parseAdd(QVariantMap const& fields, ReservationInput& input, bool& off) {
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
        if (!kAddFields.contains(it.key())) {
            //% "“%1” is not a field of a reservation."
            return RequestOutcome::refuse(qtTrId("IDS_REQ_UNKNOWN_FIELD").arg(it.key()));
        }
    }
    QDate date;
    int startHour = 0;
    int startMinute = 0;
    int endHour = 0;
    int endMinute = 0;
    for (RequestOutcome const& step :
         {parseDate(fields, date),
          parseTime(fields, QStringLiteral("start"), startHour, startMinute),
          parseTime(fields, QStringLiteral("end"), endHour, endMinute),
          parseWeekly(fields, input.week)}) {
        if (!step.ok()) {
            return step;
        }
    }
    bool const fm = fields.contains(QStringLiteral("fm"));
    if (fm == fields.contains(QStringLiteral("am"))) {
        //% "Give the channel: an FM frequency in MHz or an AM frequency in kHz, one of the two."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_NEED_CHANNEL"));
    }
    QString const band = fm ? QStringLiteral("fm") : QStringLiteral("am");
    if (!textValue(fields.value(band), input.channel)) {
        return RequestOutcome::refuse(wrongType(band));
    }
    input.fm = fm;
    if (!fields.contains(QStringLiteral("title"))) {
        //% "Give the title of the recording."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_NEED_TITLE"));
    }
    QVariant const title = fields.value(QStringLiteral("title"));
    if (title.metaType().id() != QMetaType::QString) {
        return RequestOutcome::refuse(wrongType(QStringLiteral("title")));
    }
    input.title = title.toString();
    QVariant const offValue = fields.value(QStringLiteral("off"), false);
    if (offValue.metaType().id() != QMetaType::Bool) {
        return RequestOutcome::refuse(wrongType(QStringLiteral("off")));
    }
    off = offValue.toBool();

    input.date = date;
    input.start = startHour * 60 + startMinute;
    input.end = endHour * 60 + endMinute;
    return {};
}

// Every id must name a reservation before anything changes.
RequestOutcome checkIds(ReservationList& list, QList<int> const& ids, QList<Reservation>& out) {
    if (ids.isEmpty()) {
        //% "Give the id of at least one reservation."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_NO_IDS"));
    }
    // A list never holds more; a longer request would only keep the window busy.
    if (ids.size() > ReservationList::kCapacity) {
        //% "Give at most 10000 ids."
        return RequestOutcome::refuse(qtTrId("IDS_REQ_TOO_MANY_IDS"));
    }
    for (int const id : ids) {
        Reservation rec;
        if (!list.read(id, rec)) {
            //% "There is no reservation with the id %1."
            return RequestOutcome::refuse(qtTrId("IDS_REQ_UNKNOWN_ID").arg(id));
        }
        out << rec;
    }
    return {};
}

RequestOutcome notReady() {
    //% "The program is starting or closing. Try again in a moment."
    return RequestOutcome::fail(qtTrId("IDS_REQ_NOT_READY"));
}

} // namespace

QList<Reservation> reservationSnapshot(ReservationList& list) {
    QList<Reservation> out;
    Reservation rec;
    for (int i = 0; list.readAt(i, rec); ++i) {
        out << rec;
    }
    return out;
}

RequestOutcome ReservationRequests::committed() {
    QString error;
    if (!m_target.commit(error)) {
        return RequestOutcome::fail(error);
    }
    return {};
}

RequestOutcome ReservationRequests::list(QList<QVariantMap>& out) {
    out.clear();
    ReservationList* const list = m_target.reservations();
    if (list == nullptr) {
        return notReady();
    }
    for (Reservation const& rec : reservationSnapshot(*list)) {
        bool const fm = rec.isFm();
        QStringList weekly;
        for (int k = 0; k < 7; ++k) {
            if ((rec.weekdays & kWeekdayBits[k]) != 0) {
                weekly << QLatin1String(kDayKeys[k]);
            }
        }
        QString const channel = QString::fromStdString(rec.channelText());
        bool const timesKnown = std::isfinite(rec.start) && std::isfinite(rec.end) &&
                                std::fabs(rec.start) <= 1.0e12 && std::fabs(rec.end) <= 1.0e12;
        out << QVariantMap{
            {QStringLiteral("id"), rec.id},
            {QStringLiteral("date"), localText(rec.start, "%Y-%m-%d")},
            {QStringLiteral("start"), localText(rec.start, "%H:%M")},
            {QStringLiteral("end"), localText(rec.end, "%H:%M")},
            {QStringLiteral("weekly"), weekly},
            {QStringLiteral("band"), fm ? QStringLiteral("FM") : QStringLiteral("AM")},
            {QStringLiteral("frequency"), channel.mid(3)},
            {QStringLiteral("station"), m_target.stationName(fm, rec.channel())},
            {QStringLiteral("title"),
             QString::fromStdString(ReservationTitle::text(rec).value_or(std::string()))},
            {QStringLiteral("state"), stateName(*list, rec)},
            {QStringLiteral("startTime"),
             static_cast<qlonglong>(timesKnown ? std::floor(rec.start) : 0.0)},
            {QStringLiteral("endTime"),
             static_cast<qlonglong>(timesKnown ? std::floor(rec.end) : 0.0)},
        };
    }
    return {};
}

RequestOutcome ReservationRequests::add(QVariantMap const& fields, int& id, int& result) {
    id = -1;
    result = 0;
    ReservationList* const list = m_target.reservations();
    if (list == nullptr) {
        return notReady();
    }
    ReservationInput input;
    bool off = false;
    if (RequestOutcome const parsed = parseAdd(fields, input, off); !parsed.ok()) {
        return parsed;
    }
    double const now = m_target.now();
    if (ReservationProblem const problem = checkReservation(input, now);
        problem != ReservationProblem::None) {
        return RequestOutcome::refuse(reservationProblemText(problem));
    }

    Reservation rec;
    composeReservation(input, now, rec);
    rec.enabled = off ? 0 : 1;
    CheckResult check;
    if (!list->add(rec, check, true, &id)) {
        if (check == CheckResult::ListFull) {
            //% "The list is full: it already holds 10000 reservations."
            return RequestOutcome::refuse(qtTrId("IDS_REQ_LIST_FULL"));
        }
        // The checks above leave no other refusal (start before end, a frequency).
        return RequestOutcome::refuse(reservationProblemText(ReservationProblem::InvalidFrequency));
    }
    result = check == CheckResult::Overlap ? kOverlapResult : 0;
    if (check == CheckResult::Overlap) {
        rec.id = id; // not compared with itself
        CheckResult own;
        list->checkWithoutMargins(rec, own);
        if (own == CheckResult::Ok) {
            result = kOverlapByMarginsResult;
        }
    }
    return committed();
}

RequestOutcome ReservationRequests::remove(QList<int> const& ids) {
    ReservationList* const list = m_target.reservations();
    if (list == nullptr) {
        return notReady();
    }
    QList<Reservation> found;
    if (RequestOutcome const checked = checkIds(*list, ids, found); !checked.ok()) {
        return checked;
    }
    for (int const id : ids) {
        list->remove(id);
    }
    return committed();
}

RequestOutcome ReservationRequests::setEnabled(QList<int> const& ids, bool enabled) {
    ReservationList* const list = m_target.reservations();
    if (list == nullptr) {
        return notReady();
    }
    QList<Reservation> found;
    if (RequestOutcome const checked = checkIds(*list, ids, found); !checked.ok()) {
        return checked;
    }
    // As in the window, a reservation that is over stays as it is; here that is said.
    for (Reservation const& rec : found) {
        if (rec.pending == 0) {
            //% "Reservation %1 is over: it can no longer be switched on or off. Delete it, or "
            //% "edit it in the window."
            return RequestOutcome::refuse(qtTrId("IDS_REQ_SWITCH_OVER").arg(rec.id));
        }
    }
    for (Reservation rec : found) {
        rec.enabled = enabled ? 1 : 0;
        CheckResult check;
        list->update(rec, check);
    }
    return committed();
}

RequestOutcome ReservationRequests::exportICalendar(QString& out) {
    ReservationList* const list = m_target.reservations();
    if (list == nullptr) {
        return notReady();
    }
    QList<Reservation> const records = reservationSnapshot(*list);
    std::vector<Reservation> const all(records.cbegin(), records.cend());
    out = QString::fromStdString(::exportICalendar(
        all,
        [this](bool fm, uint32_t freq) { return m_target.stationName(fm, freq).toStdString(); },
        m_target.now()));
    return {};
}
