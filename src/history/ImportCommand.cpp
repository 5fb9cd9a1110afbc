#include "history/ImportCommand.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <system_error>

#include "core/AppState.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "history/MinuteAccumulator.h"
#include "replay/CaptureReader.h"
#include "replay/DataRecorderReader.h"
#include "replay/OwnLogReader.h"
#include "replay/RecordScan.h"
#include "replay/RecordTime.h"

namespace brennic {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kRowsPerTransaction = 50000;  // about five weeks of minutes

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

ImportKind KindOfLine(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && IsDigit(line[i])) {
        ++i;
    }
    if (line.rfind("DATE", 0) == 0) {
        return ImportKind::kDataRecorder;
    }
    if (i == 0) {
        return ImportKind::kUnknown;
    }
    if (i == 4 && i < line.size() && line[i] == '-') {
        return ImportKind::kOwnLog;
    }
    if (i <= 2 && i < line.size() && line[i] == '/') {
        return ImportKind::kDataRecorder;
    }
    return ImportKind::kCapture;
}

// Hands every processed sample to `sample`, counts bad records (the replay's record error
// lines) and keeps the read error's text.
class ImportEvents : public ReplayEvents {
  public:
    explicit ImportEvents(std::function<void(const ProcessorState&)> sample)
        : sample_(std::move(sample)) {}
    void SampleProcessed(const ProcessorState& processor) override { sample_(processor); }
    void BadRecord(int, const std::string&) override { ++badRecords; }
    RecordErrorChoice AskRecordError(const std::string&) override {
        return RecordErrorChoice::kSuppressErrors;
    }
    void ReadError(int, const std::string& text, const std::string& caption) override {
        message = caption + ": " + text;
    }
    int badRecords = 0;
    std::string message;

  private:
    std::function<void(const ProcessorState&)> sample_;
};

std::string Duration(double seconds) {
    const long long s = static_cast<long long>(seconds + 0.5);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld", s / 60, s % 60);
    return buffer;
}

// The progress display of one file: a bar redrawn in place on a terminal, else a line every
// tenth of the file.
class Progress {
  public:
    Progress(std::ostream& out, bool terminal, std::string name, std::time_t first,
             std::time_t last)
        : out_(out), terminal_(terminal), name_(std::move(name)), first_(first), last_(last) {}

    void Record(std::time_t t) {
        ++records_;
        if ((records_ & 1023) != 0) {
            return;
        }
        const int percent = last_ > first_ ? PercentThrough(t, first_, last_) : -1;
        const auto now = Clock::now();
        if (terminal_) {
            if (now - shown_ < std::chrono::milliseconds(200)) {
                return;
            }
            shown_ = now;
            const double seconds = std::chrono::duration<double>(now - began_).count();
            const double rate = seconds > 0 ? records_ / seconds : 0.0;
            std::string bar(30, ' ');
            const int filled = percent < 0 ? 0 : percent * 30 / 100;
            bar.replace(0, static_cast<std::size_t>(filled), static_cast<std::size_t>(filled), '#');
            char line[256];
            const double left = percent > 0 ? seconds * (100 - percent) / percent : 0.0;
            std::snprintf(line, sizeof line, "\r%s [%s] %3d%%  %.0f records/s  %s left   ",
                          name_.c_str(), bar.c_str(), std::max(percent, 0), rate,
                          Duration(left).c_str());
            out_ << line << std::flush;
        } else if (percent >= 0 && percent / 10 > lastTenth_) {
            lastTenth_ = percent / 10;
            out_ << name_ << ": " << percent << "% (" << records_ << " records)\n" << std::flush;
        }
    }

    void Done() {
        if (terminal_) {
            out_ << "\r" << std::string(name_.size() + 80, ' ') << "\r" << std::flush;
        }
    }

  private:
    std::ostream& out_;
    bool terminal_;
    std::string name_;
    std::time_t first_;
    std::time_t last_;
    long long records_ = 0;
    int lastTenth_ = 0;
    Clock::time_point began_ = Clock::now();
    Clock::time_point shown_{};
};

// The first and last record times of a log, for the progress percentage (0, 0 when unknown).
std::pair<std::time_t, std::time_t> FileSpan(const std::string& path, ImportKind kind) {
    RecordFile file(kind == ImportKind::kOwnLog ? LogFormat::kOwnLog : LogFormat::kDataRecorder);
    if (file.reader.Open(path) != 0) {
        return {0, 0};
    }
    int rc = kind == ImportKind::kDataRecorder ? ScanForHeader(file) : kReadOk;
    rc = rc != kReadOk ? rc : FindFirstRecord(file);
    rc = rc != kReadOk ? rc : FindLastRecord(file);
    return rc == kReadOk ? std::pair{file.firstTime, file.lastTime} : std::pair{0L, 0L};
}

struct Totals {
    long long records = 0;
    long long badRecords = 0;
    int files = 0;
    int skippedFiles = 0;
    int failedFiles = 0;
    long long minutesWritten = 0;
    long long minutesSkipped = 0;
    std::set<int> days;
};

}  // namespace

ImportKind SniffImportFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (int n = 0; n < 200 && std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const ImportKind kind = KindOfLine(line);
        if (kind != ImportKind::kUnknown) {
            return kind;
        }
    }
    return ImportKind::kUnknown;
}

std::string ImportFingerprint(const std::string& path, std::int64_t& size) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    size = in ? static_cast<std::int64_t>(in.tellg()) : -1;
    if (size < 0) {
        return {};
    }
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    // The first and the last MiB; a smaller file is read once, into a buffer its size.
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(size, 1 << 20)));
    auto mix = [&](std::int64_t at) {
        in.seekg(at);
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash = (hash ^ static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)])) *
                   1099511628211ULL;
        }
        in.clear();
    };
    mix(0);
    if (size > static_cast<std::int64_t>(buffer.size())) {
        mix(size - static_cast<std::int64_t>(buffer.size()));
    }
    char text[48];
    std::snprintf(text, sizeof text, "%lld-%016llx", static_cast<long long>(size),
                  static_cast<unsigned long long>(hash));
    return text;
}

