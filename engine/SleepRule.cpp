#include "engine/SleepRule.h"

SleepSettings readSleepSettings(ISettings& settings) {
    SleepSettings read;
    read.allowIdleSleep =
        settings.contains(kAllowIdleSleepKey) && settings.integer(kAllowIdleSleepKey) != 0;
    read.wakeBefore = settings.contains(kWakeBeforeKey) && settings.integer(kWakeBeforeKey) != 0;
    if (settings.contains(kWakeLeadKey)) {
        read.wakeLeadMinutes = settings.integer(kWakeLeadKey);
    }
    return read;
}

SleepAnswer answerSleepQuery(uint32_t message, SleepSettings const& settings, double now,
                             std::optional<double> nextStart, double recordingUntil) {
    if (message == kWillSleepNotice) {
        return SleepAnswer::Allow;
    }
    if (message != kCanSleepQuery) {
        return SleepAnswer::NoAnswer;
    }
    if (!settings.allowIdleSleep) {
        return SleepAnswer::Veto;
    }
    if (!settings.wakeBefore) {
        return SleepAnswer::Allow;
    }
    // Through the whole recording span, late margin included.
    if (now < recordingUntil) {
        return SleepAnswer::Veto;
    }
    if (!nextStart) {
        return SleepAnswer::Allow;
    }
    // Inside the wake lead the planned wake-up would come too late.
    double const wakeAt = *nextStart - static_cast<double>(settings.wakeLeadMinutes) * 60.0;
    return now > wakeAt ? SleepAnswer::Veto : SleepAnswer::Allow;
}

SleepRule::SleepRule(ISettings& settings, NextStart nextStart, IIdleInhibitor& inhibitor)
    : m_settings(settings), m_nextStart(std::move(nextStart)), m_inhibitor(inhibitor) {}

void SleepRule::evaluate(double now) {
    SleepSettings const settings = readSleepSettings(m_settings);
    // The list is only asked when the answer depends on it.
    std::optional<double> next;
    double recordingUntil = 0.0;
    if (settings.allowIdleSleep && settings.wakeBefore) {
        if (m_nextStart) {
            next = m_nextStart();
        }
        if (m_recordingUntil) {
            recordingUntil = m_recordingUntil();
        }
    }
    m_vetoing =
        answerSleepQuery(kCanSleepQuery, settings, now, next, recordingUntil) == SleepAnswer::Veto;
    m_inhibitor.setInhibited(m_vetoing);
}
