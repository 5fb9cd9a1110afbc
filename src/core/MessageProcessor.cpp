#include "core/MessageProcessor.h"

#include <algorithm>
#include <cstring>

#include "core/LineTokens.h"
#include "core/LocalTime.h"
#include "core/SampleAccounting.h"
#include "core/ValueReader.h"
#include "logs/DailyLog.h"

namespace brennic {

namespace {

constexpr std::size_t kLineMax = 511;        // current and held line: 512-byte buffers
constexpr std::size_t kReportLineMax = 199;  // report lines: 200-byte buffers
constexpr std::size_t kUplMax = 15;
constexpr std::size_t kFaultMax = 31;
constexpr std::size_t kLiveLineLimit = 85;  // live lines this long or longer are garbage
constexpr int kMismatchThreshold = 5;       // warn on the sixth suspicious line in a row

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool StartsWithLetter(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    const char c = s[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Copies at most `max` characters without giving up the buffer's reserved capacity.
void AssignBounded(std::string& dst, std::string_view src, std::size_t max) {
    const std::size_t n = std::min(src.size(), max);
    dst.resize(n);
    if (n != 0) {
        std::memcpy(dst.data(), src.data(), n);
    }
}

// Reserves the fixed line buffers once, so that no line needs a heap allocation.
void ReserveBuffers(ProcessorState& p) {
    if (p.currentLine.capacity() < kLineMax) {
        p.currentLine.reserve(kLineMax);
        p.heldLine.reserve(kLineMax);
        p.reportLine1.reserve(kReportLineMax);
        p.reportLine2.reserve(kReportLineMax);
        p.uplText.reserve(kUplMax);
        p.faultText.reserve(kFaultMax);
    }
}

// A data error ends the line: no sample, and a held first line is given up.
int DataErrorExit(ProcessorState& p) {
    p.pendingFirstLine = false;
    ++p.dataErrors;
    return kDataError;
}

// One value token into `slot`. A token that does not convert counts one data error here
// (the line's own exit counts another) and returns false.
bool ReadValue(ProcessorState& p, std::string_view token, float& slot) {
    switch (ReadValueToken(token, slot)) {
        case TokenValue::kNumber:
            return true;
        case TokenValue::kOpenSensor:
            ++p.openSensors;
            return true;
        case TokenValue::kBad:
            break;
    }
    ++p.dataErrors;
    return false;
}

// A KEY=value token; only the value is used. A token without the form counts nothing here.
bool ReadKeyValue(ProcessorState& p, std::string_view token, float& slot) {
    std::string_view key;
    std::string_view value;
    return SplitKeyValue(token, key, value) && ReadValue(p, value, slot);
}

// Fills the current sample from an accepted report line (the first line for model 1).
// Returns false on a data error (the caller ends the line).
bool ExtractFields(AppState& state, const LineTokens& t, int model) {
    ProcessorState& p = state.processor;
    const Config& c = state.config;
    Sample& s = p.current;

    if (model == kVexin2Lcd) {
        // COL STO PKH PKL AX1 AX2; the position decides, the keys are not compared.
        if (!ReadKeyValue(p, t[0], s[kSlotCollector]) || !ReadKeyValue(p, t[1], s[kSlotStorage]) ||
            !ReadKeyValue(p, t[2], p.highLimit) || !ReadKeyValue(p, t[3], p.differential) ||
            !ReadKeyValue(p, t[4], s[kSlotAux1]) || !ReadKeyValue(p, t[5], s[kSlotAux2])) {
            return false;
        }
    } else {
        // time COLL-T STOR-T DIFF-T HILI-T AUX-1 AUX-2 PUMP UPLim FAULT
        if (!ReadValue(p, t[1], s[kSlotCollector]) || !ReadValue(p, t[2], s[kSlotStorage]) ||
            !ReadValue(p, t[3], p.differential) || !ReadValue(p, t[4], p.highLimit) ||
            !ReadValue(p, t[5], s[kSlotAux1]) || !ReadValue(p, t[6], s[kSlotAux2])) {
            return false;
        }
    }

    // What the line does not carry.
    s[kSlotAux4] = kNoReading;
    for (int i = 0; i < 4; ++i) {
        s[kSlotWAux1 + i] = state.oneWire.currentValues[static_cast<std::size_t>(i)];
    }
    s[kSlotHaPump] = state.oneWire.switchState > 0 ? 1.0f : 0.0f;
    s[kSlotHaFlow] = static_cast<float>(c.haFlowGpm);
    if (model != kVexin2Btu) {
        s[kSlotAux3] = kNoReading;
        s[kSlotFlow] = static_cast<float>(c.fixedFlowGpm);
    }

    AssignBounded(p.uplText, t.count > 8 ? t[8] : std::string_view(" "), kUplMax);
    AssignBounded(p.faultText, t.count > 9 ? t[9] : std::string_view(" "), kFaultMax);
    bool pumpOn = t.count > 7 && t[7] == "ON";
    if (model == kVexin2Lcd) {
        // A KEY=value line names its pump: "PMP=ON" wherever it stands (the test data and
        // the simulator put it sixth); a line without that key keeps the eighth token.
        for (int i = 0; i < t.count; ++i) {
            std::string_view key;
            std::string_view value;
            if (SplitKeyValue(t[i], key, value) && key == "PMP") {
                pumpOn = value == "ON";
                break;
            }
        }
    }

    if (model == kVexin2Btu) {
        if (c.pumpSource == 1) {  // the pump runs when the loop flows
            pumpOn = s[kSlotFlow] >= static_cast<float>(c.minFlowGpm);
        }
        if (c.flowSource == 1) {  // a flow meter is not trusted: use the fixed rate
            s[kSlotFlow] = pumpOn ? static_cast<float>(c.fixedFlowGpm) : 0.0f;
        }
    }
    s[kSlotPump] = pumpOn ? 1.0f : 0.0f;
    return true;
}

// The GPM line that completes a two-line BTU report.
int CompleteBtuReport(AppState& state, const LineTokens& gpm, std::time_t now, bool live) {
    ProcessorState& p = state.processor;
    p.consecutiveFirstLines = 0;
    if (!p.pendingFirstLine) {
        return DataErrorExit(p);
    }
    p.pendingFirstLine = false;
    AssignBounded(p.reportLine1, p.heldLine, kReportLineMax);
    AssignBounded(p.reportLine2, p.currentLine, kReportLineMax);

    // GPM=flow FPL=.. AX3=temperature KWH=..; FPL and KWH must be valid but are not used.
    float unused = 0.0f;
    Sample& s = p.current;
    if (!ReadKeyValue(p, gpm[0], s[kSlotFlow]) || !ReadKeyValue(p, gpm[1], unused) ||
        !ReadKeyValue(p, gpm[2], s[kSlotAux3]) || !ReadKeyValue(p, gpm[3], unused)) {
        return DataErrorExit(p);
    }
    const LineTokens first = Tokenise(p.heldLine);
    if (!ExtractFields(state, first, kVexin2Btu)) {
        return DataErrorExit(p);
    }
    return AccountSample(state, now, live);
}

int ProcessLine(AppState& state, std::string_view line, const Sample* prepared, std::time_t time,
                bool live) {
    ProcessorState& p = state.processor;
    ReserveBuffers(p);
    ++p.receivedLines;
    const std::time_t now = time != 0 ? time : std::time(nullptr);
    if (p.history.Empty()) {
        p.firstSampleTime = now;
    }

    if (prepared != nullptr) {
        // A sample read back from our own log: slot 0 keeps the previous sample's time.
        for (int slot = 1; slot < kSlotCount; ++slot) {
            p.current[slot] = (*prepared)[slot];
        }
        p.current[kSlotPump] = p.current[kSlotPump] != 0.0f ? 1.0f : 0.0f;
        p.current[kSlotHaPump] = p.current[kSlotHaPump] != 0.0f ? 1.0f : 0.0f;
        return AccountSample(state, now, live);
    }

    if (state.config.logQmxData != 0) {
        WriteRawLine(LogRecordsOf(state), "QMX_DATA", line, now);
    }
    AssignBounded(p.currentLine, line, kLineMax);
    const LineTokens t = Tokenise(p.currentLine);
    if (t.count == 0 || t[0] == "RUNTIME") {
        return kNothingToProcess;
    }

    const int model = state.config.controllerType;
    const int n = t.count;
    const bool gpmLine = StartsWith(t[0], "GPM=");
    if (model == kVexin2Btu && gpmLine && n == 4) {
        return CompleteBtuReport(state, t, now, live);
    }

    const bool tooFew = model == kVexin2Lcd ? n < 8 : n < 9;
    if (tooFew) {
        ++p.dataErrors;
        p.pendingFirstLine = false;
        if (gpmLine) {
            ++p.strayGpmLines;
            if (p.strayGpmLines > kMismatchThreshold && !p.mismatchWarned) {
                p.mismatchWarned = true;
                return kMismatchGpmLines;
            }
        }
        return kNothingToProcess;
    }
    if (!(model == kVexin2Lcd && StartsWith(t[0], "COL")) && StartsWithLetter(t[0])) {
        return DataErrorExit(p);
    }

    if (model == kVexin2Btu) {
        // A first line waits for its GPM line.
        if (p.pendingFirstLine) {
            ++p.dataErrors;
        }
        ++p.consecutiveFirstLines;
        if (p.consecutiveFirstLines > kMismatchThreshold && !p.mismatchWarned) {
            p.mismatchWarned = true;
            return kMismatchNoGpmLines;
        }
        AssignBounded(p.heldLine, p.currentLine, kLineMax);
        p.pendingFirstLine = true;
        return kNothingToProcess;
    }

    p.consecutiveFirstLines = 0;
    AssignBounded(p.reportLine1, p.currentLine, kReportLineMax);
    AssignBounded(p.reportLine2, " ", kReportLineMax);
    if (!ExtractFields(state, t, model)) {
        return DataErrorExit(p);
    }
    return AccountSample(state, now, live);
}

}  // namespace

int ProcessLiveLine(AppState& state, std::string_view line, std::time_t now) {
    if (line.size() >= kLiveLineLimit) {
        return 0;
    }
    const int result = ProcessLine(state, line, nullptr, now, true);
    return result == kMismatchGpmLines || result == kMismatchNoGpmLines ? result : 0;
}

int ProcessRecordedLine(AppState& state, const char* line, const Sample* prepared, std::time_t t) {
    return ProcessLine(state, line != nullptr ? std::string_view(line) : std::string_view(),
                       prepared, t, false);
}

void ResetStatistics(AppState& state, std::time_t t) {
    ProcessorState& p = state.processor;
    p.history.Clear();
    p.historyCountdown = 0;
    for (const int slot : kTemperatureSlots) {
        p.stats.maximum[slot] = kNoReading;
        p.stats.dayMax[slot] = kNoReading;
        p.stats.minimum[slot] = kDayMinStart;
        p.stats.dayMin[slot] = kDayMinStart;
    }
    p.sampleCount = 0;
    p.openSensors = 0;
    p.dataErrors = 0;
    p.receivedLines = 0;
    p.consecutiveFirstLines = 0;
    p.strayGpmLines = 0;
    p.mismatchWarned = false;
    p.maxCollectorFlow = 0.0;
    for (PumpStats* pump : {&p.collectorPump, &p.haPump}) {
        pump->running = false;
        pump->totalOnSeconds = 0;
        pump->totalAtPeriodStart = 0;
        pump->periodSeconds = 0;
    }
    p.collectorHeat = HeatTotals{};
    p.haHeat = HeatTotals{};

    p.firstSampleTime = t;
    p.current.time = t + 1;
    p.previousSampleTime = 0;
    p.weekdays.Forget();  // the zone may have changed since the last reset
    p.history.oldestTime = 0;

    std::tm local{};
    if (ToLocalTime(t, local)) {
        local.tm_min = 0;
        local.tm_sec = 0;
        const std::time_t hour = FromLocalTime(local);
        p.chartOrigin = hour != static_cast<std::time_t>(-1) ? hour : t;
    } else {
        p.chartOrigin = t;
    }
    // The strip chart goes to the reset hour and follows new data again, also when the
    // origin did not change (a reset within the hour of the last one).
    state.chart.viewStart = p.chartOrigin;
    state.chart.atEnd = true;

    p.pendingFirstLine = false;
    p.currentLine.clear();
    p.heldLine.clear();
    p.reportLine1.clear();
    p.reportLine2.clear();
}

void ApplySampleLimit(AppState& state) {
    state.processor.history.Trim(static_cast<std::size_t>(std::max(state.config.maxSamples, 1)));
}

}  // namespace brennic
