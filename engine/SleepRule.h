// The answer to the system's sleep messages, as a pure function of the message, the power
// settings, the present moment and the start of the next reservation.
#pragma once

#include "platform/IUserDefaults.h"

#include <cstdint>
#include <optional>

inline constexpr uint32_t kIOMessageCanSystemSleep = 0xE0000270;   // may the system sleep?
inline constexpr uint32_t kIOMessageSystemWillSleep = 0xE0000280;  // it is going to sleep

enum class SleepAnswer { NoAnswer, Allow, Veto };

struct SleepSettings {
    bool suspendFlag = false;  // SUSPENDFLAG present and not 0
    bool useAcpi = false;      // USEACPI present and not 0
    long restoreMinutes = 5;   // RESTORETIME when present, else 5
};

// Reads the three keys with the presence-then-value rule.
SleepSettings ReadSleepSettings(IUserDefaults& defaults);

// nextStart: the start of the next enabled reservation after now, if any (seconds since
// 1970 UTC). Only consulted for a sleep query with both settings on.
SleepAnswer MySleepCallBack(uint32_t messageType, SleepSettings const& settings, double now,
                            std::optional<double> nextStart);
