#include "SignalAnalysis.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace velto::test {

namespace {
// Whole tenths of a second hold whole periods of every tone on a 10 Hz grid.
std::size_t usable(const std::vector<float>& signal, double rate) {
    const auto tenth = std::size_t(rate / 10);
    return signal.size() / tenth * tenth;
}

std::complex<double> projection(const std::vector<float>& signal, std::size_t n, double frequency,
                                double rate) {
    std::complex<double> sum;
    const double w = 2 * std::numbers::pi * frequency / rate;
    for (std::size_t i = 0; i < n; ++i)
        sum += double(signal[i]) * std::polar(1.0, -w * double(i));
    return 2.0 * sum / double(n);
}
} // namespace

std::vector<float> channelOf(const std::vector<float>& interleaved, int channel, double skipSeconds,
                             double rate) {
    std::vector<float> out;
    const auto skip = std::size_t(skipSeconds * rate);
    for (std::size_t i = 2 * skip + std::size_t(channel); i < interleaved.size(); i += 2)
        out.push_back(interleaved[i]);
    return out;
}

double toneAmplitude(const std::vector<float>& signal, double frequency, double rate) {
    const std::size_t n = usable(signal, rate);
    return n ? std::abs(projection(signal, n, frequency, rate)) : 0.0;
}

double sinadDb(const std::vector<float>& signal, double frequency, double rate) {
    const std::size_t n = usable(signal, rate);
    if (n == 0)
        return 0;
    double mean = 0;
    for (std::size_t i = 0; i < n; ++i)
        mean += signal[i];
    mean /= double(n);
    const std::complex<double> tone = projection(signal, n, frequency, rate);
    const double w = 2 * std::numbers::pi * frequency / rate;
    double residual = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double fitted = mean + (tone * std::polar(1.0, w * double(i))).real();
        const double e = signal[i] - fitted;
        residual += e * e;
    }
    residual /= double(n);
    const double power = std::norm(tone) / 2;
    return 10 * std::log10(power / std::max(residual, 1e-30));
}

double harmonicDistortion(const std::vector<float>& signal, double frequency, double rate) {
    const double fundamental = toneAmplitude(signal, frequency, rate);
    double harmonics = 0;
    for (int k = 2; k <= 5; ++k) {
        const double a = toneAmplitude(signal, k * frequency, rate);
        harmonics += a * a;
    }
    return fundamental > 0 ? std::sqrt(harmonics) / fundamental : 1.0;
}

} // namespace velto::test
