// The recording message the manager hands over, read into a programme, and the two reports
// that go back ("recording started", "recording finished"). Every entry is checked: a
// message from the bus is untrusted.
#pragma once
#include "platform/ICompanionBus.h"
#include "session/Programme.h"
#include "session/RecordingReport.h"

#include <optional>

namespace velto {

struct ProgrammeRequest {
    Programme programme;
    bool appTerminate = false;
};

// The programme a recording message asks for. None, with a key ("bad-message") and an
// English sentence naming the entry, when an entry is missing or of the wrong type or a
// time is not a time. A CH outside its band is left to the session, which reports it.
std::optional<ProgrammeRequest> readProgrammeMessage(const CompanionValues& values,
                                                     SourceError& error);

// The entries that let the manager match a report to its reservation (Title, RecStartTime,
// RecEndTime, BAND, CH), as they were handed over.
CompanionValues matchingEntries(const Programme& programme);
// The same from a message that could not be read: those of its entries that have the
// right type.
CompanionValues matchingEntries(const CompanionValues& received);

// The two reports in the manager's format (platform/CompanionReport.h). Texts longer than
// the format allows (a title of thousands of bytes, a reason quoting one) are cut at a
// character boundary, so that the manager still takes the report.
CompanionValues startedReport(const RecordingStarted& started);
CompanionValues finishedReport(const RecordingReport& report);
// A message refused before it reached the session: its well-typed matching entries and why.
CompanionValues refusedReport(const CompanionValues& received, const SourceError& why);

} // namespace velto
