// Gathers what the wake check looks at: systemd and logind, the wake-up helper, the RTC and
// adjtime, how far ahead the RTC alarm reaches (the helper's probe), whose alarm it holds,
// the "Start at login" entry and the display manager's automatic login. It waits for outside
// calls, each with a deadline (logind 5 s, the list of timers 5 s, the probe as long as a
// tool run), so it runs off the main thread. Every path can be pointed at a test's folder.
#pragma once

#include "platform/WakeFacts.h"

#include <QString>

#include <functional>
#include <string>

class IPrivilegedOps;
class ISettings;

class WakeFactsReader {
public:
    static constexpr int kBusDeadlineMs = 5000;
    static constexpr int kListDeadlineMs = 5000;

    struct Paths {
        std::string sysfs = RtcFacts::kSysfsRoot;
        std::string adjtime = RtcFacts::kAdjtimePath;
        std::string run = "/run";
        std::string root; // stands for / when reading the display manager's files
        std::string systemctl = "/usr/bin/systemctl";
        QString autostartEntry; // the "Start at login" entry
        std::string history;    // the recording history's file ("" : none)
        bool systemBus = true;  // false: no system bus is asked (as where there is none)
    };

    Paths paths;
    IPrivilegedOps* privileged = nullptr; // none: no probe
    ISettings* settings = nullptr;        // read for what matters; the probe's finding is kept
    std::function<WakeFacts::Helper()> helper;

    // Any thread. Blocks up to the deadlines above (and the probe's).
    WakeFacts read() const;

private:
    WakeFacts::Bus pingLogind() const;
    std::optional<std::vector<std::int64_t>> listWakeUps() const;
    std::optional<JournalEntry> lastReplacement() const;
    void probe(WakeFacts& facts) const;
};
