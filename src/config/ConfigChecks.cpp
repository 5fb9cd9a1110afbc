#include "config/ConfigChecks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "config/LineScanner.h"
#include "core/AppState.h"
#include "core/MessageProcessor.h"
#include "logs/DailyLog.h"
#include "logs/SummaryFile.h"

namespace brennic {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

template <typename T>
std::optional<T> ReadWhole(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

// Integer edits have no message of their own: what cannot be read keeps the current value.
void ReadInt(const std::string& text, int& field) {
    if (const auto v = ReadIntField(text)) {
        field = *v;
    }
}

void ReadFloat(const std::string& text, float& field) {
    if (const auto v = ReadDoubleField(text)) {
        field = static_cast<float>(*v);
    }
}

// A printf-style message with a single number substitution per %i and %% for a percent.
std::string GlycolLimitText(const char* format, int low, int high) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, low, high);
    return buffer;
}

bool CheckGlycolPercent(const std::string& text, int& percent, const char* error,
                        const ConfigPrompts& prompts) {
    const auto v = ReadIntField(text);
    if (!v || *v < 0 || *v > 100) {
        prompts.message(error, "Error");
        return false;
    }
    percent = *v;
    return true;
}

bool WithinMixLimits(const GlycolTable& glycol, int mix, int percent, const char* warning,
                     const ConfigPrompts& prompts) {
    if (mix < 0 || mix >= glycol.count) {
        return true;
    }
    const GlycolMix& m = glycol.mix[static_cast<std::size_t>(mix)];
    if (percent >= m.minPercent && percent <= m.maxPercent) {
        return true;
    }
    return prompts.askOkCancel(GlycolLimitText(warning, m.minPercent, m.maxPercent), "Warning");
}

bool CheckControllerSources(const Config& c, const ConfigPrompts& prompts) {
    const char* model = nullptr;
    if (c.controllerType == kVexin2) {
        model = "Vexin 2";
    } else if (c.controllerType == kVexin2Lcd) {
        model = "Vexin 2 LCD";
    }
    if (model != nullptr) {
        if (c.pumpSource != 0) {
            prompts.message(std::string("Pump source must be QMX for ") + model + " control",
                            "Error");
            return false;
        }
        if (c.flowSource != 1) {
            prompts.message(std::string("Flow source must be  FIXED for ") + model + " control",
                            "Error");
            return false;
        }
        return true;
    }
    if (c.pumpSource == 1 && c.flowSource == 1) {
        prompts.message("Pump source MIN FLOW and Flow rate source FIXED not allowed", "Error");
        return false;
    }
    return true;
}

}  // namespace

std::optional<int> ReadIntField(std::string_view text) {
    return ReadWhole<int>(text);
}

std::optional<double> ReadDoubleField(std::string_view text) {
    // from_chars also reads "inf" and "nan", which no setting can use.
    const auto v = ReadWhole<double>(text);
    if (v && !std::isfinite(*v)) {
        return std::nullopt;
    }
    return v;
}

int RoundXAxisHours(int hours) {
    if (hours < 4) {
        return 4;
    }
    if (hours > 72) {
        return 72;
    }
    if (hours > 12) {
        return (hours + 11) / 12 * 12;
    }
    return hours;
}

