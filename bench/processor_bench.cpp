// Replay speed of the message processor: recorded controller lines through
// ProcessRecordedLine with the state lock taken around each call, as the log readers do.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/MessageProcessor.h"

namespace brennic {
namespace {

constexpr std::time_t kStart = 1243850000;  // 2009-06-01, a few hours before midnight
constexpr std::time_t kStep = 2;            // the controller reports every 2 seconds

std::vector<std::string> Model0Lines() {
    std::vector<std::string> lines;
    char buf[128];
    for (int i = 0; i < 64; ++i) {
        std::snprintf(buf, sizeof buf, "%02d:%02d %5.1f %5.1f 10 180 %5.1f %5.1f %s OFF", i / 60,
                      i % 60, 150.0 + i * 0.3, 120.0 + i * 0.1, 140.0 + i * 0.2, 130.0 + i * 0.1,
                      (i % 16) < 12 ? "ON" : "OFF");
        lines.emplace_back(buf);
    }
    return lines;
}

std::vector<std::string> Model1Lines() {
    std::vector<std::string> lines;
    char buf[128];
    for (int i = 0; i < 32; ++i) {
        std::snprintf(buf, sizeof buf, "%02d:%02d %5.1f %5.1f 10 180 %5.1f %5.1f %s OFF", i / 60,
                      i % 60, 150.0 + i * 0.3, 120.0 + i * 0.1, 140.0 + i * 0.2, 130.0 + i * 0.1,
                      (i % 16) < 12 ? "ON" : "OFF");
        lines.emplace_back(buf);
        std::snprintf(buf, sizeof buf, "GPM=%3.1f  FPL=%i  AX3=%3.1f KWH=%3.1f", 2.5 + i * 0.01, i,
                      90.0 + i * 0.1, 12.5);
        lines.emplace_back(buf);
    }
    return lines;
}

std::vector<std::string> Model2Lines() {
    std::vector<std::string> lines;
    char buf[128];
    for (int i = 0; i < 64; ++i) {
        std::snprintf(buf, sizeof buf,
                      "COL=%0.1f STO=%0.1f PKH=%0.1f PKL=%0.1f AX1=%0.1f AX2=%0.1f PMP=%s "
                      "%s UPL=OFF",
                      150.0 + i * 0.3, 120.0 + i * 0.1, 180.0, 10.0, 140.0 + i * 0.2,
                      130.0 + i * 0.1, "ON", (i % 16) < 12 ? "ON" : "OFF");
        lines.emplace_back(buf);
    }
    return lines;
}

// Model 0 lines with one line in four broken in one of the ways a noisy port breaks them.
std::vector<std::string> MixedLines() {
    std::vector<std::string> lines = Model0Lines();
    const char* broken[] = {
        "12:00 150.2 OPEN.S 10 180 140.3 130.1 ON OFF",
        "12:00 150.2 12x5 10 180 140.3 130.1 ON OFF",
        "12:00 150.2 nan 10 180 140.3 130.1 ON OFF",
        "Sensor fault 150.2 10 180 140.3 130.1 ON OFF",
        "12:00 150.2 120.5",
        "RUNTIME COLL-T STOR-T DIFF-T HILI-T AUX-1 AUX-2 PUMP UPLim FAULT",
        "GPM=2.5  FPL=3  AX3=90.0 KWH=1.5",
        "",
    };
    for (std::size_t i = 0; i < lines.size(); i += 4) {
        lines[i] = broken[(i / 4) % std::size(broken)];
    }
    return lines;
}

void Run(benchmark::State& bs, int model, const std::vector<std::string>& lines) {
    auto state = std::make_unique<AppState>();
    state->config.controllerType = model;
    ResetStatistics(*state, kStart);
    std::time_t t = kStart;
    std::size_t i = 0;
    for (auto _ : bs) {
        const std::string& line = lines[i];
        if (++i == lines.size()) {
            i = 0;
        }
        t += kStep;
        StateGuard guard(state->lock);
        benchmark::DoNotOptimize(ProcessRecordedLine(*state, line.c_str(), nullptr, t));
    }
    bs.SetItemsProcessed(static_cast<std::int64_t>(bs.iterations()));
    bs.counters["data_errors"] = state->processor.dataErrors;
}

void BM_Model0Lines(benchmark::State& bs) {
    Run(bs, 0, Model0Lines());
}
void BM_Model1LinePairs(benchmark::State& bs) {
    Run(bs, 1, Model1Lines());  // items are lines; two make one report
}
void BM_Model2Lines(benchmark::State& bs) {
    Run(bs, 2, Model2Lines());
}
void BM_Model0MixWithErrors(benchmark::State& bs) {
    Run(bs, 0, MixedLines());
}

BENCHMARK(BM_Model0Lines);
BENCHMARK(BM_Model1LinePairs);
BENCHMARK(BM_Model2Lines);
BENCHMARK(BM_Model0MixWithErrors);

}  // namespace
}  // namespace brennic

BENCHMARK_MAIN();
