// Brings a sound card's frames, at its own rate and with one or more channels, to the
// recorder's 48 kHz stereo: an exact rational resampler per channel, mono duplicated.
#pragma once

#include "sources/AudioSource.h"

#include <cstddef>
#include <vector>

struct rresamp_rrrf_s;

namespace velto {

class RateConverter {
public:
    static constexpr unsigned kOutputRate = 48000;

    RateConverter() = default;
    RateConverter(const RateConverter&) = delete;
    RateConverter& operator=(const RateConverter&) = delete;
    ~RateConverter();

    // Refuses rates whose ratio to 48 kHz needs an unreasonably large filter bank.
    bool configure(unsigned inputRate, unsigned channels, SourceError& error);
    // `frames` interleaved frames of the configured channels; appends stereo at 48 kHz.
    void process(const float* input, std::size_t frames, std::vector<float>& out);
    // Forgets buffered input and filter state, for a new stream after a gap.
    void reset();
    // Input frames held until a whole filter block has arrived.
    std::size_t pending() const { return m_pending.size() / 2; }

private:
    void release();

    unsigned m_rate = 0;
    unsigned m_channels = 0;
    unsigned m_interp = 1; // P: outputs per block
    unsigned m_decim = 1;  // Q: inputs per block
    rresamp_rrrf_s* m_left = nullptr;
    rresamp_rrrf_s* m_right = nullptr;
    std::vector<float> m_pending; // interleaved left/right input not yet a whole block
    std::vector<float> m_blockIn[2];
    std::vector<float> m_blockOut[2];
};

} // namespace velto
