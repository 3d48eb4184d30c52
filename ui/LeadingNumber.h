// The numeric value a person means by the start of a typed text: "1134kHz" is 1134, ""
// and "abc" are 0. Leading blanks are skipped, then an optional sign, digits and an
// optional fraction; whatever follows is ignored. Full-width digits, signs, point and the
// ideographic space (typed with a Japanese input method) count as their ASCII forms.
#pragma once

#include <QString>

double leadingDoubleValue(QString const& text);
// The leading integer (a fraction is cut off); saturates at the int range.
int leadingIntValue(QString const& text);
