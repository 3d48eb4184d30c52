// Whether the computer may fall asleep by itself now: the answer to the system's sleep
// messages, as a pure function of the message, the power settings, the present moment and
// the start of the next reservation; and the rule that holds the idle inhibitor exactly
// while an idle-sleep query would be refused.
#pragma once

#include "platform/IIdleInhibitor.h"
#include "platform/ISettings.h"

#include <cstdint>
#include <functional>
#include <optional>

inline constexpr uint32_t kCanSleepQuery = 0xE0000270;   // may the system sleep?
inline constexpr uint32_t kWillSleepNotice = 0xE0000280; // it is going to sleep

enum class SleepAnswer { NoAnswer, Allow, Veto };

struct SleepSettings {
    bool allowIdleSleep = false; // SUSPENDFLAG present and not 0
    bool wakeBefore = false;     // USEACPI present and not 0
    long wakeLeadMinutes = 5;    // RESTORETIME when present, else 5
};

// Reads the three keys with the presence-then-value rule.
SleepSettings readSleepSettings(ISettings& settings);

// nextStart: the start of the next switched-on reservation after now, if any (seconds
// since 1970 UTC). Only consulted for a sleep query with both settings on.
SleepAnswer answerSleepQuery(uint32_t message, SleepSettings const& settings, double now,
                             std::optional<double> nextStart);

class SleepRule {
public:
    // The start of the next switched-on reservation after now (seconds since 1970 UTC).
    using NextStart = std::function<std::optional<double>()>;

    // Nothing is owned; all must outlive the rule.
    SleepRule(ISettings& settings, NextStart nextStart, IIdleInhibitor& inhibitor);

    // One look at the rule (its owner looks about once a second): holds the inhibitor
    // exactly while an idle-sleep query would be vetoed now.
    void evaluate(double now);
    bool vetoing() const { return m_vetoing; }

private:
    ISettings& m_settings;
    NextStart m_nextStart;
    IIdleInhibitor& m_inhibitor;
    bool m_vetoing = false;
};
