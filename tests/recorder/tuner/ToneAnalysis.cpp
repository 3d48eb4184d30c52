#include "tests/recorder/tuner/ToneAnalysis.h"

#include <cmath>
#include <numbers>

namespace velto {

ToneFit fitTone(const std::vector<float>& frames, int channels, int channel, std::size_t first,
                std::size_t count, double rate) {
    std::vector<double> x(count);
    for (std::size_t i = 0; i < count; ++i) {
        x[i] = frames[(first + i) * channels + channel];
    }
    double mean = 0;
    for (double v : x) {
        mean += v;
    }
    mean /= static_cast<double>(count);

    // The period from a straight-line fit through the rising zero crossings.
    double sk = 0, st = 0, skk = 0, skt = 0;
    double crossings = 0;
    for (std::size_t i = 1; i < count; ++i) {
        double a = x[i - 1] - mean;
        double b = x[i] - mean;
        if (a < 0 && b >= 0) {
            double t = static_cast<double>(i - 1) + a / (a - b);
            sk += crossings;
            st += t;
            skk += crossings * crossings;
            skt += crossings * t;
            crossings += 1;
        }
    }
    ToneFit fit;
    if (crossings < 3) {
        return fit;
    }
    double period = (crossings * skt - sk * st) / (crossings * skk - sk * sk);
    fit.frequency = rate / period;

    // Least squares for a·cos + b·sin + c at that frequency; the rest is noise.
    const double w = 2 * std::numbers::pi * fit.frequency / rate;
    double m[3][4] = {};
    for (std::size_t i = 0; i < count; ++i) {
        double basis[3] = {std::cos(w * i), std::sin(w * i), 1.0};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                m[r][c] += basis[r] * basis[c];
            }
            m[r][3] += basis[r] * x[i];
        }
    }
    for (int p = 0; p < 3; ++p) { // Gauss–Jordan; the matrix is well conditioned
        for (int r = 0; r < 3; ++r) {
            if (r == p) {
                continue;
            }
            double f = m[r][p] / m[p][p];
            for (int c = p; c < 4; ++c) {
                m[r][c] -= f * m[p][c];
            }
        }
    }
    const double a = m[0][3] / m[0][0];
    const double b = m[1][3] / m[1][1];
    const double c = m[2][3] / m[2][2];
    double noise = 0;
    for (std::size_t i = 0; i < count; ++i) {
        double e = x[i] - (a * std::cos(w * i) + b * std::sin(w * i) + c);
        noise += e * e;
    }
    noise /= static_cast<double>(count);
    fit.amplitude = std::hypot(a, b);
    fit.snrDb = 10 * std::log10(fit.amplitude * fit.amplitude / 2 / std::max(noise, 1e-30));
    return fit;
}

Extent loudExtent(const std::vector<float>& frames, int channels, int channel, float threshold) {
    Extent extent;
    const std::size_t count = frames.size() / channels;
    bool found = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (std::fabs(frames[i * channels + channel]) > threshold) {
            if (!found) {
                extent.begin = i;
                found = true;
            }
            extent.end = i + 1;
        }
    }
    return extent;
}

} // namespace velto
