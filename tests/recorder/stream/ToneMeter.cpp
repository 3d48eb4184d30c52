#include "ToneMeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velto::test {

Tone measureTone(const std::vector<float>& stereo, int channel, double frequency,
                 std::size_t firstFrame, std::size_t frames, int rate) {
    if ((firstFrame + frames) * 2 > stereo.size() || frames == 0) {
        return {};
    }
    const double step = 2 * std::numbers::pi * frequency / rate;
    double c = 0, s = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double x = stereo[(firstFrame + i) * 2 + static_cast<std::size_t>(channel)];
        c += x * std::cos(step * static_cast<double>(i));
        s += x * std::sin(step * static_cast<double>(i));
    }
    c *= 2.0 / static_cast<double>(frames);
    s *= 2.0 / static_cast<double>(frames);
    double signal = 0, residual = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double x = stereo[(firstFrame + i) * 2 + static_cast<std::size_t>(channel)];
        const double fit = c * std::cos(step * static_cast<double>(i)) +
                           s * std::sin(step * static_cast<double>(i));
        signal += fit * fit;
        residual += (x - fit) * (x - fit);
    }
    Tone tone;
    tone.amplitude = std::hypot(c, s);
    tone.snrDb = 10 * std::log10(signal / std::max(residual, 1e-20));
    return tone;
}

} // namespace velto::test