bool CheckConfigNumbers(const ConfigNumberTexts& t, const GlycolTable& glycol, Config& c,
                        const ConfigPrompts& prompts) {
    ReadInt(t.graphEveryNth, c.graphEveryNth);
    if (c.graphEveryNth < 0) {
        c.graphEveryNth = 1;
    }
    c.graphEveryNth = std::min(c.graphEveryNth, 100);

    ReadInt(t.xAxisHours, c.xAxisHours);
    c.xAxisHours = RoundXAxisHours(c.xAxisHours);

    ReadInt(t.graphLineWidth, c.graphLineWidth);
    c.graphLineWidth = std::clamp(c.graphLineWidth, 1, 5);

    const auto fixed = ReadDoubleField(t.fixedFlowGpm);
    if (!fixed || *fixed < 0.5 || *fixed > 100.0) {
        prompts.message("Solar collector flow rate must be 0.5-100.0", "Error");
        return false;
    }
    c.fixedFlowGpm = *fixed;

    // 0 switches the minimum flow off; any other value must be a usable flow rate.
    const auto minFlow = ReadDoubleField(t.minFlowGpm);
    if (!minFlow || (*minFlow != 0.0 && (*minFlow < 1.0 || *minFlow > 100.0))) {
        prompts.message("Solar minimum collector flow rate must be 1-100", "Error");
        return false;
    }
    c.minFlowGpm = *minFlow;
    if (c.minFlowGpm != 0.0 && c.controllerType != kVexin2Btu) {
        prompts.message("Minimum flow rate non-zero with non-BTU Control", "Warning");
    }

    if (t.full) {
        const auto haFlow = ReadDoubleField(t.haFlowGpm);
        if (!haFlow || *haFlow < 1.0 || *haFlow > 100.0) {
            prompts.message("Heat Assist flow rate must be 1-100", "Error");
            return false;
        }
        c.haFlowGpm = *haFlow;
    }

    ReadInt(t.maxSamples, c.maxSamples);
    c.maxSamples = std::clamp(c.maxSamples, 1000, 20000);

    ReadInt(t.logEveryNth, c.logEveryNth);
    if (c.logEveryNth < 0) {
        c.logEveryNth = 1;
    }
    c.logEveryNth = std::min(c.logEveryNth, 100);
    ReadInt(t.summaryEveryNth, c.summaryEveryNth);

    ReadFloat(t.solarArray[0], c.latitude);
    float west = -c.longitude;
    ReadFloat(t.solarArray[1], west);
    c.longitude = -west;
    ReadFloat(t.solarArray[2], c.collectorTilt);
    ReadFloat(t.solarArray[3], c.collectorAzimuth);
    ReadFloat(t.solarArray[4], c.collectorArea);
    ReadFloat(t.solarArray[5], c.incidentAngleModifier);
    ReadFloat(t.solarArray[6], c.efficiencyIntercept);
    ReadFloat(t.solarArray[7], c.efficiencySlope);

    const auto solarOffset = ReadDoubleField(t.solarOffset);
    if (!solarOffset) {
        prompts.message("Solar loop offset must be specified", "Error");
        return false;
    }
    c.solarOffset = *solarOffset;
    if (t.full) {
        const auto haOffset = ReadDoubleField(t.haOffset);
        if (!haOffset) {
            prompts.message("Heat Assist loop offset must be specified", "Error");
            return false;
        }
        c.haOffset = *haOffset;
    }

    if (!CheckGlycolPercent(t.solarGlycolPercent, c.solarGlycolPercent,
                            "Solar loop glycol % must be 0-100", prompts)) {
        return false;
    }
    if (t.full && !CheckGlycolPercent(t.haGlycolPercent, c.haGlycolPercent,
                                      "Heat Assist loop glycol % must be 0-100", prompts)) {
        return false;
    }
    if (!WithinMixLimits(glycol, c.solarGlycolMix, c.solarGlycolPercent,
                         "Warning: Solar loop glycol %% does not fall within limits of mix "
                         "%i%%-%i%%",
                         prompts)) {
        return false;
    }
    if (t.full && !WithinMixLimits(glycol, c.haGlycolMix, c.haGlycolPercent,
                                   "Warning: Heat Assist loop glycol %% does not fall within "
                                   "limits of mix %i%%-%i%%",
                                   prompts)) {
        return false;
    }
    return CheckControllerSources(c, prompts);
}

void AcceptConfig(AppState& state, const Config& edited, const std::function<void()>& save,
                  std::time_t now) {
    bool wasLogging = false;
    bool wasSummary = false;
    {
        StateGuard guard(state.lock);
        wasLogging = state.config.logData != 0;
        wasSummary = state.config.summaryEnable != 0;
        state.config = edited;
    }
    if (save) {
        save();
    }
    StateGuard guard(state.lock);
    for (ChannelInfo& channel : state.channels.channel) {
        channel.penWidth = edited.graphLineWidth;
    }
    ApplySampleLimit(state);
    const bool logging = edited.logData != 0;
    if (logging != wasLogging) {
        LogDataSwitched(state.dailyLog, logging);
    }
    const bool summary = edited.summaryEnable != 0;
    if (summary != wasSummary) {
        SummarySwitched(LogRecordsOf(state), summary, now);
    }
}

std::string StoredText(std::string_view text, std::size_t max) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '"') {
            out += c;
        }
    }
    CutText(out, max);
    return out;
}

}  // namespace brennic
