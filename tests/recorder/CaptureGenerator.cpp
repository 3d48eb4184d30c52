#include "CaptureGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <random>

namespace velto::test {

namespace {
constexpr double kPi = std::numbers::pi;

double sumOf(const std::vector<Tone>& tones, double t) {
    double value = 0;
    for (const Tone& tone : tones)
        value += tone.amplitude * std::sin(2 * kPi * tone.frequency * t);
    return value;
}

// Complex Gaussian noise of `carrierPower / cnr` in `bandwidth`, spread over the whole rate.
void addNoise(std::vector<std::complex<float>>& samples, double rate, double carrierPower,
              double cnrDb, double bandwidth, std::uint32_t seed) {
    if (!std::isfinite(cnrDb))
        return;
    const double power = carrierPower / std::pow(10, cnrDb / 10) * rate / bandwidth;
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0, std::sqrt(power / 2));
    for (auto& s : samples)
        s += std::complex<float>(float(normal(random)), float(normal(random)));
}
} // namespace

std::vector<std::complex<float>> generateFm(const FmCapture& c) {
    const auto count = std::size_t(c.seconds * c.rate);
    std::vector<std::complex<float>> samples(count);
    double phase = 0;
    constexpr double kPilot = 19'000;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = double(n) / c.rate;
        const double left = sumOf(c.left, t);
        const double right = sumOf(c.right, t);
        double multiplex;
        if (c.stereo) {
            multiplex =
                0.45 * (left + right) + 0.45 * (left - right) * std::sin(2 * kPi * 2 * kPilot * t);
        } else {
            multiplex = 0.5 * (left + right);
        }
        if (c.pilot)
            multiplex += 0.1 * std::sin(2 * kPi * kPilot * t);
        samples[n] = std::polar(1.0f, float(phase));
        phase += 2 * kPi * (c.offsetHz + c.deviation * multiplex) / c.rate;
        phase = std::remainder(phase, 2 * kPi);
    }
    addNoise(samples, c.rate, 1.0, c.cnrDb, 200'000, c.seed);
    return samples;
}

std::vector<std::complex<float>> generateAm(const AmCapture& c) {
    const auto count = std::size_t(c.seconds * c.rate);
    std::vector<std::complex<float>> samples(count);
    for (std::size_t n = 0; n < count; ++n) {
        const double t = double(n) / c.rate;
        const double envelope =
            c.carrierAmplitude * (1 + c.modulation * std::sin(2 * kPi * c.toneFrequency * t));
        samples[n] =
            std::polar(float(envelope), float(std::remainder(2 * kPi * c.offsetHz * t, 2 * kPi)));
    }
    addNoise(samples, c.rate, c.carrierAmplitude * c.carrierAmplitude, c.cnrDb, 9'000, c.seed);
    return samples;
}

std::string encodeCapture(const std::vector<std::complex<float>>& samples, CaptureFormat format) {
    std::string bytes;
    auto clampTo = [](double v, double lo, double hi) { return std::clamp(v, lo, hi); };
    switch (format) {
    case CaptureFormat::Cu8:
        bytes.reserve(samples.size() * 2);
        for (auto s : samples) {
            bytes.push_back(char(std::lround(clampTo(s.real() * 127.5 + 127.5, 0, 255))));
            bytes.push_back(char(std::lround(clampTo(s.imag() * 127.5 + 127.5, 0, 255))));
        }
        break;
    case CaptureFormat::Cs16:
        bytes.reserve(samples.size() * 4);
        for (auto s : samples) {
            for (double v : {double(s.real()), double(s.imag())}) {
                const auto q = std::int16_t(std::lround(clampTo(v * 32767, -32768, 32767)));
                bytes.push_back(char(q & 0xff));
                bytes.push_back(char((q >> 8) & 0xff));
            }
        }
        break;
    case CaptureFormat::Cf32:
        bytes.resize(samples.size() * 8);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        break;
    }
    return bytes;
}

bool writeCapture(const std::string& path, const std::vector<std::complex<float>>& samples,
                  CaptureFormat format) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = encodeCapture(samples, format);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(file);
}

} // namespace velto::test
