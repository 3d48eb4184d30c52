// The reservation list at its full size of 10,000 reservations.
#include "store/ScheduleItem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kBase = 1'700'000'000.0;
constexpr int kFull = kScheduleMaxCount;

double FixedNow() {
    return kBase + 86400.0;
}

// Half-hour reservations at shuffled start times a minute apart: the adds land all over
// the list, as they would from a user working through a season's programme.
std::vector<SCHEDULEITEM_TAG> Reservations(int count) {
    std::vector<SCHEDULEITEM_TAG> recs(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        SCHEDULEITEM_TAG& r = recs[static_cast<std::size_t>(i)];
        r.dStartTime = kBase + 60.0 * i;
        r.dEndTime = r.dStartTime + 1800.0;
        r.uFreq = 0x01001F40;
        std::strcpy(r.cTitle, "evening programme");
    }
    std::shuffle(recs.begin(), recs.end(), std::mt19937(42));
    return recs;
}

void Fill(CScheduleItem& list, int count) {
    SCHEDULE_RETURN ret;
    for (SCHEDULEITEM_TAG r : Reservations(count))
        list.addSchedule(&r, ret, 1);
}

std::string BenchFile(char const* name) {
    char const* dir = std::getenv("RESVMAN_BENCH_DIR");
    return (std::filesystem::path(dir ? dir : ".") / name).string();
}

void BM_AddSorted(benchmark::State& state) {
    std::vector<SCHEDULEITEM_TAG> recs = Reservations(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CScheduleItem list;
        SCHEDULE_RETURN ret;
        for (SCHEDULEITEM_TAG& r : recs)
            list.addSchedule(&r, ret, 1);
        benchmark::DoNotOptimize(list.m_nCount.load());
    }
}
BENCHMARK(BM_AddSorted)->Arg(kFull)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    CScheduleItem list;
    Fill(list, kFull);
    std::string const path = BenchFile("bench_store_save.dat");
    for (auto _ : state)
        if (!list.Save(path.c_str()))
            state.SkipWithError("save failed");
    std::filesystem::remove(path);
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Load(benchmark::State& state) {
    std::string const path = BenchFile("bench_store_load.dat");
    {
        CScheduleItem list;
        Fill(list, kFull);
        list.Save(path.c_str());
    }
    CScheduleItem list;
    for (auto _ : state)
        if (!list.Load(path.c_str()) || list.m_nCount != kFull)
            state.SkipWithError("load failed");
    std::filesystem::remove(path);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NextReservation(benchmark::State& state) {
    CScheduleItem list;
    list.setNowFunction(&FixedNow);
    Fill(list, kFull);
    SCHEDULEITEM_TAG out;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.readSchedule(&out));
}
BENCHMARK(BM_NextReservation)->Unit(benchmark::kMicrosecond);

void BM_LatestReservation(benchmark::State& state) {
    CScheduleItem list;
    list.setNowFunction(&FixedNow);
    Fill(list, kFull);
    SCHEDULEITEM_TAG out;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.readScheduleLatest(&out));
}
BENCHMARK(BM_LatestReservation)->Unit(benchmark::kMicrosecond);

// The worst case for the queries: an unsorted add just before, so they sort all 10,000.
void BM_NextReservationAfterUnsortedAdd(benchmark::State& state) {
    CScheduleItem list;
    list.setNowFunction(&FixedNow);
    Fill(list, kFull - 1);
    SCHEDULEITEM_TAG early;
    early.dStartTime = kBase - 7200;
    early.dEndTime = kBase - 3600;
    early.uFreq = 1000;
    SCHEDULEITEM_TAG out;
    SCHEDULE_RETURN ret;
    for (auto _ : state) {
        list.addSchedule(&early, ret, 0);
        benchmark::DoNotOptimize(list.readSchedule(&out));
        state.PauseTiming();
        list.readScheduleByIndex(0, &out);
        list.deleteSchedule(out.nID);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NextReservationAfterUnsortedAdd)->Unit(benchmark::kMicrosecond);

void BM_CheckAgainstFullList(benchmark::State& state) {
    CScheduleItem list;
    Fill(list, kFull);
    SCHEDULEITEM_TAG probe;
    probe.dStartTime = kBase - 7200; // overlaps nothing: the whole list is looked at
    probe.dEndTime = kBase - 3600;
    probe.uFreq = 1000;
    SCHEDULE_RETURN ret;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.GlovalCheck(probe, ret));
}
BENCHMARK(BM_CheckAgainstFullList)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
