#pragma once
#include "session/SessionSettings.h"
#include "sources/ReceiverSettings.h"
#include "sources/SourceFactory.h"

#include <string>

namespace velto {

// The session's sources from the factory: each programme's source made from `address` (empty:
// the first receiver found) for the programme's own station, with the receiver's settings.
// `fast`: a capture is read as fast as it can be (with a VirtualClock).
SourceMaker factorySources(const SourceFactory& factory, std::string address,
                           ReceiverSettings receiver, bool fast = false);

} // namespace velto
