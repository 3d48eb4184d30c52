#include "dsp/AmDemodulator.h"

#include <algorithm>
#include <cmath>

namespace velto {

namespace {
constexpr double kPass = 4'500; // half the 9 kHz raster
constexpr double kStop = 7'000; // the neighbour's carrier at 9 kHz lies well beyond
constexpr float kStopBand = 60;
// The carrier follower's time constant: slow enough not to follow the sound, quick enough
// for fading.
constexpr double kCarrierSeconds = 0.25;
constexpr double kAudioRate = 48'000;
} // namespace

std::unique_ptr<AmDemodulator> AmDemodulator::create(const AmSettings& settings, std::string& why) {
    const double rate = settings.inputRate;
    if (!(rate > 0) || rate != std::floor(rate) || rate > 1e8) {
        why = "The sample rate must be a whole number of samples a second.";
        return nullptr;
    }
    const auto plan = ResamplerPlan::forAm(std::uint64_t(rate));
    if (!plan) {
        why = "An AM channel needs a sample rate of at least 48 kHz that comes to 48 kHz by "
              "a simple ratio (for example 1.024, 2.048 or 2.4 MHz).";
        return nullptr;
    }
    if (std::abs(settings.offsetHz) + kStop > rate / 2) {
        why = "The station lies outside the band the receiver takes in.";
        return nullptr;
    }
    return std::unique_ptr<AmDemodulator>(new AmDemodulator(settings, *plan));
}

AmDemodulator::AmDemodulator(const AmSettings& settings, const ResamplerPlan& plan)
    : m_settings(settings), m_plan(plan), m_shifter(settings.offsetHz / settings.inputRate),
      m_decimator(settings.inputRate, plan.channelStages, kStop) {
    // The channel filter, designed at the interpolated rate P × intermediate: 2·P·m taps.
    const unsigned p = plan.interpolation;
    const double rate = plan.intermediateRate * p;
    const float transition = float((kStop - kPass) / plan.intermediateRate);
    const unsigned m = (estimate_req_filter_len(transition, kStopBand) + 1) / 2;
    std::vector<float> taps(2 * p * m);
    liquid_firdes_kaiser(unsigned(taps.size()), float((kPass + kStop) / 2 / rate), kStopBand, 0,
                         taps.data());
    double sum = 0;
    for (float t : taps)
        sum += t;
    for (float& t : taps)
        t = float(t * p / sum);
    m_channel.reset(rresamp_crcf_create(p, plan.reduction, m, taps.data()));
    rresamp_crcf_set_scale(m_channel.get(), 1.0f);
    m_carrierSmoothing = float(1 - std::exp(-1 / (kCarrierSeconds * kAudioRate)));
    reset();
}

void AmDemodulator::reset() {
    m_shifter.reset();
    m_decimator.reset();
    rresamp_crcf_reset(m_channel.get());
    m_decimated.clear();
    m_carrier = 0;
    m_carrierKnown = false;
}

void AmDemodulator::process(const std::complex<float>* iq, std::size_t count,
                            std::vector<float>& out) {
    m_mixed.resize(count);
    m_shifter.shiftDown(iq, m_mixed.data(), count);
    m_decimator.process(m_mixed.data(), count, m_decimated);
    const std::size_t q = m_plan.reduction;
    const std::size_t p = m_plan.interpolation;
    const std::size_t blocks = m_decimated.size() / q;
    if (blocks == 0)
        return;
    const std::size_t produced = blocks * p;
    m_channelOut.resize(produced);
    rresamp_crcf_execute_block(m_channel.get(), m_decimated.data(), unsigned(blocks),
                               m_channelOut.data());
    m_decimated.erase(m_decimated.begin(), m_decimated.begin() + std::ptrdiff_t(blocks * q));

    if (!m_carrierKnown) {
        // Start from the first block's level rather than from nothing, so the sound does
        // not begin with a loud sweep.
        double level = 0;
        for (std::size_t i = 0; i < produced; ++i)
            level += std::abs(m_channelOut[i]);
        m_carrier = float(level / double(produced));
        m_carrierKnown = true;
    }
    const std::size_t start = out.size();
    out.resize(start + 2 * produced);
    float* frames = out.data() + start;
    for (std::size_t i = 0; i < produced; ++i) {
        const float envelope = std::abs(m_channelOut[i]);
        m_carrier += m_carrierSmoothing * (envelope - m_carrier);
        const float level = m_carrier > 1e-12f ? (envelope - m_carrier) / m_carrier : 0.0f;
        const float sample = std::clamp(level, -1.0f, 1.0f);
        frames[2 * i] = sample;
        frames[2 * i + 1] = sample;
    }
}

} // namespace velto
