#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/AppState.h"
#include "support/ScopedTimeZone.h"

namespace brennic::testdata {

// 2024-06-01 12:00:00 UTC; the tests run with TZ=UTC.
inline constexpr std::time_t kNoon = 1717243200;

// Fills the history with `count` samples `spacing` seconds apart ending at `end`, with smooth
// temperatures and a pump that runs in the middle of the day.
inline void FillHistory(AppState& state, int count, std::time_t end, int spacing) {
    ProcessorState& p = state.processor;
    p.history.Clear();
    for (int i = 0; i < count; ++i) {
        Sample s;
        s.time = end - static_cast<std::time_t>(count - 1 - i) * spacing;
        const double phase = static_cast<double>(i) / 90.0;
        s[kSlotCollector] = static_cast<float>(150.0 + 40.0 * std::sin(phase));
        s[kSlotStorage] = static_cast<float>(120.0 + 10.0 * std::sin(phase / 3.0));
        s[kSlotAux1] = static_cast<float>(100.0 + 30.0 * std::cos(phase));
        s[kSlotAux2] = static_cast<float>(80.0 + 20.0 * std::cos(phase / 2.0));
        s[kSlotAux3] = static_cast<float>(60.0 + 5.0 * std::sin(phase * 2.0));
        s[kSlotAux4] = 40.0f;
        s[kSlotPump] = std::sin(phase) > 0.0 ? 1.0f : 0.0f;
        s[kSlotBtuRate] = s[kSlotPump] * static_cast<float>(8.0 + 2.0 * std::sin(phase * 3.0));
        s[kSlotFlow] = s[kSlotPump] * 9.0f;
        s[kSlotWAux1] = static_cast<float>(165.0 + 5.0 * std::sin(phase));
        s[kSlotWAux2] = static_cast<float>(135.0 + 5.0 * std::cos(phase));
        s[kSlotWAux3] = static_cast<float>(105.0 + 3.0 * std::sin(phase));
        s[kSlotWAux4] = static_cast<float>(80.0 + 10.0 * std::cos(phase));
        s[kSlotHaPump] = std::cos(phase) > 0.5 ? 1.0f : 0.0f;
        s[kSlotHaBtuRate] = s[kSlotHaPump] * 4.0f;
        s[kSlotHaFlow] = s[kSlotHaPump] * 5.0f;
        p.history.Append(s, 1000000);
    }
    p.history.oldestTime = count > 0 ? p.history[0].time : 0;
    if (count > 0) {
        p.current = p.history.Newest();
        p.firstSampleTime = p.history[0].time;
        p.collectorHeat.maxRate = 10.0;
        p.haHeat.maxRate = 4.0;
        p.maxCollectorFlow = 9.0;
        p.newSample = true;
    }
}

inline void GraphEverything(Config& c) {
    for (int id = 0; id < kChannelCount; ++id) {
        c.graph[static_cast<std::size_t>(id)] = CatalogueEntry(id).graphable ? 1 : 0;
    }
}

}  // namespace brennic::testdata
