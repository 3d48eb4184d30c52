#include "sources/tuner/RateConverter.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

namespace velto {

namespace {

// Filter semi-length (taps per phase = 2 m) and stop band: images and aliases end up below
// a 16-bit card's own noise.
constexpr unsigned kSemiLength = 16;
constexpr float kStopBandDb = 90.0f;
// The pass band edge as a fraction of the lower of the two rates; broadcast audio ends at
// 15 kHz (FM) or well below (AM).
constexpr float kPassFraction = 0.42f;
constexpr unsigned kLargestInterp = 1024;

float clampSample(float v) {
    return std::clamp(v, -1.0f, 1.0f);
}

} // namespace

RateConverter::~RateConverter() {
    release();
}

void RateConverter::release() {
    if (m_left) {
        rresamp_rrrf_destroy(m_left);
        m_left = nullptr;
    }
    if (m_right) {
        rresamp_rrrf_destroy(m_right);
        m_right = nullptr;
    }
}

bool RateConverter::configure(unsigned inputRate, unsigned channels, SourceError& error) {
    release();
    m_pending.clear();
    if (inputRate == 0 || channels == 0) {
        error = {"sound-card-error", "The sound card reports no rate or no channels."};
        return false;
    }
    const unsigned common = std::gcd(inputRate, kOutputRate);
    m_interp = kOutputRate / common;
    m_decim = inputRate / common;
    if (m_interp > kLargestInterp || m_decim > kLargestInterp * 16) {
        error = {"sound-card-error", "The sound card's rate of " + std::to_string(inputRate) +
                                         " Hz cannot be brought to 48 kHz here."};
        return false;
    }
    m_rate = inputRate;
    m_channels = channels;
    if (m_interp != m_decim) {
        // liquid's bandwidth is relative to the input rate; below 48 kHz in, the input's own
        // band limits; above, the output's.
        const float bw = kPassFraction *
                         std::min(1.0f, static_cast<float>(m_interp) / static_cast<float>(m_decim));
        m_left = rresamp_rrrf_create_kaiser(m_interp, m_decim, kSemiLength, bw, kStopBandDb);
        m_right = rresamp_rrrf_create_kaiser(m_interp, m_decim, kSemiLength, bw, kStopBandDb);
        if (!m_left || !m_right) {
            release();
            error = {"sound-card-error",
                     "No resampler could be made for " + std::to_string(inputRate) + " Hz."};
            return false;
        }
        // The prototype's phases each sum to 1 / (2 bw); liquid's own scale keeps power,
        // not amplitude, across the rate change.
        rresamp_rrrf_set_scale(m_left, 2.0f * bw);
        rresamp_rrrf_set_scale(m_right, 2.0f * bw);
    }
    for (int c = 0; c < 2; ++c) {
        m_blockIn[c].assign(m_decim, 0.0f);
        m_blockOut[c].assign(m_interp, 0.0f);
    }
    return true;
}

void RateConverter::process(const float* input, std::size_t frames, std::vector<float>& out) {
    if (m_channels == 0 || frames == 0) {
        return;
    }
    // Only the first two channels carry the programme; one channel is heard on both sides.
    const unsigned second = m_channels > 1 ? 1 : 0;
    if (!m_left) {
        for (std::size_t i = 0; i < frames; ++i) {
            out.push_back(clampSample(input[i * m_channels]));
            out.push_back(clampSample(input[i * m_channels + second]));
        }
        return;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        m_pending.push_back(input[i * m_channels]);
        m_pending.push_back(input[i * m_channels + second]);
    }
    const std::size_t blocks = m_pending.size() / 2 / m_decim;
    for (std::size_t b = 0; b < blocks; ++b) {
        const float* block = m_pending.data() + b * m_decim * 2;
        for (unsigned i = 0; i < m_decim; ++i) {
            m_blockIn[0][i] = block[2 * i];
            m_blockIn[1][i] = block[2 * i + 1];
        }
        rresamp_rrrf_execute(m_left, m_blockIn[0].data(), m_blockOut[0].data());
        if (m_channels > 1) {
            rresamp_rrrf_execute(m_right, m_blockIn[1].data(), m_blockOut[1].data());
        }
        const std::vector<float>& right = m_channels > 1 ? m_blockOut[1] : m_blockOut[0];
        for (unsigned i = 0; i < m_interp; ++i) {
            out.push_back(clampSample(m_blockOut[0][i]));
            out.push_back(clampSample(right[i]));
        }
    }
    m_pending.erase(m_pending.begin(),
                    m_pending.begin() + static_cast<std::ptrdiff_t>(blocks * m_decim * 2));
}

void RateConverter::reset() {
    m_pending.clear();
    if (m_left) {
        rresamp_rrrf_reset(m_left);
        rresamp_rrrf_reset(m_right);
    }
}

} // namespace velto
