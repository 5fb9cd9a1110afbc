#include "logs/SummaryFile.h"

#include <algorithm>
#include <cstdio>

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

std::string SummaryLine(const AppState& state, SummaryKind kind, const std::string& timeText) {
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
    const ProcessorState& p = state.processor;
    const bool oneWire = state.config.oneWireEnable != 0;
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
bool AppendSummaryLine(AppState& state, SummaryKind kind, std::time_t t) {
    const std::filesystem::path path = PrepareDataFile(state.config.dataFolder, kSummaryFileName);
    // Append only: a summary that cannot be appended to is never truncated instead.
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        state.config.summaryEnable = 0;
        state.showMessage("Cannot open summary file, summary file disabled " + path.string(),
                          "Error");
        return false;
    }
    state.dailyLog.timeText = TimeText(t);
    const std::string line = SummaryLine(state, kind, state.dailyLog.timeText);
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
    return true;
}

}  // namespace

bool WriteSummary(AppState& state, SummaryKind kind, std::time_t t) {
    if (state.config.summaryEnable == 0) {
        return false;
    }
    return AppendSummaryLine(state, kind, t);
}

void SummaryStep(AppState& state) {
    if (state.config.summaryEnable == 0) {
        return;
    }
    DailyLogState& log = state.dailyLog;
    const std::time_t t = state.processor.current.time;
    if (log.summaryCountdown == -1) {
        WriteSummary(state, SummaryKind::kStart, t);
    }
    --log.summaryCountdown;
    if (log.summaryCountdown >= 1) {
        return;
    }
    // 0 and 1 both mean every sample; a negative setting would otherwise bring the -1 of
    // "nothing written yet" back and repeat the Start line.
    log.summaryCountdown = std::max(state.config.summaryEveryNth, 1);
    WriteSummary(state, SummaryKind::kStatistics, t);
}

void WriteSummaryDayLine(AppState& state) {
    WriteSummary(state, SummaryKind::kStatistics, state.processor.current.time);
}

void SummarySwitched(AppState& state, bool on, std::time_t now) {
    const std::time_t sampleTime = state.processor.current.time;
    const std::time_t t = sampleTime != 0 ? sampleTime : now;
    if (on) {
        WriteSummary(state, SummaryKind::kStart, t);
        state.dailyLog.summaryCountdown = 1;
    } else {
        // "Summary" is already off in the configuration; the Stop line is written anyway.
        AppendSummaryLine(state, SummaryKind::kStop, t);
    }
}

}  // namespace brennic
