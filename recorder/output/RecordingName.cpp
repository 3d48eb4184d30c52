#include "output/RecordingName.h"

#include <ctime>

namespace velto {

namespace {
// Length of the UTF-8 sequence starting at `at`, or 0 when it is not a valid one.
std::size_t sequenceLength(std::string_view s, std::size_t at) {
    const auto b = static_cast<unsigned char>(s[at]);
    std::size_t n;
    char32_t lowest;
    if (b < 0x80)
        return 1;
    if ((b & 0xe0) == 0xc0) {
        n = 2;
        lowest = 0x80;
    } else if ((b & 0xf0) == 0xe0) {
        n = 3;
        lowest = 0x800;
    } else if ((b & 0xf8) == 0xf0) {
        n = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + n > s.size())
        return 0;
    char32_t code = b & (0x7f >> n);
    for (std::size_t i = 1; i < n; ++i) {
        const auto c = static_cast<unsigned char>(s[at + i]);
        if ((c & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (c & 0x3f);
    }
    // Overlong forms, surrogates and beyond Unicode are not characters.
    if (code < lowest || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff)
        return 0;
    // C1 controls (U+0080 to U+009F) are control characters too.
    if (code >= 0x80 && code <= 0x9f)
        return std::size_t(-1);
    return n;
}

std::string clean(std::string_view title, std::size_t limit, bool forFileName) {
    std::string out;
    for (std::size_t at = 0; at < title.size();) {
        const std::size_t n = sequenceLength(title, at);
        std::string_view piece;
        if (n == 0) {
            piece = "\xef\xbf\xbd"; // U+FFFD for a broken byte
            at += 1;
        } else if (n == std::size_t(-1)) {
            piece = " ";
            at += 2;
        } else {
            piece = title.substr(at, n);
            at += n;
            if (n == 1 && (static_cast<unsigned char>(piece[0]) < 0x20 || piece[0] == 0x7f))
                piece = " ";
            else if (forFileName && piece == "/")
                piece = "-";
        }
        if (out.size() + piece.size() > limit)
            break;
        out += piece;
    }
    // Spaces at either end (and those control characters became) say nothing.
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return forFileName ? "Recording" : "";
    out = out.substr(first, out.find_last_not_of(' ') - first + 1);
    // A name of dots alone would be read as a folder by some tools.
    if (forFileName && out.find_first_not_of('.') == std::string::npos)
        out = "Recording " + out;
    return out;
}
} // namespace

std::string safeTitle(std::string_view title, std::size_t limit) {
    return clean(title, limit, true);
}

std::string tagText(std::string_view text) {
    return clean(text, 4096, false);
}

std::string recordingStem(std::chrono::system_clock::time_point start, std::string_view title) {
    const std::time_t t = std::chrono::system_clock::to_time_t(start);
    std::tm local{};
    localtime_r(&t, &local);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H%M", &local);
    return std::string(when) + " " + safeTitle(title);
}

std::string localIsoTime(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    // ISO 8601 wants the offset as +09:00.
    std::string iso(text);
    if (iso.size() >= 5)
        iso.insert(iso.size() - 2, ":");
    return iso;
}

} // namespace velto
