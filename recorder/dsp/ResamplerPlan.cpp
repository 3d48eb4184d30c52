#include "dsp/ResamplerPlan.h"

#include <numeric>

namespace velto {

namespace {
// The last step's filter bank is P times its filter; beyond this it is not worth it.
constexpr std::uint64_t kLargestInterpolation = 128;
constexpr std::uint64_t kAudioRate = 48'000;
constexpr std::uint64_t kHighestInput = 100'000'000;

// Small primes merged into stages of at most kLargestStage, largest first: the early
// stages run at the highest rate, where the channel is a small part of the band and a
// decimating filter needs few taps; fewer stages mean fewer calls per sample.
constexpr unsigned kLargestStage = 8;
std::optional<std::vector<unsigned>> stagesOf(std::uint64_t d) {
    std::vector<unsigned> primes;
    for (unsigned prime : {7u, 5u, 3u, 2u}) {
        while (d % prime == 0) {
            primes.push_back(prime);
            d /= prime;
        }
    }
    if (d != 1)
        return std::nullopt;
    std::vector<unsigned> stages;
    for (unsigned prime : primes) {
        if (!stages.empty() && stages.back() * prime <= kLargestStage)
            stages.back() *= prime;
        else
            stages.push_back(prime);
    }
    return stages;
}
} // namespace

std::optional<ResamplerPlan> ResamplerPlan::forFm(std::uint64_t inputRate) {
    return find(inputRate, 220'000, 440'000, true);
}

std::optional<ResamplerPlan> ResamplerPlan::forAm(std::uint64_t inputRate) {
    return find(inputRate, 32'000, 64'000, false);
}

std::optional<ResamplerPlan> ResamplerPlan::find(std::uint64_t inputRate, std::uint64_t lowest,
                                                 std::uint64_t highest, bool halveAudio) {
    if (inputRate < lowest || inputRate > kHighestInput)
        return std::nullopt;
    for (std::uint64_t d = inputRate / lowest; d >= 1; --d) {
        if (inputRate > d * highest)
            break;
        auto stages = stagesOf(d);
        if (!stages)
            continue;
        ResamplerPlan plan;
        plan.channelStages = std::move(*stages);
        plan.intermediateRate = double(inputRate) / double(d);
        std::uint64_t total = d;
        if (halveAudio) {
            while (inputRate / (total * 2) >= kAudioRate && inputRate % (total * 2) == 0) {
                plan.audioStages.push_back(2);
                total *= 2;
            }
        }
        plan.audioRate = double(inputRate) / double(total);
        // 48000 / (rate / total) = 48000·total / rate, reduced.
        const std::uint64_t num = kAudioRate * total;
        const std::uint64_t g = std::gcd(num, inputRate);
        if (num / g > kLargestInterpolation)
            continue;
        plan.interpolation = unsigned(num / g);
        plan.reduction = unsigned(inputRate / g);
        return plan;
    }
    return std::nullopt;
}

} // namespace velto
