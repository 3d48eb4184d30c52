#include "dsp/FmDemodulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velto {

namespace {
constexpr double kDeviation = 75'000;    // full-scale deviation of broadcast FM
constexpr double kChannelEdge = 100'000; // the channel's half width, kept flat
constexpr double kPilot = 19'000;
constexpr double kAudioPass = 15'000; // broadcast sound ends here
constexpr double kAudioStop = 19'000; // the pilot must not reach the file
constexpr float kStopBand = 60;       // dB, every filter
// The pilot's in-phase level (half its amplitude, full deviation = 1) that switches
// stereo on, and the lower one that switches it off again: 4 % and 2 % pilots.
constexpr float kStereoOn = 0.02f;
constexpr float kStereoOff = 0.01f;
constexpr double kPi = std::numbers::pi;
constexpr unsigned kLoopInterval = 16;

// First-order low-pass 1/(1 + sτ) by the bilinear transform, its corner pre-warped so the
// curve holds exactly where it bends.
ComplexIirHandle deemphasis(double rate, double tau) {
    const double corner = 1 / (2 * kPi * tau);
    const double k = 2 * kPi * corner / std::tan(kPi * corner / rate);
    float b[2] = {float(1 / (1 + k * tau)), float(1 / (1 + k * tau))};
    float a[2] = {1, float((1 - k * tau) / (1 + k * tau))};
    return ComplexIirHandle(iirfilt_crcf_create(b, 2, a, 2));
}

// The last step to 48 kHz, which also ends the sound at 15 kHz; designed at the
// interpolated rate P × audio rate, 2·P·m taps.
ComplexRationalResamplerHandle audioResampler(const ResamplerPlan& plan) {
    const unsigned p = plan.interpolation;
    const double rate = plan.audioRate * p;
    const float transition = float((kAudioStop - kAudioPass) / plan.audioRate);
    const unsigned m = (estimate_req_filter_len(transition, kStopBand) + 1) / 2;
    std::vector<float> taps(2 * p * m);
    liquid_firdes_kaiser(unsigned(taps.size()), float((kAudioPass + kAudioStop) / 2 / rate),
                         kStopBand, 0, taps.data());
    double sum = 0;
    for (float t : taps)
        sum += t;
    for (float& t : taps)
        t = float(t * p / sum);
    ComplexRationalResamplerHandle resampler(
        rresamp_crcf_create(p, plan.reduction, m, taps.data()));
    rresamp_crcf_set_scale(resampler.get(), 1.0f);
    return resampler;
}
} // namespace

std::unique_ptr<FmDemodulator> FmDemodulator::create(const FmSettings& settings, std::string& why) {
    const double rate = settings.inputRate;
    if (!(rate > 0) || rate != std::floor(rate) || rate > 1e8) {
        why = "The sample rate must be a whole number of samples a second.";
        return nullptr;
    }
    const auto plan = ResamplerPlan::forFm(std::uint64_t(rate));
    if (!plan) {
        why = "An FM channel needs a sample rate of at least 220 kHz that comes to 48 kHz "
              "by a simple ratio (for example 1.024, 2.048 or 2.4 MHz).";
        return nullptr;
    }
    if (std::abs(settings.offsetHz) + kChannelEdge > rate / 2) {
        why = "The station lies outside the band the receiver takes in.";
        return nullptr;
    }
    if (!(settings.deemphasisSeconds > 0 && settings.deemphasisSeconds < 1e-3)) {
        why = "The de-emphasis time constant must lie between 0 and 1 ms.";
        return nullptr;
    }
    return std::unique_ptr<FmDemodulator>(new FmDemodulator(settings, *plan));
}

