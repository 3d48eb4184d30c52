#include "app/TextTable.h"

#include <QStringList>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

// Columns on a terminal: East Asian wide characters take two.
int charWidth(char32_t c) {
    bool const wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

} // namespace

int TextTable::displayWidth(QString const& text) {
    int width = 0;
    for (uint const c : text.toUcs4()) {
        width += charWidth(c);
    }
    return width;
}

// Lines of at most width columns, each after indent: broken at spaces, or between any two
// characters of a text written without spaces (Japanese).
QString TextTable::wrapped(QString const& text, int width, QString const& indent) {
    std::u32string const chars = text.toStdU32String();
    QStringList lines;
    std::u32string line;
    int used = 0;
    std::size_t i = 0;
    while (i < chars.size()) {
        // The next piece: a wide character, or a word with the space after it.
        std::size_t end = i + 1;
        if (charWidth(chars[i]) == 1) {
            while (end < chars.size() && chars[end - 1] != U' ' && charWidth(chars[end]) == 1) {
                ++end;
            }
        }
        std::u32string const piece = chars.substr(i, end - i);
        int pieceWidth = 0;
        for (char32_t const c : piece) {
            pieceWidth += c == U' ' ? 0 : charWidth(c);
        }
        // Closing brackets and stops never begin a line; they may stand past its end.
        bool const closing =
            piece.size() == 1 &&
            std::u32string_view(U"）」』。、，．").find(piece[0]) != std::u32string_view::npos;
        if (used > 0 && used + pieceWidth > width && !closing) {
            lines << indent + QString::fromStdU32String(line).trimmed();
            line.clear();
            used = 0;
        }
        line += piece;
        used += pieceWidth + (piece.back() == U' ' ? 1 : 0);
        i = end;
    }
    if (!line.empty()) {
        lines << indent + QString::fromStdU32String(line).trimmed();
    }
    return lines.join(QLatin1Char('\n'));
}

QString TextTable::padded(QString const& text, int width) {
    return text + QString(std::max(0, width - displayWidth(text)), QLatin1Char(' '));
}

QString TextTable::visible(QString const& text) {
    QString out;
    out.reserve(text.size());
    for (QChar const c : text) {
        char16_t const u = c.unicode();
        if (u >= 0x20 && (u < 0x7F || u > 0x9F)) {
            out += c;
        } else if (u == '\n') {
            out += QStringLiteral("\\n");
        } else if (u == '\t') {
            out += QStringLiteral("\\t");
        } else if (u == '\r') {
            out += QStringLiteral("\\r");
        } else if (u < 0x80) {
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}
