#include "session/ProgrammeNote.h"

#include <charconv>
#include <map>

namespace velto {

namespace {
constexpr char kFirstLine[] = "velto-programme 1";

// One value per line: the title's line breaks and backslashes are escaped.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

bool unescaped(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        if (text[i] == '\\')
            out += '\\';
        else if (text[i] == 'n')
            out += '\n';
        else if (text[i] == 'r')
            out += '\r';
        else
            return false;
    }
    return true;
}

template <typename Number> bool number(const std::string& text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool plainWord(const std::string& text) {
    if (text.size() > 32)
        return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || c == '-'))
            return false;
    return true;
}
} // namespace

std::string programmeNoteText(const Programme& programme, const std::string& sourceKind) {
    // The instants in the clock's own ticks: read back, they are exactly those handed over.
    return std::string(kFirstLine) + "\nTitle=" + escaped(programme.title) +
           "\nStart=" + std::to_string(programme.start.time_since_epoch().count()) +
           "\nEnd=" + std::to_string(programme.end.time_since_epoch().count()) +
           "\nBand=" + bandName(programme.station.band) +
           "\nChannel=" + std::to_string(programme.station.channel) +
           "\nStation=" + escaped(programme.stationName) + "\nSource=" + sourceKind + "\n";
}

bool readProgrammeNote(const std::string& text, Programme& programme, std::string& sourceKind,
                       std::string& why) {
    std::map<std::string, std::string> values;
    std::size_t at = 0;
    bool first = true;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            why = "the note's last line is cut short";
            return false;
        }
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (first) {
            if (line != kFirstLine) {
                why = "it is not a programme note";
                return false;
            }
            first = false;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos ||
            !values.emplace(line.substr(0, equals), line.substr(equals + 1)).second) {
            why = "a line is not a single \"key=value\"";
            return false;
        }
    }
    for (const char* key : {"Title", "Start", "End", "Band", "Channel", "Station", "Source"}) {
        if (!values.count(key)) {
            why = std::string("it has no ") + key;
            return false;
        }
    }
    Programme read;
    using TimePoint = std::chrono::system_clock::time_point;
    TimePoint::rep start = 0, end = 0;
    const auto band = bandFromName(values["Band"]);
    if (first || values.size() != 7 || !unescaped(values["Title"], read.title) ||
        !unescaped(values["Station"], read.stationName) || !number(values["Start"], start) ||
        !number(values["End"], end) || !band || !number(values["Channel"], read.station.channel) ||
        !plainWord(values["Source"])) {
        why = "its entries are missing or malformed";
        return false;
    }
    read.station.band = *band;
    read.start = TimePoint(TimePoint::duration(start));
    read.end = TimePoint(TimePoint::duration(end));
    std::string stationWhy;
    if (read.end <= read.start || !read.station.valid(stationWhy)) {
        why = "its times or its station are not a programme's";
        return false;
    }
    programme = std::move(read);
    sourceKind = values["Source"];
    return true;
}

} // namespace velto
