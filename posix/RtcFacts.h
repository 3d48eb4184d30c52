// What the kernel and /etc/adjtime tell about the real-time clock (RTC): whether there is
// one with a wake alarm, the alarm now pending, how its clock reads against the system's,
// how it keeps time, and how many wake-ups it has caused. Every path lies below a root a
// test can point at a folder. Plain C++: the planner reads it on its own thread.
#pragma once

#include "protocol/ScheduleArguments.h"

#include <cstdint>
#include <optional>
#include <string>

struct RtcFacts {
    static constexpr char const* kSysfsRoot = "/sys";
    static constexpr char const* kAdjtimePath = "/etc/adjtime";
    // How far the RTC's clock may stray from the system's and still count as the same.
    static constexpr long kClockTolerance = 120;

    // The third line of adjtime: how hwclock and timedatectl take the RTC. Missing means
    // UTC to both.
    enum class Adjtime { Missing, Utc, Local, Unreadable };

    bool present = false;              // <sysfs>/class/rtc/rtc0
    bool wakeAlarm = false;            // it has a wakealarm
    bool wakeEnabled = true;           // the kernel lets its device wake the machine
    std::optional<std::int64_t> alarm; // the pending alarm, as the RTC reads its clock
    std::optional<std::int64_t> clock; // since_epoch: the RTC's clock read as if UTC
    Adjtime adjtime = Adjtime::Missing;
    std::optional<std::uint64_t> wakeEvents; // events counted by the RTC's wakeup source

    static RtcFacts read(std::string const& sysfsRoot = kSysfsRoot,
                         std::string const& adjtimePath = kAdjtimePath);
    // Only the count of wake-up events (read before and after a test wake-up).
    static std::optional<std::uint64_t> readWakeEvents(std::string const& sysfsRoot);

    // How the RTC keeps time. Its clock decides where it reads the system's time (UTC) or
    // the zone's local time (and the two differ); otherwise adjtime does.
    struct Judgement {
        schedule::RtcClock clock = schedule::RtcClock::Utc;
        bool measured = false; // the RTC's clock decided
        long offset = 0;       // the RTC's clock less the system's, when read
    };
    Judgement judgeClock(std::int64_t now, long zoneOffset) const;
};

// Seconds the process's time zone is ahead of UTC at that instant.
long zoneOffsetAt(std::int64_t unixTime);
