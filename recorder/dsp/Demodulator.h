#pragma once
#include <complex>
#include <cstddef>
#include <vector>

namespace velto {

// Turns a receiver's baseband samples into 48 kHz interleaved stereo audio.
class Demodulator {
public:
    virtual ~Demodulator() = default;
    // Appends the audio of `count` input samples to `out` (a filter's worth of delay).
    virtual void process(const std::complex<float>* iq, std::size_t count,
                         std::vector<float>& out) = 0;
    // Whether the programme comes in stereo right now.
    virtual bool stereo() const = 0;
    // Forgets the filters' state, as after a gap in the input.
    virtual void reset() = 0;
};

} // namespace velto
