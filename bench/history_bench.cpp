// History store speed and size: importing a year of 2-second Data Recorder records, a monthly
// report over ten years of days, and the live processing rate with the store's writer on and
// off. The files live in a temp folder for the run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/MessageProcessor.h"
#include "history/HistoryReport.h"
#include "history/HistoryWriter.h"
#include "history/ImportCommand.h"

namespace {

using namespace brennic;

std::string TempPath(const std::string& name) {
    static const std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brennic-history-bench-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder + "/" + name;
}

// A controller line for local time `tm`: the pump runs 09:00-17:00 with a collector that
// warms towards noon, so the year has heat every day.
int Line(char* out, std::size_t size, const std::tm& tm) {
    const double hour = tm.tm_hour + tm.tm_min / 60.0;
    const bool pump = hour >= 9.0 && hour < 17.0;
    const double collector = 80.0 + 70.0 * std::max(0.0, std::sin((hour - 6.0) / 12.0 * M_PI));
    return std::snprintf(out, size, "%d:%02d %.1f %.1f 12.0 180.0 %.1f %.1f %s OFF", tm.tm_hour,
                         tm.tm_min, collector, 110.0 + hour, collector - 5.0, 111.0 + hour,
                         pump ? "ON" : "OFF");
}

// One year (2009) of 2-second records: 15.8 million lines, a DATE header every 300.
std::string YearFile() {
    static const std::string path = [] {
        const std::string p = TempPath("year.txt");
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::vector<char> block;
        block.reserve(1 << 22);
        char line[192];
        long long n = 0;
        for (std::time_t t = 1230789600; t < 1262325600; t += 2, ++n) {  // CST 2009
            if (n % 300 == 0) {
                static constexpr char kHeader[] = "DATE CST\n";
                block.insert(block.end(), kHeader, kHeader + sizeof kHeader - 1);
            }
            std::tm tm{};
            const std::time_t standard = t - 6 * 3600;  // the recorder keeps CST all year
            gmtime_r(&standard, &tm);
            int k =
                std::snprintf(line, sizeof line, "%02d/%02d/%04d %02d:%02d:%02d ", tm.tm_mon + 1,
                              tm.tm_mday, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
            k += Line(line + k, sizeof line - static_cast<std::size_t>(k), tm);
            line[k++] = '\n';
            block.insert(block.end(), line, line + k);
            if (block.size() > (1 << 22) - 256) {
                std::fwrite(block.data(), 1, block.size(), f);
                block.clear();
            }
        }
        std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

double FileMegabytes(const std::string& path) {
    std::error_code ec;
    double bytes = 0;
    for (const char* suffix : {"", "-wal"}) {
        const auto size = std::filesystem::file_size(path + suffix, ec);
        bytes += ec ? 0.0 : static_cast<double>(size);
    }
    return bytes / 1e6;
}

void BM_ImportYearOfRecords(benchmark::State& st) {
    setenv("TZ", "America/Chicago", 1);
    tzset();
    const std::string file = YearFile();
    for (auto _ : st) {
        st.PauseTiming();
        const std::string store = TempPath("import.sqlite");
        std::filesystem::remove(store);
        ImportOptions options;
        options.files = {file};
        options.storePath = store;
        options.minuteRetentionDays = 100000;
        std::ostringstream out, progress, err;
        AppState state;
        st.ResumeTiming();
        if (RunImportCommand(state, options, out, progress, err) != 0) {
            st.SkipWithError(err.str().c_str());
            return;
        }
        st.PauseTiming();
        st.counters["storeMB"] = FileMegabytes(store);
        st.counters["fileMB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
        st.ResumeTiming();
    }
}
BENCHMARK(BM_ImportYearOfRecords)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Ten years of days (one stored minute an hour, every day).
std::string TenYearStore() {
    static const std::string path = [] {
        const std::string p = TempPath("ten-years.sqlite");
        auto opened = HistoryStore::Open(p);
        std::vector<MinuteRow> rows;
        for (std::time_t t = 1230789600; t < 1230789600 + 3653LL * 86400; t += 3600) {
            MinuteRow r;
            r.minute = t;
            r.samples = 30;
            r.collectorBtu = 1000.0 + static_cast<double>(t % 7919);
            r.haBtu = 300.0;
            r.channels[0] = {100.0f, 180.0f, 30 * 140.0, 30};
            rows.push_back(r);
        }
        opened.store->WriteMinutes(rows, HistoryStore::Overlap::kMerge, 0);
        return p;
    }();
    return path;
}

void BM_MonthlyReportTenYears(benchmark::State& st) {
    const std::string path = TenYearStore();
    std::size_t rows = 0;
    for (auto _ : st) {
        auto opened = HistoryStore::Open(path, HistoryStore::Mode::kReadOnly);
        EnergyReport report;
        std::string error;
        QueryEnergyReport(*opened.store, ReportPeriod::kMonth, std::nullopt, std::nullopt, report,
                          error);
        rows = report.rows.size();
        benchmark::DoNotOptimize(report);
    }
    st.counters["months"] = static_cast<double>(rows);
}
BENCHMARK(BM_MonthlyReportTenYears)->Unit(benchmark::kMillisecond);

// Live processing of controller lines, with (1) and without (0) the history writer taking a
// copy of every sample; a day of 2-second lines per iteration. The second argument turns the
// daily log and Summary.txt on, as a live station has them: the processing the store must not
// slow by more than a tenth.
void BM_LiveProcessing(benchmark::State& st) {
    const bool store = st.range(0) != 0;
    const bool logs = st.range(1) != 0;
    const std::string path = TempPath("live.sqlite");
    std::filesystem::remove(path);
    HistoryWriter writer(path, 3650, nullptr);
    if (store) {
        writer.Start();
    }
    AppState state;
    state.config.logData = logs ? 1 : 0;
    state.config.summaryEnable = logs ? 1 : 0;
    state.config.dataFolder = TempPath("logs");
    std::filesystem::create_directories(state.config.dataFolder);
    std::vector<std::string> lines;
    for (int s = 0; s < 86400; s += 2) {
        std::tm tm{};
        tm.tm_hour = s / 3600;
        tm.tm_min = s / 60 % 60;
        char line[128];
        Line(line, sizeof line, tm);
        lines.emplace_back(line);
    }
    std::time_t t = std::time(nullptr);
    long long items = 0;
    for (auto _ : st) {
        for (const std::string& line : lines) {
            StateGuard guard(state.lock);
            const int before = state.processor.sampleCount;
            ProcessLiveLine(state, line, t);
            if (store && state.processor.sampleCount != before) {
                writer.Observe(state.processor);
            }
            t += 2;
        }
        items += static_cast<long long>(lines.size());
    }
    writer.Stop();
    st.SetItemsProcessed(items);
    st.counters["minutesWritten"] = static_cast<double>(writer.counters().minutesWritten);
}
BENCHMARK(BM_LiveProcessing)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"store", "logs"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
