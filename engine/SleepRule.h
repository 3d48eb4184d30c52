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
#include <utility>

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

// nextStart: the (early) start of the next switched-on reservation after now, if any
// (seconds since 1970 UTC). recordingUntil: the late end of a recording handed over with
// margins, which is vetoed through as well (0: none). Only consulted for a sleep query with
// both settings on.
SleepAnswer answerSleepQuery(uint32_t message, SleepSettings const& settings, double now,
                             std::optional<double> nextStart, double recordingUntil = 0.0);

class SleepRule {
public:
    // The start of the next switched-on reservation after now (seconds since 1970 UTC).
    using NextStart = std::function<std::optional<double>()>;
    // The late end of the recordings handed over with margins; 0 when none.
    using RecordingUntil = std::function<double()>;

    // Nothing is owned; all must outlive the rule.
    SleepRule(ISettings& settings, NextStart nextStart, IIdleInhibitor& inhibitor);

    // One look at the rule (its owner looks about once a second): holds the inhibitor
    // exactly while an idle-sleep query would be vetoed now.
    void evaluate(double now);
    // None given: a recording under way is not looked at.
    void setRecordingUntil(RecordingUntil recordingUntil) {
        m_recordingUntil = std::move(recordingUntil);
    }
    bool vetoing() const { return m_vetoing; }

private:
    ISettings& m_settings;
    NextStart m_nextStart;
    RecordingUntil m_recordingUntil;
    IIdleInhibitor& m_inhibitor;
    bool m_vetoing = false;
};
