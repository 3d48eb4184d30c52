// One watch pass over a full list in which nothing is due: the cost the watch thread pays
// every second in the common case. And a re-plan of a full list, as the window meets it.
#include "engine/RecordingEngine.h"
#include "tests/support/FakeEngineServices.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

constexpr double kNow = 1705276800.0;

void BM_WatchPassNothingDue(benchmark::State& state) {
    FakeEngineServices fx(kNow);
    RecordingEngine engine(fx.services());
    int const count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) {
        Reservation rec;
        rec.start = kNow + 3600.0 + i * 600.0;
        rec.end = rec.start + 300.0;
        rec.frequency = 0x01001F40;
        std::string const title = "reservation " + std::to_string(i);
        title.copy(rec.title, sizeof rec.title - 1);
        CheckResult result;
        engine.list().add(rec, result, 0);
    }
    if (engine.list().size() != count) {
        state.SkipWithError("the list did not take every reservation");
        return;
    }
    for (auto _ : state) {
        engine.watchPass();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["mainThreadRequests"] = fx.listener.missed.load();
}
BENCHMARK(BM_WatchPassNothingDue)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// A re-plan with every reservation pending, wake-ups and shutdown on, each tool run taking
// 200 us. The time per iteration is the whole run on the planning thread; the counter
// mainThreadWorstMs is the longest the main thread was held meanwhile: by the request itself,
// or by a repaint's reads of the list (30 visible rows and the next start) while the planning
// thread works through it.
void BM_ReplanMainThreadWorst(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    FakeEngineServices fx(kNow);
    fx.settings.setInteger(kWakeBeforeKey, 1);
    fx.settings.setInteger(kShutdownAfterKey, 1);
    fx.privileged.setCallTime(std::chrono::microseconds(200));
    RecordingEngine engine(fx.services());
    int const count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) {
        Reservation rec;
        rec.start = kNow + 3600.0 + i * 600.0;
        rec.end = rec.start + 300.0;
        rec.frequency = 0x01001F40;
        CheckResult result;
        engine.list().add(rec, result, 0);
    }
    double worst = 0.0;
    int toolRuns = 0;
    auto const held = [&worst](Clock::time_point since) {
        worst = std::max(worst,
                         std::chrono::duration<double, std::milli>(Clock::now() - since).count());
    };
    for (auto _ : state) {
        fx.privileged.clear();
        Clock::time_point const asked = Clock::now();
        engine.requestReplan();
        held(asked);
        while (!engine.waitForPlanning(std::chrono::milliseconds(0))) {
            Clock::time_point const repaint = Clock::now();
            Reservation rec;
            for (int row = 0; row < 30; ++row) {
                engine.list().readAt(row, rec);
            }
            (void)engine.nextStart();
            held(repaint);
        }
        toolRuns = static_cast<int>(fx.privileged.calls().size());
    }
    state.counters["mainThreadWorstMs"] = worst;
    state.counters["toolRuns"] = toolRuns;
}
BENCHMARK(BM_ReplanMainThreadWorst)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
