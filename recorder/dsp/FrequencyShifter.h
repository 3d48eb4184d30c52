#pragma once
#include <complex>
#include <cstddef>

namespace velto {

// Moves a signal down by a fixed frequency with a rotating phasor (one complex multiply a
// sample, renormalised now and then), half the cost of a table oscillator at these rates.
class FrequencyShifter {
public:
    // `cyclesPerSample`: the shift as a fraction of the sample rate.
    explicit FrequencyShifter(double cyclesPerSample = 0);
    void shiftDown(const std::complex<float>* in, std::complex<float>* out, std::size_t count);
    void reset();

private:
    std::complex<double> m_step;
    std::complex<float> m_phasor{1, 0};
};

} // namespace velto
