#include "dsp/FrequencyShifter.h"

#include <numbers>

namespace velto {

FrequencyShifter::FrequencyShifter(double cyclesPerSample)
    : m_step(std::polar(1.0, -2 * std::numbers::pi * cyclesPerSample)) {}

void FrequencyShifter::reset() {
    m_phasor = {1, 0};
}

void FrequencyShifter::shiftDown(const std::complex<float>* in, std::complex<float>* out,
                                 std::size_t count) {
    const std::complex<float> step(m_step);
    // Renormalising every 1024 samples keeps the phasor's length within 1e-4 of one.
    constexpr std::size_t kRun = 1024;
    for (std::size_t at = 0; at < count; at += kRun) {
        const std::size_t end = std::min(count, at + kRun);
        std::complex<float> p = m_phasor;
        for (std::size_t i = at; i < end; ++i) {
            const std::complex<float> x = in[i];
            // Written out: std::complex's operator* checks for infinities on every call.
            out[i] = {x.real() * p.real() - x.imag() * p.imag(),
                      x.real() * p.imag() + x.imag() * p.real()};
            p = {p.real() * step.real() - p.imag() * step.imag(),
                 p.real() * step.imag() + p.imag() * step.real()};
        }
        m_phasor = p / std::abs(p);
    }
}

} // namespace velto
