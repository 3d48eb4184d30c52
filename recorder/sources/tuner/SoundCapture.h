// A sound card's capture stream, read with a deadline. An interface so that the source can
// be run against cards that stall or go away.
#pragma once

#include "sources/AudioSource.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velto {

enum class CaptureStatus { Frames, Timeout, Lost };

class SoundCapture {
public:
    virtual ~SoundCapture() = default;
    // `rate` 0: the card's own rate.
    virtual bool open(const std::string& device, unsigned rate, SourceError& error) = 0;
    virtual unsigned rate() const = 0;
    virtual unsigned channels() const = 0;
    // Appends at most `maxFrames` interleaved frames of channels() samples in [-1, 1],
    // waiting at most `timeout`. Lost: the card went away or cannot go on.
    virtual CaptureStatus read(std::vector<float>& out, std::size_t maxFrames,
                               std::chrono::milliseconds timeout, SourceError& error) = 0;
    virtual void close() = 0;
    // Times the card's buffer ran over since open: the sound of those moments is lost.
    virtual unsigned overruns() const = 0;
};

using SoundCaptureFactory = std::function<std::unique_ptr<SoundCapture>()>;

} // namespace velto
