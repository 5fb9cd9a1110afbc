// Speed of the simulated installation: the demo's past day (a day to settle, then 24 hours
// of reports every 2 seconds through the processor's recorded road), and a week of
// brennic-simulate output.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "core/AppState.h"
#include "sim/SimulatedDay.h"
#include "sim/SimulationFiles.h"

namespace brennic {
namespace {

constexpr std::time_t kNow = 1781200000;  // a June afternoon in 2026

void BM_DemoPastDay(benchmark::State& s) {
    for (auto _ : s) {
        auto state = std::make_unique<AppState>();
        benchmark::DoNotOptimize(FillPastDay(*state, kNow));
    }
}
BENCHMARK(BM_DemoPastDay)->Unit(benchmark::kMillisecond);

void BM_SimulateWeekOfLog(benchmark::State& s) {
    SimulationOptions o;
    o.start = kNow;
    o.days = 7;
    o.interval = 60;
    o.format = SimulationFormat::kOwnLog;
    for (auto _ : s) {
        std::FILE* sink = std::fopen("/dev/null", "w");
        benchmark::DoNotOptimize(WriteSimulation(sink, o, BuiltInGlycolTable()));
        std::fclose(sink);
    }
}
BENCHMARK(BM_SimulateWeekOfLog)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brennic

BENCHMARK_MAIN();
