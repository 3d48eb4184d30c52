// The reservation list at its full size of 10,000 reservations.
#include "store/ReservationFile.h"
#include "store/ReservationList.h"
#include "tests/support/FakeClock.h"

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
constexpr int kFull = ReservationList::kCapacity;

double fixedNow() {
    return kBase + 86400.0;
}

// Half-hour reservations at shuffled start times a minute apart: the adds land all over
// the list, as they would from a user working through a season's programme.
std::vector<Reservation> makeReservations(int count) {
    std::vector<Reservation> recs(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Reservation& r = recs[static_cast<std::size_t>(i)];
        r.start = kBase + 60.0 * i;
        r.end = r.start + 1800.0;
        r.frequency = 0x01001F40;
        std::strcpy(r.title, "evening programme");
    }
    std::shuffle(recs.begin(), recs.end(), std::mt19937(42));
    return recs;
}

void fill(ReservationList& list, int count) {
    CheckResult ret;
    for (Reservation r : makeReservations(count))
        list.add(r, ret, 1);
}

std::string benchFile(char const* name) {
    char const* dir = std::getenv("RESVMAN_BENCH_DIR");
    return (std::filesystem::path(dir ? dir : ".") / name).string();
}

void BM_AddSorted(benchmark::State& state) {
    std::vector<Reservation> recs = makeReservations(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ReservationList list;
        CheckResult ret;
        for (Reservation& r : recs)
            list.add(r, ret, 1);
        benchmark::DoNotOptimize(list.size());
    }
}
BENCHMARK(BM_AddSorted)->Arg(kFull)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    ReservationList list;
    fill(list, kFull);
    std::string const path = benchFile("bench_store_save.dat");
    for (auto _ : state)
        if (!ReservationFile(path).save(list))
            state.SkipWithError("save failed");
    std::filesystem::remove(path);
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Load(benchmark::State& state) {
    std::string const path = benchFile("bench_store_load.dat");
    {
        ReservationList list;
        fill(list, kFull);
        ReservationFile(path).save(list);
    }
    ReservationList list;
    for (auto _ : state)
        if (!ReservationFile(path).load(list) || list.size() != kFull)
            state.SkipWithError("load failed");
    std::filesystem::remove(path);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NextReservation(benchmark::State& state) {
    FakeClock clock(fixedNow());
    ReservationList list(clock);
    fill(list, kFull);
    Reservation out;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.next());
}
BENCHMARK(BM_NextReservation)->Unit(benchmark::kMicrosecond);

void BM_LatestReservation(benchmark::State& state) {
    FakeClock clock(fixedNow());
    ReservationList list(clock);
    fill(list, kFull);
    Reservation out;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.latest());
}
BENCHMARK(BM_LatestReservation)->Unit(benchmark::kMicrosecond);

// The worst case for the queries: an unsorted add just before, so they sort all 10,000.
void BM_NextReservationAfterUnsortedAdd(benchmark::State& state) {
    FakeClock clock(fixedNow());
    ReservationList list(clock);
    fill(list, kFull - 1);
    Reservation early;
    early.start = kBase - 7200;
    early.end = kBase - 3600;
    early.frequency = 1000;
    Reservation out;
    CheckResult ret;
    for (auto _ : state) {
        list.add(early, ret, 0);
        benchmark::DoNotOptimize(list.next());
        state.PauseTiming();
        list.readAt(0, out);
        list.remove(out.id);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NextReservationAfterUnsortedAdd)->Unit(benchmark::kMicrosecond);

// Argument 1: with the largest margins (10 min early, 30 late), which the check counts too.
void BM_CheckAgainstFullList(benchmark::State& state) {
    ReservationList list;
    fill(list, kFull);
    if (state.range(0) != 0) {
        list.setMargins({600.0, 1800.0});
    }
    Reservation probe;
    probe.start = kBase - 7200; // overlaps nothing: the whole list is looked at
    probe.end = kBase - 3600;
    probe.frequency = 1000;
    CheckResult ret;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.checkAgainstList(probe, ret));
}
BENCHMARK(BM_CheckAgainstFullList)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
