// Text for a terminal: widths in columns (East Asian wide characters take two), lines
// wrapped at spaces or, in text written without spaces (Japanese), between characters.
#pragma once

#include <QString>

namespace TextTable {

// Columns the text takes.
int displayWidth(QString const& text);
// Lines of at most width columns, each after indent. Closing brackets and stops never
// begin a line; they may stand past its end.
QString wrapped(QString const& text, int width, QString const& indent = QString());
// The text and spaces up to width columns.
QString padded(QString const& text, int width);
// The text with each control character (C0, DEL, C1) written as a visible escape ("\n",
// "\x1b", "\u009b"), so that text from a file or another program can neither steer the
// terminal nor begin a line of its own.
QString visible(QString const& text);

} // namespace TextTable