int RunImportCommand(AppState& state, const ImportOptions& options, std::ostream& out,
                     std::ostream& progress, std::ostream& err) {
    std::optional<std::time_t> captureStart;
    if (!options.start.empty()) {
        captureStart = ParseLocalTimeText(options.start);
        if (!captureStart) {
            err << "--start needs a local time \"YYYY-MM-DD HH:MM:SS\", not \"" << options.start
                << "\"\n";
            return 2;
        }
    }
    auto opened = HistoryStore::Open(options.storePath);
    if (!opened.message.empty()) {
        err << opened.message << "\n";
    }
    if (!opened.store) {
        return 1;
    }
    HistoryStore& store = *opened.store;
    store.PrepareBulkWrites();
    const std::time_t oldestMinute =
        (std::time(nullptr) - static_cast<std::time_t>(options.minuteRetentionDays) * 86400) / 60 *
        60;
    Totals totals;
    int status = 0;
    std::string storeError;
    MinuteAccumulator accumulator;
    std::vector<MinuteRow> rows;
    auto flush = [&] {
        if (rows.empty() || !storeError.empty()) {
            rows.clear();
            return;
        }
        for (const MinuteRow& r : rows) {
            totals.days.insert(LocalDayNumber(r.minute));
        }
        const auto result =
            store.WriteMinutes(rows, HistoryStore::Overlap::kSkipExisting, oldestMinute);
        if (!result.ok) {
            storeError = result.error;
        }
        totals.minutesWritten += result.written;
        totals.minutesSkipped += result.skipped;
        rows.clear();
    };
    const auto began = Clock::now();

    for (const std::string& path : options.files) {
        std::int64_t size = 0;
        const std::string fingerprint = ImportFingerprint(path, size);
        if (fingerprint.empty()) {
            err << "Cannot open " << path << ": " << std::generic_category().message(errno) << "\n";
            ++totals.failedFiles;
            status = 1;
            continue;
        }
        std::string error;
        if (const auto before = store.FindImport(fingerprint, error)) {
            progress << path << ": already imported (" << before->records << " records)\n";
            ++totals.skippedFiles;
            continue;
        }
        const ImportKind kind = SniffImportFile(path);
        if (kind == ImportKind::kUnknown) {
            err << path << ": neither a Brennic log, a Data Recorder log nor a capture\n";
            ++totals.failedFiles;
            status = 1;
            continue;
        }
        if (kind == ImportKind::kCapture &&
            (!captureStart || options.interval <= 0 || options.interval > 0xFFFFFFFFLL)) {
            err << path << ": a terminal capture needs --start and --interval\n";
            ++totals.failedFiles;
            status = 1;
            continue;
        }
        const auto span = kind == ImportKind::kCapture ? std::pair<std::time_t, std::time_t>{0, 0}
                                                       : FileSpan(path, kind);
        std::string name = path.substr(path.rfind('/') + 1);
        Progress bar(progress, options.terminal, name, span.first, span.second);
        ImportEvents events([&](const ProcessorState& p) {
            accumulator.Add(HistorySample::From(p), rows);
            bar.Record(p.current.time);
            if (rows.size() >= kRowsPerTransaction) {
                flush();
            }
        });
        RecordRange range;  // the whole file, as a replay without --from/--to
        ReplayOutcome outcome;
        if (kind == ImportKind::kDataRecorder) {
            outcome = ReplayDataRecorderFile(state, path, range, events);
        } else if (kind == ImportKind::kOwnLog) {
            outcome = ReplayOwnLogFile(state, path, range, events);
        } else {
            outcome = ReplayCaptureFile(state, path, *captureStart,
                                        static_cast<std::uint32_t>(options.interval), events);
        }
        accumulator.EndSegment(rows);
        flush();
        bar.Done();
        totals.badRecords += events.badRecords;
        totals.records += outcome.recordsProcessed;
        if (!outcome.opened) {
            err << "Cannot open " << path << ": "
                << std::generic_category().message(outcome.openErrno) << "\n";
            ++totals.failedFiles;
            status = 1;
            continue;
        }
        if (!storeError.empty()) {
            err << "The history store " << options.storePath << " cannot be written: " << storeError
                << "\n";
            status = 1;
            break;
        }
        if (outcome.readError != kReadOk) {
            // What was read before the error is stored; a second import of the mended file
            // adds the rest without counting anything twice.
            err << path << ": " << events.message << "\n";
            ++totals.failedFiles;
            status = 1;
            continue;
        }
        ++totals.files;
        if (!store.RecordImport({fingerprint, path, size, outcome.firstProcessedTime,
                                 outcome.lastProcessedTime, outcome.recordsProcessed},
                                error)) {
            err << "The history store " << options.storePath << " cannot be written: " << error
                << "\n";
            status = 1;
            break;
        }
        if (!options.terminal) {
            progress << name << ": " << outcome.recordsProcessed << " records\n";
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    char line[512];
    std::snprintf(line, sizeof line,
                  "Imported %lld records from %d files in %.1f s: %zu days, %lld minutes added, "
                  "%lld minutes already stored, %d files already imported, %lld damaged records "
                  "skipped, %d files failed\n",
                  totals.records, totals.files, seconds, totals.days.size(), totals.minutesWritten,
                  totals.minutesSkipped, totals.skippedFiles, totals.badRecords,
                  totals.failedFiles);
    out << line;
    return status;
}

}  // namespace brennic
