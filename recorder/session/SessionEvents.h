#pragma once
#include "session/RecordingReport.h"

#include <string>

namespace velto {

// What a session tells the program around it. Called on the session's own thread, never
// with its lock held: a window hands them to its main thread.
class SessionEvents {
public:
    virtual ~SessionEvents() = default;
    virtual void recordingStarted(const RecordingStarted&) {}
    // Something to know that does not stop the recording ("low-space").
    virtual void recordingWarning(const Programme&, const std::string& /*key*/,
                                  const std::string& /*text*/) {}
    virtual void recordingFinished(const RecordingReport&) {}
};

} // namespace velto
