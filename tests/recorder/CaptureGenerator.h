#pragma once
#include <complex>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace velto::test {

// A tone in one channel, amplitude relative to full scale.
struct Tone {
    double frequency = 1000;
    double amplitude = 1;
};

// A broadcast FM signal with a chosen multiplex. Stereo: 45 % L+R, 45 % L−R on the 38 kHz
// subcarrier, 10 % pilot (when `pilot`). Mono: (L+R)/2 at full deviation, no subcarrier.
struct FmCapture {
    double rate = 1'024'000;
    double offsetHz = 250'000; // the station relative to the capture's centre
    double seconds = 2;
    double deviation = 75'000;
    std::vector<Tone> left;
    std::vector<Tone> right;
    bool stereo = false;
    bool pilot = false;
    // Carrier to noise in 200 kHz; infinity for no noise.
    double cnrDb = std::numeric_limits<double>::infinity();
    std::uint32_t seed = 1;
};

// A double-sideband AM signal with carrier: (1 + m·tone)·carrier.
struct AmCapture {
    double rate = 1'024'000;
    double offsetHz = 250'000;
    double seconds = 2;
    double modulation = 0.8;
    double toneFrequency = 800;
    double carrierAmplitude = 0.5;
    // Carrier to noise in 9 kHz; infinity for no noise.
    double cnrDb = std::numeric_limits<double>::infinity();
    std::uint32_t seed = 1;
};

std::vector<std::complex<float>> generateFm(const FmCapture& capture);
std::vector<std::complex<float>> generateAm(const AmCapture& capture);

enum class CaptureFormat { Cu8, Cs16, Cf32 };
// The samples as the bytes of a capture file in `format`.
std::string encodeCapture(const std::vector<std::complex<float>>& samples, CaptureFormat format);
// Writes a capture file; false when it cannot be written.
bool writeCapture(const std::string& path, const std::vector<std::complex<float>>& samples,
                  CaptureFormat format);

} // namespace velto::test
