// The receiver's demodulation chains on one core, from 1.024 MS/s captures to 48 kHz
// stereo: "realtime" is seconds of signal demodulated per second of CPU (targets: FM stereo
// 20x, AM 50x).
#include "CaptureGenerator.h"
#include "dsp/AmDemodulator.h"
#include "dsp/FmDemodulator.h"

#include <benchmark/benchmark.h>

using namespace velto;

namespace {
constexpr double kSeconds = 2;

const std::vector<std::complex<float>>& fmCapture() {
    static const auto samples = [] {
        test::FmCapture capture;
        capture.seconds = kSeconds;
        capture.stereo = capture.pilot = true;
        capture.left = {{1000, 0.8}};
        capture.right = {{1500, 0.8}};
        capture.cnrDb = 40;
        return test::generateFm(capture);
    }();
    return samples;
}

const std::vector<std::complex<float>>& amCapture() {
    static const auto samples = [] {
        test::AmCapture capture;
        capture.seconds = kSeconds;
        capture.cnrDb = 40;
        return test::generateAm(capture);
    }();
    return samples;
}

// 100 ms blocks, as the sources deliver them.
void run(benchmark::State& state, Demodulator& demodulator,
         const std::vector<std::complex<float>>& iq) {
    std::vector<float> audio;
    constexpr std::size_t kBlock = 102'400;
    for (auto _ : state) {
        for (std::size_t at = 0; at < iq.size(); at += kBlock) {
            audio.clear();
            demodulator.process(iq.data() + at, std::min(kBlock, iq.size() - at), audio);
            benchmark::DoNotOptimize(audio.data());
        }
    }
    state.counters["realtime"] =
        benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}
} // namespace

static void BM_FmStereoChain(benchmark::State& state) {
    std::string why;
    auto demodulator = FmDemodulator::create({1'024'000, 250'000, 50e-6}, why);
    run(state, *demodulator, fmCapture());
}
BENCHMARK(BM_FmStereoChain)->Unit(benchmark::kMillisecond);

static void BM_AmChain(benchmark::State& state) {
    std::string why;
    auto demodulator = AmDemodulator::create({1'024'000, 250'000}, why);
    run(state, *demodulator, amCapture());
}
BENCHMARK(BM_AmChain)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
