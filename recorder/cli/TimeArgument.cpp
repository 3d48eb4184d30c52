#include "cli/TimeArgument.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace velto {

namespace {
// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

bool digits(std::string_view s, std::size_t at, std::size_t n, int& value) {
    if (at + n > s.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

std::optional<std::chrono::system_clock::time_point> iso(std::string_view s) {
    int year, month, day, hour, minute, second = 0;
    if (!digits(s, 0, 4, year) || s.size() < 16 || s[4] != '-' || !digits(s, 5, 2, month) ||
        s[7] != '-' || !digits(s, 8, 2, day) || (s[10] != 'T' && s[10] != ' ') ||
        !digits(s, 11, 2, hour) || s[13] != ':' || !digits(s, 14, 2, minute))
        return std::nullopt;
    std::size_t at = 16;
    if (at < s.size() && s[at] == ':') {
        if (!digits(s, at + 1, 2, second))
            return std::nullopt;
        at += 3;
    }
    int offsetMinutes = 0;
    if (at < s.size() && s[at] == 'Z') {
        ++at;
    } else if (at < s.size() && (s[at] == '+' || s[at] == '-')) {
        const int sign = s[at] == '-' ? -1 : 1;
        int oh, om;
        if (!digits(s, at + 1, 2, oh))
            return std::nullopt;
        std::size_t m = at + 3;
        if (m < s.size() && s[m] == ':')
            ++m;
        if (!digits(s, m, 2, om) || oh > 23 || om > 59)
            return std::nullopt;
        offsetMinutes = sign * (oh * 60 + om);
        at = m + 2;
    } else {
        return std::nullopt; // a time without its offset is ambiguous
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (at != s.size() || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && leapYear(year)) || hour > 23 || minute > 59 ||
        second > 60)
        return std::nullopt;
    const std::int64_t seconds = daysFromCivil(year, unsigned(month), unsigned(day)) * 86400 +
                                 hour * 3600 + minute * 60 + second - offsetMinutes * 60;
    return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
}
} // namespace

std::optional<std::chrono::system_clock::time_point> parseTimeArgument(std::string_view text) {
    if (text.empty() || text.size() > 40)
        return std::nullopt;
    if (text.find_first_not_of("0123456789.") == std::string_view::npos) {
        double seconds = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        // Up to the year 9999.
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
            seconds > 253402300799.0)
            return std::nullopt;
        return std::chrono::system_clock::time_point(
            std::chrono::duration_cast<std::chrono::system_clock::duration>(
                std::chrono::duration<double>(seconds)));
    }
    return iso(text);
}

} // namespace velto
