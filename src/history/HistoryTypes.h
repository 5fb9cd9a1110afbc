#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "core/ProcessorState.h"
#include "core/Sample.h"

namespace brennic {

// What the history store keeps of one processed sample: an owned copy taken on the processing
// thread (cheap: no heap), folded into minute rows on the store's writer thread.
struct HistorySample {
    std::time_t time = 0;
    std::array<float, kSlotCount> value{};
    double collectorBtuTotal = 0.0;  // the processor's running totals since its last reset
    double haBtuTotal = 0.0;
    int sampleCount = 0;  // 1 for the first sample after a reset

    static HistorySample From(const ProcessorState& p) {
        HistorySample s;
        s.time = p.current.time;
        s.value = p.current.value;
        s.collectorBtuTotal = p.collectorHeat.total;
        s.haBtuTotal = p.haHeat.total;
        s.sampleCount = p.sampleCount;
        return s;
    }
};

// The channels a minute row keeps minimum, mean and maximum of: every slot except the two
// pump switches (their time is in the on-seconds).
inline constexpr std::array<int, 14> kHistoryChannels = {
    kSlotCollector, kSlotStorage, kSlotAux1,  kSlotAux2,  kSlotAux3,  kSlotAux4,      kSlotBtuRate,
    kSlotFlow,      kSlotWAux1,   kSlotWAux2, kSlotWAux3, kSlotWAux4, kSlotHaBtuRate, kSlotHaFlow};
inline constexpr int kHistoryChannelCount = static_cast<int>(kHistoryChannels.size());

// Statistics of one channel over a minute; count 0: no reading in that minute.
struct ChannelMinute {
    float min = 0.0f;
    float max = 0.0f;
    double sum = 0.0;
    int count = 0;
};

// One minute of data, keyed by the minute's start (UTC seconds, a multiple of 60). Heat and
// pump time are those of the intervals that ended in this minute, except that the interval
// which crosses local midnight belongs to the day it ends (as the processor's day heat has it).
struct MinuteRow {
    std::time_t minute = 0;
    int samples = 0;
    std::array<ChannelMinute, kHistoryChannels.size()> channels{};
    double collectorBtu = 0.0;
    double haBtu = 0.0;
    int pumpOnSeconds = 0;
    int haPumpOnSeconds = 0;
    int pumpStarts = 0;
    int haPumpStarts = 0;
};

// One local day: its number is YYYYMMDD.
struct DayRow {
    int day = 0;
    double collectorBtu = 0.0;
    double haBtu = 0.0;
    long long pumpOnSeconds = 0;
    long long haPumpOnSeconds = 0;
    int pumpStarts = 0;
    int haPumpStarts = 0;
    float maxCollector = kNoReading;  // °F; kNoReading when the day had none
    float maxStorage = kNoReading;
    int minutesWithData = 0;
    long long samples = 0;
};

}  // namespace brennic
