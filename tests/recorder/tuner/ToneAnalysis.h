// Measures a sine in recorded sound: its frequency, amplitude and signal-to-noise ratio.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace velto {

struct ToneFit {
    double frequency = 0; // Hz
    double amplitude = 0;
    double snrDb = 0; // the fitted sine against everything else
};

// One channel of interleaved stereo, frames [first, first + count).
ToneFit fitTone(const std::vector<float>& stereo, int channel, std::size_t first, std::size_t count,
                double rate);
// The first and one past the last frame of a channel louder than `threshold`.
std::pair<std::size_t, std::size_t> loudExtent(const std::vector<float>& stereo, int channel,
                                               float threshold);

} // namespace velto