FmDemodulator::FmDemodulator(const FmSettings& settings, const ResamplerPlan& plan)
    : m_settings(settings), m_plan(plan), m_shifter(settings.offsetHz / settings.inputRate),
      m_channel(settings.inputRate, plan.channelStages, kChannelEdge),
      m_audioDecimator(plan.intermediateRate, plan.audioStages, kAudioStop) {
    const double mid = plan.intermediateRate;
    m_discriminator.reset(freqdem_create(float(kDeviation / mid)));

    m_pilotCentre = float(2 * kPi * kPilot / mid);
    m_pilot.reset(nco_crcf_create(LIQUID_VCO));
    // A second-order loop, natural frequency 50 Hz, damping 0.7: it locks within a few tens
    // of milliseconds and programme sound does not move it. It is stepped every
    // kLoopInterval samples, as the phase detector's arc tangent is the costly part.
    const double wt = 2 * kPi * 50 * kLoopInterval / mid;
    m_loopPhaseGain = float(2 * 0.7 * wt);
    m_loopFrequencyGain = float(wt * wt / kLoopInterval);
    // The phase detector's smoothing (two poles at about 300 Hz) keeps the 38 kHz image and
    // the sound beside the pilot out of the loop; the lock detector looks over about 50 ms.
    m_pilotSmoothing = float(1 - std::exp(-2 * kPi * 300 / mid));
    m_lockSmoothing = float(1 - std::exp(-1 / (0.05 * mid)));
    // The discriminator averages the frequency over a sample, which lowers the 38 kHz
    // subcarrier by sinc(38 kHz / rate) (3.6 % at 256 kHz, enough to cost 25 dB of
    // separation); −4 is −2 (the subcarrier's sign, below) × 2 (its level).
    const double x = kPi * 2 * kPilot / mid;
    m_subcarrierGain = float(-4 * x / std::sin(x));

    m_deemphasis = deemphasis(mid, settings.deemphasisSeconds);
    m_audioResampler = audioResampler(plan);
    // A station off its nominal frequency (a receiver's crystal is a few ppm out) comes out
    // with a DC offset; about 5 Hz and below is taken away.
    m_dcBlock.reset(iirfilt_crcf_create_dc_blocker(float(2 * kPi * 5 / 48'000)));
    reset();
}

void FmDemodulator::reset() {
    m_shifter.reset();
    m_channel.reset();
    freqdem_reset(m_discriminator.get());
    nco_crcf_reset(m_pilot.get());
    nco_crcf_set_frequency(m_pilot.get(), m_pilotCentre);
    iirfilt_crcf_reset(m_deemphasis.get());
    m_audioDecimator.reset();
    rresamp_crcf_reset(m_audioResampler.get());
    iirfilt_crcf_reset(m_dcBlock.get());
    m_pilotFast = m_pilotSlow = {};
    m_pilotLock = 0;
    m_stereo = false;
    m_loopCount = 0;
    m_audioBand.clear();
}

void FmDemodulator::process(const std::complex<float>* iq, std::size_t count,
                            std::vector<float>& out) {
    m_shifted.resize(count);
    m_shifter.shiftDown(iq, m_shifted.data(), count);
    m_baseband.clear();
    m_channel.process(m_shifted.data(), count, m_baseband);
    const std::size_t outputs = m_baseband.size();
    m_multiplex.resize(outputs);
    freqdem_demodulate_block(m_discriminator.get(), m_baseband.data(), unsigned(outputs),
                             m_multiplex.data());
    demultiplex(outputs);
    toAudio(out);
}

void FmDemodulator::demultiplex(std::size_t count) {
    m_sumDifference.resize(count);
    nco_crcf pll = m_pilot.get();
    for (std::size_t i = 0; i < count; ++i) {
        const float x = m_multiplex[i];
        float s, c;
        nco_crcf_sincos(pll, &s, &c);
        // Pilot = A·cos φ when locked; the product's slow part is (A/2)·e^{j(θ−φ)}.
        const std::complex<float> product(x * c, -x * s);
        m_pilotFast += m_pilotSmoothing * (product - m_pilotFast);
        m_pilotSlow += m_pilotSmoothing * (m_pilotFast - m_pilotSlow);
        m_pilotLock += m_lockSmoothing * (m_pilotSlow.real() - m_pilotLock);
        // The subcarrier is sin 2ωt for a pilot sin ωt; locked, ωt = φ + π/2, so the
        // subcarrier is −sin 2φ = −2·sin φ·cos φ.
        m_sumDifference[i] = {x, m_subcarrierGain * x * s * c};
        if (++m_loopCount == kLoopInterval) {
            m_loopCount = 0;
            const float error = std::arg(m_pilotSlow);
            if (std::isfinite(error)) {
                nco_crcf_adjust_phase(pll, m_loopPhaseGain * error);
                nco_crcf_adjust_frequency(pll, m_loopFrequencyGain * error);
            }
        }
        nco_crcf_step(pll);
    }
    // Without a pilot the loop wanders; keep it near 19 kHz so it catches one that appears.
    const float drift = nco_crcf_get_frequency(pll) - m_pilotCentre;
    if (std::abs(drift) > m_pilotCentre * 1e-3f)
        nco_crcf_set_frequency(pll, m_pilotCentre);
    if (!m_stereo && m_pilotLock > kStereoOn)
        m_stereo = true;
    else if (m_stereo && m_pilotLock < kStereoOff)
        m_stereo = false;

    iirfilt_crcf_execute_block(m_deemphasis.get(), m_sumDifference.data(), unsigned(count),
                               m_sumDifference.data());
    m_audioDecimator.process(m_sumDifference.data(), count, m_audioBand);
}

void FmDemodulator::toAudio(std::vector<float>& out) {
    const std::size_t q = m_plan.reduction;
    const std::size_t p = m_plan.interpolation;
    const std::size_t blocks = m_audioBand.size() / q;
    if (blocks == 0)
        return;
    const std::size_t frames = blocks * p;
    m_audio.resize(frames);
    rresamp_crcf_execute_block(m_audioResampler.get(), m_audioBand.data(), unsigned(blocks),
                               m_audio.data());
    m_audioBand.erase(m_audioBand.begin(), m_audioBand.begin() + std::ptrdiff_t(blocks * q));
    iirfilt_crcf_execute_block(m_dcBlock.get(), m_audio.data(), unsigned(frames), m_audio.data());

    const float blend = m_stereo ? 1.0f : 0.0f;
    const std::size_t start = out.size();
    out.resize(start + 2 * frames);
    float* interleaved = out.data() + start;
    for (std::size_t i = 0; i < frames; ++i) {
        const float m = m_audio[i].real();
        const float d = blend * m_audio[i].imag();
        interleaved[2 * i] = std::clamp(m + d, -1.0f, 1.0f);
        interleaved[2 * i + 1] = std::clamp(m - d, -1.0f, 1.0f);
    }
}

} // namespace velto
