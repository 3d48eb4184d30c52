#include "ui/BroadcastTimeEdit.h"

#include "ui/BroadcastTimes.h"
#include "ui/ReservationInput.h"

#include <QLineEdit>

#include <algorithm>

namespace {

// The text with full-width digits and colon made ASCII and blanks dropped.
QString plain(QString const& text) {
    QString out;
    for (QChar c : text) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) {
            c = QChar(c.unicode() - 0xFF10 + '0');
        } else if (c.unicode() == 0xFF1A) {
            c = QLatin1Char(':');
        }
        if (!c.isSpace()) {
            out += c;
        }
    }
    return out;
}

} // namespace

BroadcastTimeEdit::BroadcastTimeEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(0, kLastDayMinute);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

QString BroadcastTimeEdit::textFromValue(int value) const {
    return minuteText(value);
}

int BroadcastTimeEdit::valueFromText(QString const& text) const {
    QString const t = plain(text);
    int const colon = t.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        return value();
    }
    return t.left(colon).toInt() * 60 + t.mid(colon + 1).toInt();
}

QValidator::State BroadcastTimeEdit::validate(QString& input, int& pos) const {
    QString text = plain(input);
    // "2530" as typed into a selected field: the colon goes after the hour's two digits.
    if (!text.contains(QLatin1Char(':')) && text.size() > 2) {
        text.insert(2, QLatin1Char(':'));
        if (pos > 2) {
            ++pos;
        }
    }
    int const colon = text.indexOf(QLatin1Char(':'));
    QString const hour = colon < 0 ? text : text.left(colon);
    QString const minute = colon < 0 ? QString() : text.mid(colon + 1);
    if (text.size() > 5 || hour.size() > 2 || minute.size() > 2 ||
        text.count(QLatin1Char(':')) > 1) {
        return QValidator::Invalid;
    }
    for (QChar const c : hour + minute) {
        if (!c.isDigit() || c.unicode() > '9') {
            return QValidator::Invalid;
        }
    }
    if (hour.toInt() > kLastDayMinute / 60 || (!minute.isEmpty() && minute.left(1).toInt() > 5)) {
        return QValidator::Invalid;
    }
    input = text;
    pos = std::min<int>(pos, static_cast<int>(input.size()));
    if (hour.isEmpty() || colon < 0 || minute.size() < 2) {
        return QValidator::Intermediate;
    }
    return QValidator::Acceptable;
}

void BroadcastTimeEdit::fixup(QString& input) const {
    // "7:5" and "7:" are read as 07:05 and 07:00 when the field is left; a bare number is
    // not taken for a time (the field keeps its time).
    QString const text = plain(input);
    int const colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        return;
    }
    QString const hour = text.left(colon);
    QString const minute = text.mid(colon + 1);
    bool hourOk = false;
    bool minuteOk = minute.isEmpty();
    int const h = hour.toInt(&hourOk);
    int const m = minute.isEmpty() ? 0 : minute.toInt(&minuteOk);
    if (hourOk && minuteOk && h * 60 + m <= kLastDayMinute && m < 60) {
        input = minuteText(h * 60 + m);
    }
}

void BroadcastTimeEdit::stepBy(int steps) {
    QLineEdit* const edit = lineEdit();
    int const colon = edit->text().indexOf(QLatin1Char(':'));
    bool const inHour = colon < 0 || edit->cursorPosition() <= colon;
    int const step = inHour ? 60 : 1;
    setValue(std::clamp(value() + steps * step, minimum(), maximum()));
    // The stepped part stays selected, so that typing replaces it.
    int const newColon = edit->text().indexOf(QLatin1Char(':'));
    if (inHour) {
        edit->setSelection(0, newColon);
    } else {
        edit->setSelection(newColon + 1, static_cast<int>(edit->text().size()) - newColon - 1);
    }
}
