// The sun chart recomputes a whole day (240 steps) on every update, and the main display asks
// for the flux on every paint.
#include <benchmark/benchmark.h>

#include <ctime>

#include "sun/SolarGeometry.h"

namespace {

brennic::SolarSetup Setup() {
    brennic::SolarSetup s;
    s.latitude = 45.0f * brennic::kDegToRadF;
    s.longitude = -88.0f * brennic::kDegToRadF;
    s.arrayAzimuth = 145.0f * brennic::kDegToRadF;
    s.arrayTilt = 60.0f * brennic::kDegToRadF;
    s.b0 = 0.2f;
    s.a0 = 0.7f;
    s.a1 = -5.0f;
    return s;
}

void BM_CollectorFlux(benchmark::State& state) {
    const brennic::SolarSetup s = Setup();
    std::time_t t = 1718990000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(brennic::CollectorFlux(t, s.latitude, s.longitude, s.arrayAzimuth,
                                                        s.arrayTilt, s.b0, s.a0, s.a1, s.arrayTempF,
                                                        s.ambientTempF));
        t += 2;
    }
}
BENCHMARK(BM_CollectorFlux);

void BM_DailyFactors(benchmark::State& state) {
    const brennic::SolarSetup s = Setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(brennic::DailyFactors(1718990000, s));
    }
}
BENCHMARK(BM_DailyFactors);

}  // namespace

BENCHMARK_MAIN();
