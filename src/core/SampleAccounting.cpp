#include "core/SampleAccounting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

#include "core/LocalTime.h"
#include "core/MessageProcessor.h"
#include "logs/DailyLog.h"

namespace brennic {

namespace {

// BTU carried per second by one gallon per minute of water per degree Fahrenheit.
constexpr double kBtuPerGpmDegreeSecond = 0.139085;

// Pump seconds and cycles are shown as int; whatever the record times, they stop at its limit.
int ClampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
}

// What differs between the collector loop and the heat-assist loop.
struct Loop {
    int pumpSlot;
    int hotSlot;
    int coldSlot;
    int flowSlot;
    double offset;  // added to both loop temperatures
    unsigned mix;
    int percent;
    bool heatEnabled;  // flow present and "BTU Enable" (always true for heat assist)
    bool smooth;       // rate = mean of the window, else the instantaneous rate
};

// Pump statistics and heat of one loop for the interval (prev, now].
void AccountLoop(PumpStats& pump, HeatTotals& heat, const GlycolTable& glycol, const Sample& s,
                 const Loop& loop, std::time_t now, std::time_t prev) {
    const bool on = s[loop.pumpSlot] != 0.0f;
    const std::time_t elapsed = now - prev;
    const bool gap = elapsed > kMaxSampleGap;
    if (gap && pump.running) {
        // The pump's period goes on, but without the gap.
        pump.onSince = std::min(now, pump.onSince + elapsed);
    }
    if (on != pump.running) {
        // No heat for the interval in which the pump changed state; the rates start afresh.
        heat.rateWindow.fill(0.0);
        if (on) {
            pump.onSince = now;
            pump.totalAtPeriodStart = pump.totalOnSeconds;
            pump.periodSeconds = 0;
            pump.cycles = ClampToInt(std::int64_t{pump.cycles} + 1);
            pump.running = true;
        } else {
            pump.totalOnSeconds = ClampToInt(std::int64_t{pump.totalAtPeriodStart} +
                                             (std::int64_t{now} - pump.onSince));
            pump.running = false;
            heat.rate = 0.0;
        }
        return;
    }
    if (!on) {
        return;
    }
    pump.periodSeconds = ClampToInt(std::int64_t{now} - pump.onSince);
    pump.totalOnSeconds = ClampToInt(std::int64_t{pump.totalAtPeriodStart} + pump.periodSeconds);

    // A clock set back, or two records with one time: there is no interval to divide by,
    // so neither heat nor rate changes. Across a gap nothing is known, so nothing is added.
    if (elapsed <= 0 || gap) {
        return;
    }
    const float hot = s[loop.hotSlot];
    const float cold = s[loop.coldSlot];
    double instant = 0.0;
    // A loop probe without a reading would enter the formula as -9999 and add a huge
    // negative amount; such an interval counts as if heat metering were off.
    if (IsReading(hot) && IsReading(cold)) {
        const double seconds = static_cast<double>(elapsed);
        double energy = 0.0;
        if (loop.heatEnabled) {
            energy = seconds *
                     (static_cast<double>(hot) - static_cast<double>(cold) + loop.offset) *
                     static_cast<double>(s[loop.flowSlot]) * kBtuPerGpmDegreeSecond;
        }
        heat.factor =
            HeatFactor(glycol, hot + loop.offset, cold + loop.offset, loop.mix, loop.percent);
        energy *= heat.factor;
        // Absurd readings (1e38 degrees) must not turn the totals into infinity for good.
        if (!std::isfinite(energy)) {
            energy = 0.0;
        }
        heat.total += energy;
        heat.dayHeat += energy;
        instant = energy / seconds;
    }
    std::copy(heat.rateWindow.begin() + 1, heat.rateWindow.end(), heat.rateWindow.begin());
    heat.rateWindow.back() = instant;
    heat.rate = loop.smooth
                    ? std::accumulate(heat.rateWindow.begin(), heat.rateWindow.end(), 0.0) * 0.1
                    : instant;
    heat.maxRate = std::max(heat.maxRate, heat.rate);
    heat.dayMaxRate = std::max(heat.dayMaxRate, heat.rate);
}

void UpdateStatistics(ProcessorState& p) {
    const Sample& s = p.current;
    ChannelStats& st = p.stats;
    for (const int slot : kTemperatureSlots) {
        const float v = s[slot];
        if (!IsReading(v)) {
            continue;
        }
        st.maximum[slot] = std::max(st.maximum[slot], v);
        st.dayMax[slot] = std::max(st.dayMax[slot], v);
        st.minimum[slot] = std::min(st.minimum[slot], v);
        st.dayMin[slot] = std::min(st.dayMin[slot], v);
    }
}

// Day Max and Day Min start again from the sample that began the new day.
void ReseedDay(ProcessorState& p) {
    const Sample& s = p.current;
    ChannelStats& st = p.stats;
    for (const int slot : kTemperatureSlots) {
        const float v = s[slot];
        const bool reading = IsReading(v) && v != kDayMinStart;
        st.dayMax[slot] = reading ? v : kNoReading;
        st.dayMin[slot] = reading ? v : kDayMinStart;
    }
    st.dayMax[kSlotBtuRate] = st.dayMin[kSlotBtuRate] = 0.0f;
    st.dayMax[kSlotHaBtuRate] = st.dayMin[kSlotHaBtuRate] = 0.0f;
    for (HeatTotals* heat : {&p.collectorHeat, &p.haHeat}) {
        heat->dayHeat = 0.0;
        heat->dayMaxRate = 0.0;
    }
}

std::size_t SampleLimit(const Config& config) {
    return static_cast<std::size_t>(std::max(config.maxSamples, 1));
}

}  // namespace

