#include "session/RecordingReport.h"

namespace velto {

const char* resultName(RecordingResult result) {
    switch (result) {
    case RecordingResult::Recorded:
        return "recorded";
    case RecordingResult::Partial:
        return "partial";
    case RecordingResult::Failed:
        break;
    }
    return "failed";
}

} // namespace velto
