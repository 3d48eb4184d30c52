#include "ToneAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velto {

ToneFit fitTone(const std::vector<float>& stereo, int channel, std::size_t first, std::size_t count,
                double rate) {
    auto x = [&](std::size_t i) { return static_cast<double>(stereo[(first + i) * 2 + channel]); };
    // The period: a straight line through the rising zero crossings.
    double n = 0, sk = 0, st = 0, skk = 0, skt = 0;
    for (std::size_t i = 1; i < count; ++i) {
        if (x(i - 1) < 0 && x(i) >= 0) {
            const double t = static_cast<double>(i - 1) + x(i - 1) / (x(i - 1) - x(i));
            sk += n, st += t, skk += n * n, skt += n * t, n += 1;
        }
    }
    ToneFit fit;
    fit.frequency = rate * (n * skk - sk * sk) / (n * skt - sk * st);
    // Least squares for a·cos + b·sin at that frequency; the rest is noise and distortion.
    const double w = 2 * std::numbers::pi * fit.frequency / rate;
    double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double c = std::cos(w * i), s = std::sin(w * i);
        cc += c * c, ss += s * s, cs += c * s, xc += x(i) * c, xs += x(i) * s;
    }
    const double a = (xc * ss - xs * cs) / (cc * ss - cs * cs);
    const double b = (xs * cc - xc * cs) / (cc * ss - cs * cs);
    double noise = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double e = x(i) - a * std::cos(w * i) - b * std::sin(w * i);
        noise += e * e / static_cast<double>(count);
    }
    fit.amplitude = std::hypot(a, b);
    fit.snrDb = 10 * std::log10(fit.amplitude * fit.amplitude / 2 / std::max(noise, 1e-30));
    return fit;
}

std::pair<std::size_t, std::size_t> loudExtent(const std::vector<float>& stereo, int channel,
                                               float threshold) {
    std::size_t begin = stereo.size(), end = 0;
    for (std::size_t i = 0; i < stereo.size() / 2; ++i) {
        if (std::fabs(stereo[i * 2 + channel]) > threshold) {
            begin = std::min(begin, i);
            end = i + 1;
        }
    }
    return {begin, end};
}

} // namespace velto
