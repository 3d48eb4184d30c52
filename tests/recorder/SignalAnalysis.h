#pragma once
#include <cstddef>
#include <vector>

namespace velto::test {

// One channel (0 left, 1 right) of interleaved stereo audio, leaving out the first
// `skipSeconds` (filters settling, the pilot loop locking).
std::vector<float> channelOf(const std::vector<float>& interleaved, int channel, double skipSeconds,
                             double rate = 48'000);

// Amplitude of the tone at `frequency` (least squares over whole tenths of a second).
double toneAmplitude(const std::vector<float>& signal, double frequency, double rate = 48'000);

// Signal to noise and distortion: the tone against everything else but DC, in dB.
double sinadDb(const std::vector<float>& signal, double frequency, double rate = 48'000);

// Total harmonic distortion, harmonics 2 to 5, as a fraction of the fundamental.
double harmonicDistortion(const std::vector<float>& signal, double frequency, double rate = 48'000);

} // namespace velto::test
