#include "ui/LeadingNumber.h"

#include <climits>

namespace {
// The ASCII form of the leading number ("-12.5" of " -12.5 MHz"); empty when there is none.
QString leadingNumberText(QString const& text, bool withFraction) {
    QString const s = text.normalized(QString::NormalizationForm_KC);
    qsizetype i = 0;
    qsizetype const n = s.size();
    while (i < n && s.at(i).isSpace()) {
        ++i;
    }
    QString out;
    if (i < n && (s.at(i) == u'+' || s.at(i) == u'-')) {
        out += s.at(i);
        ++i;
    }
    bool digits = false;
    while (i < n && s.at(i) >= u'0' && s.at(i) <= u'9') {
        out += s.at(i);
        ++i;
        digits = true;
    }
    if (withFraction && i < n && s.at(i) == u'.') {
        QString fraction = QStringLiteral(".");
        ++i;
        while (i < n && s.at(i) >= u'0' && s.at(i) <= u'9') {
            fraction += s.at(i);
            ++i;
            digits = true;
        }
        out += fraction;
    }
    return digits ? out : QString();
}
} // namespace

double leadingDoubleValue(QString const& text) {
    QString const number = leadingNumberText(text, true);
    if (number.isEmpty()) {
        return 0.0;
    }
    // QString::toDouble reads the C form whatever the process locale says.
    bool ok = false;
    double const value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

int leadingIntValue(QString const& text) {
    QString const number = leadingNumberText(text, false);
    if (number.isEmpty()) {
        return 0;
    }
    bool const negative = number.at(0) == u'-';
    long long value = 0;
    for (QChar const c : number) {
        if (c < u'0' || c > u'9') {
            continue;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            break; // saturated; the rest cannot bring it back
        }
    }
    if (negative) {
        return value > static_cast<long long>(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}
