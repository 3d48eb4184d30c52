// The companion's reports as history entries: what the journal matches to the hand-over.
#pragma once

#include "history/JournalEntry.h"
#include "platform/CompanionReport.h"

#include <optional>
#include <string>

// The entry for a report that arrived at `at`; freq carries the channel and the FM flag as
// the reservation file does, so that the journal can match it.
JournalEntry journalEntryOf(CompanionReport const& report, double at);
