#include "store/CalendarExport.h"

#include "store/ReservationTitle.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>

namespace {

constexpr std::size_t kFoldOctets = 75;
char const* const kByDay[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// A TEXT value: backslash, semicolon, comma and line breaks escaped; other control
// characters, which the format does not allow, left out.
std::string escapeText(std::string const& text) {
    std::string out;
    out.reserve(text.size());
    for (char const ch : text) {
        auto const c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ';':
            out += "\\;";
            break;
        case ',':
            out += "\\,";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            if ((c < 0x20 && c != '\t') || c == 0x7F) {
                break;
            }
            out += ch;
        }
    }
    return out;
}

// One content line, folded: at most 75 octets a line, continuation lines starting with a
// space, and no UTF-8 character cut in two.
void appendLine(std::string& out, std::string const& line) {
    std::size_t pos = 0;
    std::size_t room = kFoldOctets;
    while (line.size() - pos > room) {
        std::size_t cut = pos + room;
        while (cut > pos && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        out.append(line, pos, cut - pos);
        out += "\r\n ";
        pos = cut;
        room = kFoldOctets - 1; // the leading space counts
    }
    out.append(line, pos, std::string::npos);
    out += "\r\n";
}

bool breakdown(double instant, bool utc, std::tm& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    if ((utc ? gmtime_r(&t, &out) : localtime_r(&t, &out)) == nullptr) {
        return false;
    }
    return out.tm_year + 1900 >= 1 && out.tm_year + 1900 <= 9999;
}

bool utcStamp(double instant, std::string& out) {
    std::tm tm{};
    if (!breakdown(instant, true, tm)) {
        return false;
    }
    char text[80];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    out = text;
    return true;
}

uint64_t fnv1a(std::string const& bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (char const c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string rawTitle(Reservation const& rec) {
    return std::string(rec.title, rec.titleLength());
}

// What makes a reservation the same event from one export to the next. The list renumbers
// its ids at every start, so they take no part; a weekly reservation moves on by whole
// days, so it is known by its clock time, length and days rather than its date.
std::string eventKey(Reservation const& rec, std::tm const& localStart) {
    char head[128];
    if (rec.weekdays != 0) {
        std::snprintf(head, sizeof head, "weekly|%02d:%02d:%02d|%.0f|%u|%u|", localStart.tm_hour,
                      localStart.tm_min, localStart.tm_sec, rec.end - rec.start, rec.weekdays,
                      rec.frequency);
    } else {
        std::snprintf(head, sizeof head, "once|%.0f|%.0f|%u|", rec.start, rec.end, rec.frequency);
    }
    return head + rawTitle(rec);
}

// The days of a weekly rule, as weekdays of the UTC start: a reservation at 08:00 on a
// Monday in Japan starts on Sunday in UTC, so BYDAY must say SU.
std::string byDay(uint32_t weekdays, std::tm const& localStart, std::tm const& utcStart) {
    int const shift = (utcStart.tm_wday - localStart.tm_wday + 7) % 7;
    std::string days;
    for (int k = 0; k < 7; ++k) {
        if ((weekdays & kWeekdayBits[k]) == 0) {
            continue;
        }
        if (!days.empty()) {
            days += ',';
        }
        days += kByDay[(k + shift) % 7];
    }
    return days;
}

} // namespace

std::string exportICalendar(std::vector<Reservation> const& records, StationLookup const& station,
                            double now) {
    std::string out;
    appendLine(out, "BEGIN:VCALENDAR");
    appendLine(out, "VERSION:2.0");
    appendLine(out, "PRODID:-//Velto//Velto Timer Recorder//EN");
    appendLine(out, "CALSCALE:GREGORIAN");
    std::string stamp;
    if (!utcStamp(now, stamp)) {
        stamp = "19700101T000000Z";
    }

    std::map<std::string, int> uidsGiven; // two identical reservations still get two UIDs
    for (Reservation const& rec : records) {
        if (rec.enabled == 0 || rec.pending == 0) {
            continue;
        }
        std::string start;
        std::string end;
        std::tm localStart{};
        std::tm utcStart{};
        if (!utcStamp(rec.start, start) || !utcStamp(rec.end, end) ||
            !breakdown(rec.start, false, localStart) || !breakdown(rec.start, true, utcStart)) {
            continue; // times no calendar can hold
        }

        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(fnv1a(eventKey(rec, localStart))));
        std::string uid = std::string("resvman-") + hex;
        int const seen = ++uidsGiven[uid];
        if (seen > 1) {
            uid += "-" + std::to_string(seen);
        }

        bool const fm = (rec.frequency >> 24) != 0;
        std::string description = rec.channelText() + (fm ? " MHz" : " kHz");
        std::string const name = station ? station(fm, rec.frequency & 0xFFFFFFu) : std::string();
        if (!name.empty() && ReservationTitle::isValidUtf8(name)) {
            description += "\n" + name;
        }

        appendLine(out, "BEGIN:VEVENT");
        appendLine(out, "UID:" + uid + "@resvman");
        appendLine(out, "DTSTAMP:" + stamp);
        appendLine(out, "DTSTART:" + start);
        appendLine(out, "DTEND:" + end);
        if ((rec.weekdays & 0x7Fu) != 0) {
            appendLine(out, "RRULE:FREQ=WEEKLY;BYDAY=" + byDay(rec.weekdays, localStart, utcStart));
        }
        appendLine(out,
                   "SUMMARY:" + escapeText(ReservationTitle::text(rec).value_or(std::string())));
        appendLine(out, "DESCRIPTION:" + escapeText(description));
        appendLine(out, "END:VEVENT");
    }
    appendLine(out, "END:VCALENDAR");
    return out;
}
