// Time zones for tests: one switched for a scope, and instants written in UTC.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

// Switches the process's zone for one test and restores the pinned one.
class ZoneScope {
public:
    explicit ZoneScope(char const* zone) : m_old(std::getenv("TZ") ? std::getenv("TZ") : "") {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        setenv("TZ", m_old.c_str(), 1);
        tzset();
    }

private:
    std::string m_old;
};

// Seconds since 1970 of a date and time in UTC.
inline double utc(int year, int month, int day, int hour, int minute) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    return static_cast<double>(timegm(&fields));
}
