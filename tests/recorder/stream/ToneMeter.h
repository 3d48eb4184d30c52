#pragma once
#include <cstddef>
#include <vector>

namespace velto::test {

// How clearly one channel of interleaved stereo audio carries a tone: the tone fitted by
// least squares at `frequency`, against everything else in the window.
struct Tone {
    double amplitude = 0;
    double snrDb = 0;
};

Tone measureTone(const std::vector<float>& stereo, int channel, double frequency,
                 std::size_t firstFrame, std::size_t frames, int rate = 48000);

} // namespace velto::test
