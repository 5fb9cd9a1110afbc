#include "logs/SummaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "logs/RecordText.h"
#include "logs/TimeText.h"

namespace brennic {

namespace {

void AppendFour(std::string& out, const ChannelStats& stats, int slot) {
    for (const Sample* block : {&stats.maximum, &stats.minimum, &stats.dayMax, &stats.dayMin}) {
        out += ' ';
        AppendFixed(out, (*block)[slot], 8);
    }
}

void AppendHeat(std::string& out, const HeatTotals& heat) {
    // Rates are held per second and written per hour.
    for (double v : {heat.total, heat.maxRate * 3600.0, heat.dayHeat, heat.dayMaxRate * 3600.0}) {
        out += ' ';
        AppendFixed(out, v, 8);
    }
}

std::string SummaryLine(const LogRecords& r, SummaryKind kind, const std::string& timeText) {
    std::string line = timeText;
    switch (kind) {
        case SummaryKind::kStart:
            line += " Start\n";
            return line;
        case SummaryKind::kStop:
            line += " Stop\n";
            return line;
        case SummaryKind::kStatistics:
            break;
    }
    const ProcessorState& p = r.processor;
    const bool oneWire = r.config.oneWireEnable != 0;
    line.reserve(line.size() + 48 * 9 + 1);
    for (int slot = kSlotCollector; slot <= kSlotAux4; ++slot) {
        AppendFour(line, p.stats, slot);
    }
    if (oneWire) {
        for (int slot = kSlotWAux1; slot <= kSlotWAux4; ++slot) {
            AppendFour(line, p.stats, slot);
        }
    }
    AppendHeat(line, p.collectorHeat);
    if (oneWire) {
        AppendHeat(line, p.haHeat);
    }
    line += '\n';
    return line;
}

// Appends one line whatever "Summary" says; the callers decide.
bool AppendSummaryLine(const LogRecords& r, SummaryKind kind, std::time_t t) {
    const std::filesystem::path path = PrepareDataFile(r.config.dataFolder, kSummaryFileName);
    WriteFault& fault = r.log.summaryFault;
    // Append only: a summary that cannot be appended to is never truncated instead.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    int error = fd < 0 ? errno : 0;
    if (fd < 0 && !IsNoSpace(error)) {
        r.config.summaryEnable = 0;
        r.showMessage("Cannot open summary file, summary file disabled " + path.string(), "Error");
        return false;
    }
    if (fd >= 0) {
        r.log.timeText = TimeText(t);
        error = AppendWholeRecord(fd, SummaryLine(r, kind, r.log.timeText));
        ::close(fd);
    }
    const WriteNews news = NoteWriteResult(fault, error);
    if (news == WriteNews::kFailed) {
        r.showMessage(WriteFailedText(path.string(), fault), "Error");
    } else if (news == WriteNews::kResumed) {
        r.showMessage(WriteResumedText(path.string(), fault), "");
    }
    return error == 0;
}

}  // namespace

bool WriteSummary(const LogRecords& r, SummaryKind kind, std::time_t t) {
    if (r.config.summaryEnable == 0) {
        return false;
    }
    return AppendSummaryLine(r, kind, t);
}

void SummaryStep(const LogRecords& r) {
    if (r.config.summaryEnable == 0) {
        return;
    }
    DailyLogState& log = r.log;
    const std::time_t t = r.processor.current.time;
    if (log.summaryCountdown == -1) {
        WriteSummary(r, SummaryKind::kStart, t);
    }
    --log.summaryCountdown;
    if (log.summaryCountdown >= 1) {
        return;
    }
    // 0 and 1 both mean every sample; a negative setting would otherwise bring the -1 of
    // "nothing written yet" back and repeat the Start line.
    log.summaryCountdown = std::max(r.config.summaryEveryNth, 1);
    WriteSummary(r, SummaryKind::kStatistics, t);
}

void WriteSummaryDayLine(const LogRecords& r) {
    WriteSummary(r, SummaryKind::kStatistics, r.processor.current.time);
}

void SummarySwitched(const LogRecords& r, bool on, std::time_t now) {
    const std::time_t sampleTime = r.processor.current.time;
    const std::time_t t = sampleTime != 0 ? sampleTime : now;
    if (on) {
        WriteSummary(r, SummaryKind::kStart, t);
        r.log.summaryCountdown = 1;
    } else {
        // "Summary" is already off in the configuration; the Stop line is written anyway.
        AppendSummaryLine(r, SummaryKind::kStop, t);
    }
}

}  // namespace brennic
