#include "engine/CompanionReports.h"

JournalEntry journalEntryOf(CompanionReport const& report, double at) {
    JournalEntry entry;
    entry.kind = report.kind == ReportKind::Started ? JournalKind::RecordingStarted
                                                    : JournalKind::RecordingFinished;
    entry.at = at;
    entry.title = report.title;
    entry.freq = static_cast<uint32_t>(report.ch) & 0xFFFFu;
    if (report.band == "FM") {
        entry.freq |= 1u << 24;
    }
    entry.start = report.recStartTime;
    entry.end = report.recEndTime;
    entry.source = report.source;
    if (report.kind == ReportKind::Finished) {
        entry.result = report.result == ReportResult::Recorded  ? RecordingOutcome::Recorded
                       : report.result == ReportResult::Partial ? RecordingOutcome::Partial
                                                                : RecordingOutcome::Failed;
        entry.file = report.file;
        entry.seconds = report.seconds;
        entry.reasonKey = report.reason;
        entry.reasonText = report.reasonText;
        entry.dropouts = report.dropouts;
    }
    return entry;
}
