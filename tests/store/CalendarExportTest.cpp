// The iCalendar export: line form (CRLF, folding that never cuts a character), escaping,
// which reservations become events, weekly rules in UTC weekdays, and UIDs that survive a
// renumbering and a weekly reservation's move to its next week.
#include "store/CalendarExport.h"
#include "store/ReservationTitle.h"

#include "StoreTestUtil.h"

#include <ctime>
#include <regex>

namespace {

using storetest::kDay;
using storetest::makeRec;

class ZoneGuard {
public:
    explicit ZoneGuard(char const* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        unsetenv("TZ");
        tzset();
    }
};

// A UTC instant from its calendar fields.
double utc(int y, int mo, int d, int h, int mi) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    return static_cast<double>(timegm(&tm));
}

std::vector<std::string> linesOf(std::string const& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (std::size_t crlf; (crlf = text.find("\r\n", pos)) != std::string::npos; pos = crlf + 2) {
        lines.push_back(text.substr(pos, crlf - pos));
    }
    EXPECT_EQ(pos, text.size()) << "text after the last CRLF";
    return lines;
}

std::string unfolded(std::string const& text) {
    return std::regex_replace(text, std::regex("\r\n "), "");
}

// The value of the first property called name inside the n-th VEVENT ("" when none).
std::string propertyOf(std::string const& text, int event, std::string const& name) {
    int seen = -1;
    for (std::string const& line : linesOf(unfolded(text))) {
        if (line == "BEGIN:VEVENT") {
            ++seen;
        } else if (seen == event && line.rfind(name + ":", 0) == 0) {
            return line.substr(name.size() + 1);
        }
    }
    return "";
}

int eventCount(std::string const& text) {
    int n = 0;
    for (std::string const& line : linesOf(text)) {
        n += line == "BEGIN:VEVENT" ? 1 : 0;
    }
    return n;
}

std::string noStation(bool, uint32_t) {
    return "";
}

constexpr double kNow = 1'735'689'600.0; // 2025-01-01 00:00 UTC

} // namespace

TEST(CalendarExport, LinesAreFoldedAtOctetsWithoutCuttingCharacters) {
    // 85 three-byte characters, 255 bytes: the longest title there is.
    std::string title;
    for (int i = 0; i < 85; ++i) {
        title += "録";
    }
    Reservation rec =
        makeRec(utc(2025, 3, 1, 11, 0), utc(2025, 3, 1, 12, 0), 0x01001F40, title.c_str());
    std::string const text = exportICalendar(
        {rec}, [](bool, uint32_t) { return std::string("テスト放送FM, 第2"); }, kNow);

    for (std::string const& line : linesOf(text)) {
        EXPECT_LE(line.size(), 75u) << line;
        // Each physical line is whole UTF-8 by itself: no character was cut.
        EXPECT_TRUE(ReservationTitle::text(makeRec(0, 1, 1, line.c_str()))) << line;
    }
    EXPECT_EQ(propertyOf(text, 0, "SUMMARY"), title);
    EXPECT_EQ(propertyOf(text, 0, "DESCRIPTION"), "FM 80.0 MHz\\nテスト放送FM\\, 第2");
    EXPECT_EQ(propertyOf(text, 0, "DTSTART"), "20250301T110000Z");
    EXPECT_EQ(propertyOf(text, 0, "DTEND"), "20250301T120000Z");
    EXPECT_EQ(propertyOf(text, 0, "DTSTAMP"), "20250101T000000Z");
    EXPECT_EQ(propertyOf(text, 0, "RRULE"), "");
    EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n", 0), 0u);
    EXPECT_TRUE(text.ends_with("END:VEVENT\r\nEND:VCALENDAR\r\n"));
}

TEST(CalendarExport, TextIsEscapedAndBadTextLeftOut) {
    struct Case {
        char const* title;
        char const* summary;
    } const cases[] = {
        {"a,b;c\\d", "a\\,b\\;c\\\\d"},
        {"two\nlines\r", "two\\nlines"},
        {"bell\x07 tab\t del\x7f", "bell tab\t del"},
        {"\xC3\x28 broken UTF-8", ""}, // the table shows such a title as empty too
        {"\xE0\x80\xAF overlong", ""},
    };
    for (Case const& c : cases) {
        Reservation const rec =
            makeRec(utc(2025, 3, 1, 11, 0), utc(2025, 3, 1, 12, 0), 954, c.title);
        std::string const text = exportICalendar({rec}, noStation, kNow);
        EXPECT_EQ(propertyOf(text, 0, "SUMMARY"), c.summary) << c.title;
        EXPECT_EQ(propertyOf(text, 0, "DESCRIPTION"), "AM 954 kHz");
    }
}

