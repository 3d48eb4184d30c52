#pragma once
#include "output/OpusFileWriter.h"
#include "session/Programme.h"
#include "sources/AudioSource.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velto {

struct SessionSettings {
    // The recordings folder (the window's default: the XDG music folder's "Radio").
    std::string folder;
    EncoderSettings encoder;
    // The source is opened this long before the start, so that a tuner's start-up does
    // not eat into the programme.
    std::chrono::seconds preRoll{5};
    // Below this much free space a recording stops, keeping a playable file.
    std::uint64_t stopBelowBytes = 50'000'000;
    // Before a recording, less free space than this many times its expected size warns.
    double spaceMargin = 1.5;
};

// Makes the source for a programme (from the source factory, or a test's fake). None, with
// the reason, when there is no such source; opening comes after.
using SourceMaker =
    std::function<std::unique_ptr<AudioSource>(const Programme& programme, SourceError& error)>;

} // namespace velto