int AccountSample(AppState& state, std::time_t now, bool live) {
    ProcessorState& p = state.processor;
    const Config& c = state.config;
    Sample& s = p.current;

    if (s[kSlotPump] == 0.0f) {
        s[kSlotFlow] = 0.0f;
    }
    p.maxCollectorFlow = std::max(p.maxCollectorFlow, static_cast<double>(s[kSlotFlow]));

    const std::time_t prev = s.time;
    const Loop collector{kSlotPump,
                         kSlotAux1,
                         kSlotAux2,
                         kSlotFlow,
                         c.solarOffset,
                         static_cast<unsigned>(c.solarGlycolMix),
                         c.solarGlycolPercent,
                         s[kSlotFlow] >= kReadingFloor && c.btuEnable != 0,
                         c.smoothBtuRate != 0};
    AccountLoop(p.collectorPump, p.collectorHeat, state.glycol, s, collector, now, prev);
    s[kSlotBtuRate] = static_cast<float>(p.collectorHeat.rate);

    const Loop heatAssist{kSlotHaPump,       kSlotWAux1, kSlotWAux2,
                          kSlotHaFlow,       c.haOffset, static_cast<unsigned>(c.haGlycolMix),
                          c.haGlycolPercent, true,       true};
    AccountLoop(p.haPump, p.haHeat, state.glycol, s, heatAssist, now, prev);
    s[kSlotHaBtuRate] = static_cast<float>(p.haHeat.rate);
    s.time = now;

    UpdateStatistics(p);
    ++p.sampleCount;
    if (p.history.Empty()) {
        p.history.oldestTime = now;
        p.previousSampleTime = now;
    }

    if (p.weekdays.Weekday(p.previousSampleTime) != p.weekdays.Weekday(now)) {
        if (live) {
            WriteDayEnd(
                LogRecordsOf(state));  // carries the statistics of the day that has just ended
        }
        ReseedDay(p);
    }
    p.previousSampleTime = now;

    if (live) {
        WriteSampleLine(LogRecordsOf(state));
    }

    // "Graph every nth sample": save samples 1, N+1, 2N+1, ...
    if (p.historyCountdown > 0) {
        --p.historyCountdown;
        p.history.Trim(SampleLimit(c));
        return kProcessedNotSaved;
    }
    p.historyCountdown = c.graphEveryNth - 1;
    const std::size_t limit = SampleLimit(c);
    p.history.Trim(limit);
    p.history.Append(s, limit);
    if (live) {
        p.newSample = true;
    }
    return kProcessedSaved;
}

}  // namespace brennic
