#include "logs/DailyLog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "logs/RecordText.h"
#include "logs/SummaryFile.h"
#include "logs/TimeText.h"

namespace brennic {

namespace {

// Writes one complete record and pushes it to the system at once, so that a crash or a
// killed process loses no record that was already taken.
void PutRecord(DailyLogState& log, const std::string& record) {
    std::fwrite(record.data(), 1, record.size(), log.file);
    std::fflush(log.file);
}

void AppendTemperature(std::string& out, float value) {
    out += ' ';
    AppendFixed(out, value, 5);
}

// Pump slots hold 0 or 1; anything that is no integer at all is written as off.
int PumpState(float value) {
    return std::isfinite(value) && std::fabs(value) < 1e9f ? static_cast<int>(value) : 0;
}

void AppendPumpFlowHeat(std::string& out, float pump, float flow, double totalHeat) {
    out += ' ';
    AppendInt(out, PumpState(pump));
    out += ' ';
    AppendFixed(out, flow, 5);
    out += ' ';
    AppendFixed(out, totalHeat, 8);
}

// The sample record: the short layout, or with One-Wire the long one with the WAux
// temperatures and the heat-assist loop.
std::string SampleRecord(const AppState& state, const std::string& timeText) {
    const ProcessorState& p = state.processor;
    const Sample& s = p.current;
    std::string r = timeText;
    r.reserve(r.size() + 120);
    AppendTemperature(r, s[kSlotCollector]);
    AppendTemperature(r, s[kSlotStorage]);
    r += ',';
    AppendTemperature(r, s[kSlotAux1]);
    AppendTemperature(r, s[kSlotAux2]);
    r += ' ';
    AppendTemperature(r, s[kSlotAux3]);
    AppendTemperature(r, s[kSlotAux4]);
    const bool oneWire = state.config.oneWireEnable != 0;
    if (oneWire) {
        for (int slot = kSlotWAux1; slot <= kSlotWAux4; ++slot) {
            AppendTemperature(r, s[slot]);
        }
    }
    AppendPumpFlowHeat(r, s[kSlotPump], s[kSlotFlow], p.collectorHeat.total);
    if (oneWire) {
        AppendPumpFlowHeat(r, s[kSlotHaPump], s[kSlotHaFlow], p.haHeat.total);
    }
    r += '\n';
    return r;
}

}  // namespace

bool OpenDailyLog(AppState& state, std::time_t t) {
    DailyLogState& log = state.dailyLog;
    CloseDailyLog(state);
    const std::filesystem::path base =
        PrepareDataFile(state.config.dataFolder, FormatTime("LOG-%Y-%m-%d", t));
    for (int i = 0; i < 27; ++i) {
        std::string suffix = ".txt";
        if (i > 0) {
            suffix = std::string("-") + static_cast<char>('A' + i - 1) + ".txt";
        }
        std::filesystem::path name = base;
        name += suffix;
        // Exclusive creation: a name that exists in any form, readable or not, is taken and
        // its file is never truncated.
        std::FILE* file = std::fopen(name.c_str(), "wx");
        if (file != nullptr) {
            log.file = file;
            log.fileName = name.string();
            return true;
        }
    }
    state.config.logData = 0;
    state.showMessage("Cannot create Log file, logging disabled", "Error");
    return false;
}

void WriteRawLine(AppState& state, std::string_view tag, std::string_view text, std::time_t t) {
    if (state.config.logData == 0) {
        return;
    }
    DailyLogState& log = state.dailyLog;
    if (log.file == nullptr && !OpenDailyLog(state, t)) {
        return;
    }
    log.timeText = TimeText(t);
    std::string record;
    record.reserve(tag.size() + log.timeText.size() + text.size() + 3);
    record.append(tag);
    record += ' ';
    record += log.timeText;
    record += ' ';
    record.append(text);
    record += '\n';
    PutRecord(log, record);
}

void WriteSampleLine(AppState& state) {
    DailyLogState& log = state.dailyLog;
    if (state.config.logData != 0 && --log.logCountdown <= 0) {
        // 0 and 1 both mean every sample; the floor keeps the countdown from running away.
        log.logCountdown = std::max(state.config.logEveryNth, 1);
        const std::time_t t = state.processor.current.time;
        if (log.file == nullptr && !OpenDailyLog(state, t)) {
            return;
        }
        log.timeText = TimeText(t);
        PutRecord(log, SampleRecord(state, log.timeText));
        ++log.samplesLogged;
    }
    SummaryStep(state);
}

void WriteDayEnd(AppState& state) {
    if (state.config.newLogAtMidnight != 0) {
        CloseDailyLog(state);
    }
    WriteSummaryDayLine(state);
}

void CloseDailyLog(AppState& state) {
    DailyLogState& log = state.dailyLog;
    if (log.file != nullptr) {
        std::fclose(log.file);
        log.file = nullptr;
    }
}

void LogDataSwitched(AppState& state, bool on) {
    if (on) {
        state.dailyLog.logCountdown = 1;
    } else {
        CloseDailyLog(state);
    }
}

}  // namespace brennic
