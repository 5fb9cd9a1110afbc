// Replay speed: a generated Data Recorder file replayed from disk through the processor, and
// fast access to a range start in a large file. The files live in a temp folder for the run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "replay/DataRecorderReader.h"
#include "replay/RecordScan.h"

namespace {

using namespace brennic;

constexpr std::time_t kFirst = 1230768000;  // 2009-01-01, 2-second records from here

class TempFiles {
  public:
    TempFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brennic-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    ~TempFiles() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  private:
    std::string folder_;
};

TempFiles& Files() {
    static TempFiles files;
    return files;
}

struct Generated {
    std::string path;
    long long lines = 0;     // data records
    std::int64_t bytes = 0;  // file size
    std::time_t last = 0;
};

// A model 0 Data Recorder file of about `targetBytes`, a "DATE CST" header every 300 records.
// The times are Central Standard Time all year, as the header says (no daylight-saving hole
// in March), whatever zone the machine is in.
Generated Generate(const std::string& name, std::int64_t targetBytes) {
    Generated g;
    g.path = Files().Path(name);
    std::FILE* f = std::fopen(g.path.c_str(), "wb");
    std::vector<char> block;
    block.reserve(1 << 22);
    char line[160];
    std::time_t t = kFirst;
    std::tm tm{};
    std::time_t dayStart = -1;
    while (g.bytes < targetBytes) {
        if (g.lines % 300 == 0) {
            static constexpr char kHeader[] = "DATE CST\n";
            block.insert(block.end(), kHeader, kHeader + sizeof kHeader - 1);
            g.bytes += static_cast<std::int64_t>(sizeof kHeader - 1);
        }
        if (dayStart < 0 || t - dayStart >= 86400) {
            const std::time_t central = t - 6 * 3600;
            gmtime_r(&central, &tm);
            dayStart = t - (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec);
        }
        const int sec = static_cast<int>(t - dayStart);
        const int i = static_cast<int>(g.lines % 1000);
        const int n = std::snprintf(
            line, sizeof line,
            "%02d/%02d/%04d %02d:%02d:%02d %d:%02d %.1f %.1f 12.0 180.0 %.1f %.1f %s OFF\n",
            tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900, sec / 3600, sec / 60 % 60, sec % 60,
            sec / 3600, sec / 60 % 60, 100.0 + i * 0.1, 90.0 + i * 0.05, 95.0 + i * 0.1,
            85.0 + i * 0.02, (i / 100) % 2 ? "ON" : "OFF");
        block.insert(block.end(), line, line + n);
        g.bytes += n;
        g.last = t;
        ++g.lines;
        t += 2;
        if (block.size() > (1 << 22) - 256) {
            std::fwrite(block.data(), 1, block.size(), f);
            block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), f);
    std::fclose(f);
    return g;
}

const Generated& ReplayFile() {
    static const Generated g = Generate("replay.txt", 150LL * 1000 * 1000);
    return g;
}

const Generated& LargeFile() {
    static const Generated g = Generate("large.txt", 1024LL * 1024 * 1024);
    return g;
}

// Replays the whole file through the processor, from disk (page cache warm after the first).
void BM_ReplayDataRecorderFile(benchmark::State& st) {
    const Generated& file = ReplayFile();
    ReplayEvents events;
    long long records = 0;
    for (auto _ : st) {
        AppState state;
        const ReplayOutcome out = ReplayDataRecorderFile(state, file.path, RecordRange{}, events);
        if (out.readError != kReadOk || out.recordsProcessed != file.lines) {
            st.SkipWithError("replay did not read every record");
            return;
        }
        records += out.recordsProcessed;
    }
    st.SetItemsProcessed(records);
    st.counters["lines"] = static_cast<double>(file.lines);
    st.counters["MB"] = static_cast<double>(file.bytes) / 1e6;
}
BENCHMARK(BM_ReplayDataRecorderFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// From an open file to the first record of the range: the scans, the fast access search and
// reading up to the range start. A different range start each time.
void FastAccess(benchmark::State& st, const Generated& file) {
    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::time_t> pick(kFirst, file.last);
    int maxTries = 0;
    for (auto _ : st) {
        st.PauseTiming();
        const std::time_t start = pick(random);
        RecordFile f(LogFormat::kDataRecorder);
        f.reader.Open(file.path);
        st.ResumeTiming();
        int rc = ScanForHeader(f);
        rc = rc ? rc : FindFirstRecord(f);
        rc = rc ? rc : FindLastRecord(f);
        int tries = 0;
        rc = rc ? rc
                : FastAccessPosition(f, RecordRange{start, file.last, true, true, true}, &tries);
        std::string_view line;
        std::int64_t pos = 0;
        RecordLine record;
        while (rc == kReadOk && f.reader.Next(line, pos) == LineReader::kLine) {
            if (f.parser.Parse(line, record) == kReadOk && record.kind == RecordLine::kData &&
                record.time >= start) {
                break;
            }
        }
        if (rc != kReadOk || record.time < start || record.time > start + 2) {
            st.SkipWithError("fast access did not reach the range start");
            return;
        }
        maxTries = std::max(maxTries, tries);
    }
    st.counters["maxPositions"] = maxTries;
    st.counters["MB"] = static_cast<double>(file.bytes) / 1e6;
}

void BM_FastAccess150MB(benchmark::State& st) {
    FastAccess(st, ReplayFile());
}
BENCHMARK(BM_FastAccess150MB)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_FastAccess1GB(benchmark::State& st) {
    FastAccess(st, LargeFile());
}
BENCHMARK(BM_FastAccess1GB)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
