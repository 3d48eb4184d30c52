// The program's settings: integers, written only by the power settings dialog (and what the
// wake check found out about the RTC). Every reader asks contains() first and reads the value
// only when the key is present (an absent key means the documented default). Safe to use from
// any thread.
#pragma once

#include <string>

class ISettings {
public:
    virtual ~ISettings() = default;
    virtual bool contains(std::string const& key) = 0;
    virtual long integer(std::string const& key) = 0; // 0 when absent or not a number
    virtual bool isOn(std::string const& key) = 0;    // present and not zero
    virtual void setInteger(std::string const& key, long value) = 0;
};

// The keys, as stored.
inline constexpr char const* kAllowIdleSleepKey = "SUSPENDFLAG"; // the computer may sleep when idle
inline constexpr char const* kWakeBeforeKey = "USEACPI";         // wake it before each reservation
inline constexpr char const* kWakeLeadKey = "RESTORETIME";       // minutes before the start, 3 to 9
inline constexpr char const* kShutdownAfterKey = "SHUTDOWN";     // shut it down after the last one
inline constexpr char const* kQuitCompanionKey =
    "EXITAFTERRECORD";                                     // the companion quits after recording
inline constexpr char const* kStartEarlyKey = "PADBEFORE"; // minutes recorded before, 0 to 10
inline constexpr char const* kEndLateKey = "PADAFTER";     // minutes recorded after, 0 to 30
// Times after midnight shown as 24:00-29:59 of the day before; absent: the language's way.
inline constexpr char const* kLateNightHoursKey = "LATENIGHTHOURS";
// Hours ahead the RTC alarm may be set (absent or 0: no limit known). The wake check writes
// it from what the RTC accepted; the planner relays wake-ups within it.
inline constexpr char const* kWakeAlarmLimitKey = "WAKEALARMLIMIT";