TEST(CalendarExport, OnlySwitchedOnReservationsStillToComeBecomeEvents) {
    double const start = utc(2025, 3, 1, 11, 0);
    Reservation on = makeRec(start, start + 3600, 954, "on");
    Reservation off = makeRec(start, start + 3600, 954, "off", 0);
    Reservation over = makeRec(start, start + 3600, 954, "over");
    over.pending = 0;
    Reservation damaged = makeRec(std::nan(""), start, 954, "damaged");
    std::string const text = exportICalendar({off, on, over, damaged}, noStation, kNow);
    EXPECT_EQ(eventCount(text), 1);
    EXPECT_EQ(propertyOf(text, 0, "SUMMARY"), "on");
}

TEST(CalendarExport, WeeklyDaysAreTheWeekdaysOfTheUtcStart) {
    struct Case {
        char const* zone;
        double start; // a UTC instant
        uint32_t week;
        char const* byday;
    } const cases[] = {
        // Monday 08:00 in Japan is Sunday 23:00 UTC.
        {"Asia/Tokyo", utc(2025, 3, 2, 23, 0), 2, "SU"},
        // Monday and Wednesday 08:00 in Japan.
        {"Asia/Tokyo", utc(2025, 3, 2, 23, 0), 2 | 8, "SU,TU"},
        // Monday 20:00 in Japan is Monday 11:00 UTC.
        {"Asia/Tokyo", utc(2025, 3, 3, 11, 0), 2, "MO"},
        // Saturday 21:00 in New York is Sunday 02:00 UTC.
        {"America/New_York", utc(2025, 3, 2, 2, 0), 64, "SU"},
        // Every day stays every day.
        {"Asia/Tokyo", utc(2025, 3, 2, 23, 0), 127, "MO,TU,WE,TH,FR,SA,SU"},
    };
    for (Case const& c : cases) {
        ZoneGuard zone(c.zone);
        Reservation rec = makeRec(c.start, c.start + 1800, 954, "weekly");
        rec.weekdays = c.week;
        std::string const text = exportICalendar({rec}, noStation, kNow);
        std::string const rule = propertyOf(text, 0, "RRULE");
        ASSERT_EQ(rule.rfind("FREQ=WEEKLY;BYDAY=", 0), 0u) << c.zone << " " << rule;
        // Compared as sets: the order of the days carries no meaning.
        auto days = [](std::string const& list) {
            std::vector<std::string> out;
            for (std::size_t i = 0; i < list.size(); i += 3) {
                out.push_back(list.substr(i, 2));
            }
            std::sort(out.begin(), out.end());
            return out;
        };
        std::vector<std::string> const got = days(rule.substr(18));
        std::vector<std::string> const want = days(c.byday);
        EXPECT_EQ(got, want) << c.zone << " " << rule;
    }
}

TEST(CalendarExport, UidsSurviveRenumberingAndTheWeeklyMoveAndAreUnique) {
    ZoneGuard zone("Asia/Tokyo");
    double const start = utc(2025, 3, 2, 23, 0);
    Reservation weekly = makeRec(start, start + 1800, 954, "weekly");
    weekly.weekdays = 2;
    Reservation once = makeRec(start + 7200, start + 9000, 954, "once");
    Reservation twin = once;

    std::string const first = exportICalendar({weekly, once, twin}, noStation, kNow);
    weekly.id = 7;
    once.id = 3;
    twin.id = 4;
    weekly.start += 7 * kDay; // the recording went by: next week's occurrence
    weekly.end += 7 * kDay;
    std::string const later = exportICalendar({weekly, once, twin}, noStation, kNow + kDay);

    for (int event = 0; event < 3; ++event) {
        EXPECT_EQ(propertyOf(first, event, "UID"), propertyOf(later, event, "UID")) << event;
    }
    EXPECT_NE(propertyOf(first, 1, "UID"), propertyOf(first, 2, "UID"));
    EXPECT_NE(propertyOf(first, 0, "UID"), propertyOf(first, 1, "UID"));

    Reservation renamed = once;
    std::strcpy(renamed.title, "renamed");
    EXPECT_NE(propertyOf(exportICalendar({renamed}, noStation, kNow), 0, "UID"),
              propertyOf(first, 1, "UID"));
}
