#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace velto {

// How a receiver gets from its input rate to 48 kHz: an integer decimation (in stages of
// 2, 3, 5 or 7) to an intermediate rate wide enough for the channel; for FM, halvings of
// the demodulated sound down to at least 48 kHz; then an exact rational step P/Q to 48 kHz,
// so that no rate drifts against the file's time line. Lower rates cost less, so the
// lowest that works is taken.
struct ResamplerPlan {
    std::vector<unsigned> channelStages;
    double intermediateRate = 0;
    std::vector<unsigned> audioStages;
    double audioRate = 0;       // before the last step
    unsigned interpolation = 1; // P
    unsigned reduction = 1;     // Q

    // FM: an intermediate rate of 220 to 440 kHz for the ±100 kHz channel and its multiplex.
    static std::optional<ResamplerPlan> forFm(std::uint64_t inputRate);
    // AM: 32 to 64 kHz for the 9 kHz channel.
    static std::optional<ResamplerPlan> forAm(std::uint64_t inputRate);

private:
    static std::optional<ResamplerPlan> find(std::uint64_t inputRate, std::uint64_t lowest,
                                             std::uint64_t highest, bool halveAudio);
};

} // namespace velto
