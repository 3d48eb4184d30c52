// The recording history: what happened to each reservation (handed over, missed, and why),
// and the facts the reasons are derived from (when the program ran, when the computer slept
// and woke, which wake-ups and shutdowns were planned). The engine and the program report
// events; the journal keeps them for a year.
//
// record() never waits for storage: the entry is written later on the journal's own
// thread, so a hand-off is never held up by the history.
#pragma once

#include "history/JournalEntry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class IRecordingJournal {
public:
    virtual ~IRecordingJournal() = default;

    // Returns at once; any thread. For a Missed entry the reason, and for a Woke entry the
    // outcome, are worked out by the journal from what it recorded before. A companion's
    // report (RecordingStarted, RecordingFinished; freq: the channel, with the FM flag) is
    // kept only when it matches a hand-over whose end is less than a day ago, once per
    // occurrence; it then takes the hand-over's freq and week.
    virtual void record(JournalEntry const& entry) = 0;

    // The newest entries first, at most limit of them (0: all).
    virtual std::vector<JournalEntry> read(std::size_t limit) = 0;

    // The miss recorded for this occurrence of a reservation, if any.
    virtual std::optional<JournalEntry> findMiss(std::string const& title, uint32_t freq,
                                                 double start, double end) = 0;
};
