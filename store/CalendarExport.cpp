#include "store/CalendarExport.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>

namespace {

constexpr std::size_t kFoldOctets = 75;
char const* const kByDay[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// Strict UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool IsValidUtf8(std::string const& text) {
    auto const* p = reinterpret_cast<unsigned char const*>(text.data());
    std::size_t const n = text.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char const c = p[i];
        std::size_t length = 0;
        uint32_t value = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            value = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (p[i + k] & 0x3F);
        }
        if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
            (length == 4 && (value < 0x10000 || value > 0x10FFFF))) {
            return false;
        }
        i += length;
    }
    return true;
}

// A TEXT value: backslash, semicolon, comma and line breaks escaped; other control
// characters, which the format does not allow, left out.
std::string EscapeText(std::string const& text) {
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
void AppendLine(std::string& out, std::string const& line) {
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

bool Breakdown(double instant, bool utc, std::tm& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    std::time_t const t = static_cast<std::time_t>(std::floor(instant));
    if ((utc ? gmtime_r(&t, &out) : localtime_r(&t, &out)) == nullptr) {
        return false;
    }
    return out.tm_year + 1900 >= 1 && out.tm_year + 1900 <= 9999;
}

bool UtcStamp(double instant, std::string& out) {
    std::tm tm{};
    if (!Breakdown(instant, true, tm)) {
        return false;
    }
    char text[80];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    out = text;
    return true;
}

uint64_t Fnv1a(std::string const& bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (char const c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string RawTitle(SCHEDULEITEM_TAG const& rec) {
    return std::string(rec.cTitle, ScheduleTitleLength(rec));
}

// What makes a reservation the same event from one export to the next. The list renumbers
// its ids at every start, so they take no part; a weekly reservation moves on by whole
// days, so it is known by its clock time, length and days rather than its date.
std::string EventKey(SCHEDULEITEM_TAG const& rec, std::tm const& localStart) {
    char head[128];
    if (rec.uWeek != 0) {
        std::snprintf(head, sizeof head, "weekly|%02d:%02d:%02d|%.0f|%u|%u|", localStart.tm_hour,
                      localStart.tm_min, localStart.tm_sec, rec.dEndTime - rec.dStartTime,
                      rec.uWeek, rec.uFreq);
    } else {
        std::snprintf(head, sizeof head, "once|%.0f|%.0f|%u|", rec.dStartTime, rec.dEndTime,
                      rec.uFreq);
    }
    return head + RawTitle(rec);
}

// The days of a weekly rule, as weekdays of the UTC start: a reservation at 08:00 on a
// Monday in Japan starts on Sunday in UTC, so BYDAY must say SU.
std::string ByDay(uint32_t uWeek, std::tm const& localStart, std::tm const& utcStart) {
    int const shift = (utcStart.tm_wday - localStart.tm_wday + 7) % 7;
    std::string days;
    for (int k = 0; k < 7; ++k) {
        if ((uWeek & kWeeklyKeys[k]) == 0) {
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

std::string ScheduleTitleText(SCHEDULEITEM_TAG const& rec) {
    std::string title = RawTitle(rec);
    return IsValidUtf8(title) ? title : std::string();
}

std::string ChannelText(uint32_t uFreq) {
    char text[32];
    uint32_t const freq = uFreq & 0xFFFFFFu;
    if ((uFreq >> 24) == 0) {
        std::snprintf(text, sizeof text, "AM %d", static_cast<int>(freq));
    } else {
        std::snprintf(text, sizeof text, "FM %.1f", static_cast<double>(freq) / 100.0);
    }
    return text;
}

std::string ExportICalendar(std::vector<SCHEDULEITEM_TAG> const& records,
                            StationLookup const& station, double now) {
    std::string out;
    AppendLine(out, "BEGIN:VCALENDAR");
    AppendLine(out, "VERSION:2.0");
    AppendLine(out, "PRODID:-//Velto//Velto Timer Recorder//EN");
    AppendLine(out, "CALSCALE:GREGORIAN");
    std::string stamp;
    if (!UtcStamp(now, stamp)) {
        stamp = "19700101T000000Z";
    }

    std::map<std::string, int> uidsGiven; // two identical reservations still get two UIDs
    for (SCHEDULEITEM_TAG const& rec : records) {
        if (rec.cValid == 0 || rec.cPending == 0) {
            continue;
        }
        std::string start;
        std::string end;
        std::tm localStart{};
        std::tm utcStart{};
        if (!UtcStamp(rec.dStartTime, start) || !UtcStamp(rec.dEndTime, end) ||
            !Breakdown(rec.dStartTime, false, localStart) ||
            !Breakdown(rec.dStartTime, true, utcStart)) {
            continue; // times no calendar can hold
        }

        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(Fnv1a(EventKey(rec, localStart))));
        std::string uid = std::string("resvman-") + hex;
        int const seen = ++uidsGiven[uid];
        if (seen > 1) {
            uid += "-" + std::to_string(seen);
        }

        bool const fm = (rec.uFreq >> 24) != 0;
        std::string description = ChannelText(rec.uFreq) + (fm ? " MHz" : " kHz");
        std::string const name = station ? station(fm, rec.uFreq & 0xFFFFFFu) : std::string();
        if (!name.empty() && IsValidUtf8(name)) {
            description += "\n" + name;
        }

        AppendLine(out, "BEGIN:VEVENT");
        AppendLine(out, "UID:" + uid + "@resvman");
        AppendLine(out, "DTSTAMP:" + stamp);
        AppendLine(out, "DTSTART:" + start);
        AppendLine(out, "DTEND:" + end);
        if ((rec.uWeek & 0x7Fu) != 0) {
            AppendLine(out, "RRULE:FREQ=WEEKLY;BYDAY=" + ByDay(rec.uWeek, localStart, utcStart));
        }
        AppendLine(out, "SUMMARY:" + EscapeText(ScheduleTitleText(rec)));
        AppendLine(out, "DESCRIPTION:" + EscapeText(description));
        AppendLine(out, "END:VEVENT");
    }
    AppendLine(out, "END:VCALENDAR");
    return out;
}
