// The reservations as an iCalendar (RFC 5545) text, for importing into a calendar.
//
// One VEVENT per reservation that is switched on and still to come; times in UTC; a weekly
// reservation repeats with RRULE:FREQ=WEEKLY;BYDAY=… Lines end in CRLF and are folded at
// 75 octets without splitting a UTF-8 character. A reservation keeps its UID from one
// export to the next, also when the list renumbers it or a weekly one moves on a week.
#pragma once

#include "store/Reservation.h"

#include <functional>
#include <string>
#include <vector>

// The station of a band and frequency (no band bits), "" when none is known.
using StationLookup = std::function<std::string(bool fm, uint32_t freq)>;

// now: the export's time stamp (DTSTAMP), seconds since 1970 UTC. Weekdays and the
// weekly UID read the local calendar (the process's time zone).
std::string exportICalendar(std::vector<Reservation> const& records, StationLookup const& station,
                            double now);
