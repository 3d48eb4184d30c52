#pragma once
#include "sources/AudioSource.h"

namespace velto {

class StreamGuard;

enum class StreamPhase { Connecting, Reading };

// The key and sentence for an FFmpeg failure, preferring what the guard saw (a refusal, a
// deadline, the HTTP status, the failing part's own message).
SourceError describeStreamError(int code, const StreamGuard& guard, StreamPhase phase);

} // namespace velto
