#pragma once
#include "sources/AudioSource.h"
#include "sources/Station.h"

#include <complex>

namespace velto {

// Where a receiver's raw samples come from: a tuner, or a capture file replayed.
class IqSource {
public:
    virtual ~IqSource() = default;
    // Tunes to the station (a tuner sits beside it, so that its DC spike misses the
    // programme) or checks a capture; returns within a bounded time.
    virtual bool open(const Station& station, SourceError& error) = 0;
    // Appends at most a few hundred milliseconds of samples, waiting at most `timeout`.
    virtual ReadStatus read(std::vector<std::complex<float>>& out,
                            std::chrono::milliseconds timeout, SourceError& error) = 0;
    virtual void close() = 0;
    // Valid once open: samples a second, and the frequency (in the station's terms, past
    // any upconverter) at the samples' centre.
    virtual double sampleRate() const = 0;
    virtual double centreHz() const = 0;
};

} // namespace velto
