#pragma once
#include "dsp/DecimatorChain.h"
#include "dsp/Demodulator.h"
#include "dsp/FrequencyShifter.h"
#include "dsp/LiquidObjects.h"
#include "dsp/ResamplerPlan.h"

#include <memory>
#include <string>

namespace velto {

struct AmSettings {
    double inputRate = 1'024'000;
    // Where the station lies relative to the input's centre.
    double offsetHz = 0;
};

// Medium-wave AM: the channel is shifted to the centre, decimated, brought to 48 kHz by a
// rational resampler whose filter fits the 9 kHz raster (±4.5 kHz passes, the neighbours' carriers
// are stopped), and its envelope taken; dividing by the slowly followed carrier level is both the
// automatic gain control and the removal of the carrier's DC. The sound is mono.
class AmDemodulator final : public Demodulator {
public:
    static std::unique_ptr<AmDemodulator> create(const AmSettings& settings, std::string& why);

    void process(const std::complex<float>* iq, std::size_t count,
                 std::vector<float>& out) override;
    bool stereo() const override { return false; }
    void reset() override;

    // The carrier level the gain control follows (input units); for the tests.
    float carrier() const { return m_carrier; }

private:
    AmDemodulator(const AmSettings& settings, const ResamplerPlan& plan);

    AmSettings m_settings;
    ResamplerPlan m_plan;
    FrequencyShifter m_shifter;
    DecimatorChain m_decimator;
    ComplexRationalResamplerHandle m_channel;
    float m_carrierSmoothing = 0;
    float m_carrier = 0;
    bool m_carrierKnown = false;
    std::vector<std::complex<float>> m_mixed;
    std::vector<std::complex<float>> m_decimated; // carried until a whole resampler block
    std::vector<std::complex<float>> m_channelOut;
};

} // namespace velto
