#include "core/MessageProcessor.h"

#include <algorithm>
#include <cstring>

#include "core/ControllerLine.h"
#include "core/LocalTime.h"
#include "core/SampleAccounting.h"
#include "logs/DailyLog.h"

namespace brennic {

namespace {

constexpr std::size_t kLineMax = 511;        // current and held line: 512-byte buffers
constexpr std::size_t kReportLineMax = 199;  // report lines: 200-byte buffers
constexpr std::size_t kUplMax = 15;
constexpr std::size_t kFaultMax = 31;
constexpr std::size_t kLiveLineLimit = 85;  // live lines this long or longer are garbage
constexpr int kMismatchThreshold = 5;       // warn on the sixth suspicious line in a row

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
    if (p.heldLine.capacity() < kLineMax) {
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

// Stores the first `r.written` readings in `targets` and counts the open sensors and the bad
// token among them. False when a reading did not convert (the caller ends the line, which
// counts one more data error).
template <std::size_t N>
bool ApplyReadings(ProcessorState& p, const LineReadings& r, float* const (&targets)[N]) {
    for (std::size_t i = 0; i < r.written && i < N; ++i) {
        *targets[i] = r.value[i];
    }
    p.openSensors += r.openSensors;
    if (r.badToken) {
        ++p.dataErrors;
    }
    return r.complete;
}

// Fills the current sample from an accepted report line (the first line for model 1).
// Returns false on a data error (the caller ends the line).
bool ApplyReport(AppState& state, const ParsedLine& line, int model) {
    ProcessorState& p = state.processor;
    const Config& c = state.config;
    Sample& s = p.current;

    // The LCD model names its limits high first.
    float* const targets[] = {&s[kSlotCollector],
                              &s[kSlotStorage],
                              model == kVexin2Lcd ? &p.highLimit : &p.differential,
                              model == kVexin2Lcd ? &p.differential : &p.highLimit,
                              &s[kSlotAux1],
                              &s[kSlotAux2]};
    if (!ApplyReadings(p, line.readings, targets)) {
        return false;
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

    AssignBounded(p.uplText, line.upl.View(), kUplMax);
    AssignBounded(p.faultText, line.fault.View(), kFaultMax);
    bool pumpOn = line.pumpOn;
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
int CompleteBtuReport(AppState& state, std::string_view line, const ParsedLine& gpm,
                      std::time_t now, bool live) {
    ProcessorState& p = state.processor;
    p.consecutiveFirstLines = 0;
    if (!p.pendingFirstLine) {
        return DataErrorExit(p);
    }
    p.pendingFirstLine = false;
    AssignBounded(p.reportLine1, p.heldLine, kReportLineMax);
    AssignBounded(p.reportLine2, line, kReportLineMax);

    // GPM=flow FPL=.. AX3=temperature KWH=..; FPL and KWH must be valid but are not used.
    float unused = 0.0f;
    Sample& s = p.current;
    float* const targets[] = {&s[kSlotFlow], &unused, &s[kSlotAux3], &unused};
    if (!ApplyReadings(p, gpm.readings, targets)) {
        return DataErrorExit(p);
    }
    if (!ApplyReport(state, p.heldReport, kVexin2Btu)) {
        return DataErrorExit(p);
    }
    return AccountSample(state, now, live);
}

// Starts a line: counts it and settles its time.
std::time_t BeginLine(ProcessorState& p, std::time_t time) {
    ReserveBuffers(p);
    ++p.receivedLines;
    const std::time_t now = time != 0 ? time : std::time(nullptr);
    if (p.history.Empty()) {
        p.firstSampleTime = now;
    }
    return now;
}

// Applies a line read by ParseControllerLine (`parsed`, read from `line`) to the state.
int ApplyLine(AppState& state, std::string_view line, const ParsedLine& parsed, std::time_t time,
              bool live) {
    const int model = state.config.controllerType;
    if (parsed.model != model) {
        // Read ahead for another model (the settings changed meanwhile): read it again.
        return ApplyLine(state, line, ParseControllerLine(line, model), time, live);
    }
    ProcessorState& p = state.processor;
    const std::time_t now = BeginLine(p, time);
    if (state.config.logQmxData != 0) {
        WriteRawLine(LogRecordsOf(state), "QMX_DATA", line, now);
    }
    // The line as the processor keeps it, in 512-byte buffers.
    const std::string_view current = line.substr(0, kLineMax);
    const ParsedLine* t = &parsed;

    switch (t->kind) {
        case ParsedLine::Kind::kNothing:
            return kNothingToProcess;
        case ParsedLine::Kind::kGpm:
            return CompleteBtuReport(state, current, *t, now, live);
        case ParsedLine::Kind::kTooFew:
            ++p.dataErrors;
            p.pendingFirstLine = false;
            if (t->gpmLine) {
                ++p.strayGpmLines;
                if (p.strayGpmLines > kMismatchThreshold && !p.mismatchWarned) {
                    p.mismatchWarned = true;
                    return kMismatchGpmLines;
                }
            }
            return kNothingToProcess;
        case ParsedLine::Kind::kLetter:
            return DataErrorExit(p);
        case ParsedLine::Kind::kReport:
            break;
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
        AssignBounded(p.heldLine, current, kLineMax);
        p.heldReport = *t;
        p.pendingFirstLine = true;
        return kNothingToProcess;
    }

    p.consecutiveFirstLines = 0;
    AssignBounded(p.reportLine1, current, kReportLineMax);
    if (p.reportLine2 != " ") {
        p.reportLine2 = " ";
    }
    if (!ApplyReport(state, *t, model)) {
        return DataErrorExit(p);
    }
    return AccountSample(state, now, live);
}

// A sample read back from our own log: slot 0 keeps the previous sample's time.
int ApplySample(AppState& state, const Sample& prepared, std::time_t time) {
    ProcessorState& p = state.processor;
    const std::time_t now = BeginLine(p, time);
    for (int slot = 1; slot < kSlotCount; ++slot) {
        p.current[slot] = prepared[slot];
    }
    p.current[kSlotPump] = p.current[kSlotPump] != 0.0f ? 1.0f : 0.0f;
    p.current[kSlotHaPump] = p.current[kSlotHaPump] != 0.0f ? 1.0f : 0.0f;
    return AccountSample(state, now, false);
}

}  // namespace

int ProcessLiveLine(AppState& state, std::string_view line, std::time_t now) {
    if (line.size() >= kLiveLineLimit) {
        return 0;
    }
    const ParsedLine parsed = ParseControllerLine(line, state.config.controllerType);
    const int result = ApplyLine(state, line, parsed, now, true);
    return result == kMismatchGpmLines || result == kMismatchNoGpmLines ? result : 0;
}

int ProcessRecordedLine(AppState& state, const char* line, const Sample* prepared, std::time_t t) {
    if (prepared != nullptr) {
        return ApplySample(state, *prepared, t);
    }
    const std::string_view text = line != nullptr ? std::string_view(line) : std::string_view();
    return ApplyLine(state, text, ParseControllerLine(text, state.config.controllerType), t, false);
}

int ProcessParsedLine(AppState& state, std::string_view line, const ParsedLine& parsed,
                      std::time_t t) {
    return ApplyLine(state, line, parsed, t, false);
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
    p.heldLine.clear();
    p.reportLine1.clear();
    p.reportLine2.clear();
}

void ApplySampleLimit(AppState& state) {
    state.processor.history.Trim(static_cast<std::size_t>(std::max(state.config.maxSamples, 1)));
}

}  // namespace brennic
