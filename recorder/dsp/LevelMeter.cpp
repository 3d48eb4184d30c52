#include "dsp/LevelMeter.h"

#include <algorithm>
#include <cmath>

namespace velto {

void LevelMeter::add(const float* frames, std::size_t count) {
    float loudest = 0;
    for (std::size_t i = 0; i < 2 * count; ++i)
        loudest = std::max(loudest, std::abs(frames[i]));
    if (!std::isfinite(loudest))
        loudest = 1;
    // 20 dB a second: a factor 10 over 48000 frames.
    const float fallen =
        m_peak.load(std::memory_order_relaxed) * std::pow(10.0f, -float(count) / 48000.0f);
    m_peak.store(std::min(1.0f, std::max(loudest, fallen)), std::memory_order_relaxed);
}

float LevelMeter::decibels() const {
    const float p = peak();
    return p <= 3.1623e-5f ? -90.0f : 20.0f * std::log10(p);
}

} // namespace velto
