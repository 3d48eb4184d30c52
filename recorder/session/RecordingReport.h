#pragma once
#include "session/Programme.h"
#include "sources/AudioSource.h"

#include <string>
#include <vector>

namespace velto {

enum class RecordingResult { Recorded, Partial, Failed };

// "recorded", "partial", "failed": the words the report to the manager carries.
const char* resultName(RecordingResult result);

// What became of one programme. Reason keys: "" (recorded), "already-over", "bad-channel",
// "bad-times", "overlapped",
// "started-late", "source-lost", "stopped", "disk-full", "write-failed", "folder-unwritable",
// the sources' own ("no-receiver", "bad-source", "capture-ended", …).
struct RecordingReport {
    Programme programme;
    std::string file;   // the finished file; empty when none was made
    double seconds = 0; // sound written, silence filling dropouts included
    RecordingResult result = RecordingResult::Failed;
    std::string reasonKey;
    std::string reasonText;
    int dropouts = 0;
    std::string sourceKind; // "receiver", "stream"; empty when no source was made
    // What went out as warnings while it recorded ("low-space", "stream-fallback",
    // "no-signal", …), in order.
    std::vector<SourceError> warnings;
};

// The moment a recording begins, for the "started" report and the window.
struct RecordingStarted {
    Programme programme;
    std::string partFile; // being written; renamed without ".part" at the end
    std::string sourceKind;
    int channels = 2;
};

} // namespace velto
