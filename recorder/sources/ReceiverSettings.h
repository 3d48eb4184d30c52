#pragma once
#include <optional>
#include <string>

namespace velto {

// How AM reaches a tuner built for VHF: RTL-SDR's direct sampling of its Q branch, or an
// upconverter ahead of the antenna input that moves medium wave up by a fixed amount.
enum class AmInput { DirectSampling, Upconverter };

// The receiver's settings, as the window's settings page holds them.
struct ReceiverSettings {
    std::string deviceArgs;       // SoapySDR device arguments; empty: the first receiver found
    std::optional<double> gainDb; // none: automatic gain
    double ppm = 0;               // the tuner's crystal error
    AmInput amInput = AmInput::DirectSampling;
    double upconverterHz = 125'000'000;
    double deemphasisSeconds = 50e-6; // 75e-6 in the Americas
    double sampleRate = 1'024'000;
    // How far beside the station the tuner sits.
    double tuningOffsetHz = 250'000;
};

} // namespace velto
