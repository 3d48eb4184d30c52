// One watch pass over a full list in which nothing is due: the cost the watch thread pays
// every second in the common case.
#include "engine/RecEngine.h"
#include "tests/support/FakeEngineServices.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr double kNow = 1705276800.0;

void BM_WatchPassNothingDue(benchmark::State& state) {
    FakeEngineServices fx(kNow);
    CRecEngine engine(fx.services());
    engine.CreateSchedule();
    int const count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) {
        SCHEDULEITEM_TAG rec;
        rec.dStartTime = kNow + 3600.0 + i * 600.0;
        rec.dEndTime = rec.dStartTime + 300.0;
        rec.uFreq = 0x01001F40;
        std::string const title = "reservation " + std::to_string(i);
        title.copy(rec.cTitle, sizeof rec.cTitle - 1);
        SCHEDULE_RETURN result;
        engine.m_Schedule->addSchedule(&rec, result, 0);
    }
    if (engine.m_Schedule->m_nCount.load() != count) {
        state.SkipWithError("the list did not take every reservation");
        return;
    }
    for (auto _ : state) {
        engine.WatchPass();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["mainThreadRequests"] = fx.mainThread.displayTheTable.load();
}
BENCHMARK(BM_WatchPassNothingDue)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
