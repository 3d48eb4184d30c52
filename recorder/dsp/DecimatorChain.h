#pragma once
#include "dsp/LiquidObjects.h"

#include <complex>
#include <vector>

namespace velto {

// An integer decimation in stages, each keeping the channel (±`passEdge` Hz) flat and
// letting nothing alias into it. Input not yet a whole step is held for the next call.
class DecimatorChain {
public:
    DecimatorChain(double inputRate, const std::vector<unsigned>& stages, double passEdge);
    // Appends the decimated samples of `count` inputs to `out`.
    void process(const std::complex<float>* in, std::size_t count,
                 std::vector<std::complex<float>>& out);
    void reset();

private:
    struct Stage {
        FirDecimHandle filter;
        unsigned factor = 1;
        std::vector<std::complex<float>> held;
        std::vector<std::complex<float>> output;
    };
    std::vector<Stage> m_stages;
};

} // namespace velto
