#include "engine/SleepRule.h"

SleepSettings ReadSleepSettings(IUserDefaults& defaults) {
    SleepSettings settings;
    settings.suspendFlag = defaults.objectForKey(kDefaultsSuspendFlag) &&
                           defaults.integerForKey(kDefaultsSuspendFlag) != 0;
    settings.useAcpi =
        defaults.objectForKey(kDefaultsUseAcpi) && defaults.integerForKey(kDefaultsUseAcpi) != 0;
    if (defaults.objectForKey(kDefaultsRestoreTime)) {
        settings.restoreMinutes = defaults.integerForKey(kDefaultsRestoreTime);
    }
    return settings;
}

SleepAnswer MySleepCallBack(uint32_t messageType, SleepSettings const& settings, double now,
                            std::optional<double> nextStart) {
    if (messageType == kIOMessageSystemWillSleep) {
        return SleepAnswer::Allow;
    }
    if (messageType != kIOMessageCanSystemSleep) {
        return SleepAnswer::NoAnswer;
    }
    if (!settings.suspendFlag) {
        return SleepAnswer::Veto;
    }
    if (!settings.useAcpi || !nextStart) {
        return SleepAnswer::Allow;
    }
    // Inside the wake lead the planned wake-up would come too late.
    double const wakeAt = *nextStart - static_cast<double>(settings.restoreMinutes) * 60.0;
    return now > wakeAt ? SleepAnswer::Veto : SleepAnswer::Allow;
}
