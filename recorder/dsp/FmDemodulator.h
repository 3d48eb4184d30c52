#pragma once
#include "dsp/DecimatorChain.h"
#include "dsp/Demodulator.h"
#include "dsp/FrequencyShifter.h"
#include "dsp/LiquidObjects.h"
#include "dsp/ResamplerPlan.h"

#include <memory>
#include <string>

namespace velto {

struct FmSettings {
    double inputRate = 1'024'000;
    // Where the station lies relative to the input's centre (the receiver tunes beside it).
    double offsetHz = 0;
    // De-emphasis time constant: 50 µs in Japan and Europe, 75 µs in the Americas.
    double deemphasisSeconds = 50e-6;
};

// Broadcast FM: the channel is shifted to the centre, filtered and decimated, demodulated
// to the multiplex signal, whose 19 kHz pilot a phase-locked loop follows; L−R is taken from
// the 38 kHz subcarrier at twice the pilot's phase. Without a pilot the sound is mono.
// L+R and L−R travel on together as the two halves of one complex signal, so that one
// filter treats both alike (their phases must match for the separation).
class FmDemodulator final : public Demodulator {
public:
    // None, with the reason, when the input rate cannot carry an FM channel.
    static std::unique_ptr<FmDemodulator> create(const FmSettings& settings, std::string& why);

    void process(const std::complex<float>* iq, std::size_t count,
                 std::vector<float>& out) override;
    bool stereo() const override { return m_stereo; }
    void reset() override;

    // The pilot's in-phase level, 0.05 for a standard 10 % pilot; for the tests.
    float pilotLevel() const { return m_pilotLock; }

private:
    FmDemodulator(const FmSettings& settings, const ResamplerPlan& plan);
    void demultiplex(std::size_t count);
    void toAudio(std::vector<float>& out);

    FmSettings m_settings;
    ResamplerPlan m_plan;
    FrequencyShifter m_shifter;
    DecimatorChain m_channel;
    FreqDemHandle m_discriminator;
    NcoHandle m_pilot;
    ComplexIirHandle m_deemphasis;
    DecimatorChain m_audioDecimator;
    ComplexRationalResamplerHandle m_audioResampler;
    ComplexIirHandle m_dcBlock;

    float m_pilotCentre = 0; // radians a sample
    float m_pilotSmoothing = 0;
    float m_lockSmoothing = 0;
    float m_subcarrierGain = 0;
    float m_loopPhaseGain = 0;
    float m_loopFrequencyGain = 0;
    unsigned m_loopCount = 0;
    std::complex<float> m_pilotFast{};
    std::complex<float> m_pilotSlow{};
    float m_pilotLock = 0;
    bool m_stereo = false;

    // Working buffers; sound not yet a whole resampler block is carried over.
    std::vector<std::complex<float>> m_shifted;
    std::vector<std::complex<float>> m_baseband;
    std::vector<float> m_multiplex;
    std::vector<std::complex<float>> m_sumDifference; // L+R in the real part, L−R imaginary
    std::vector<std::complex<float>> m_audioBand;
    std::vector<std::complex<float>> m_audio;
};

} // namespace velto
