#pragma once

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <ctime>

#include "app/Display.h"
#include "app/DisplayLayout.h"
#include "core/AppState.h"

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

// A sunny day from midnight, one sample a minute up to `minutes`: the collector heats with
// the sun, the pump runs while the collector is 10 F above storage (off again below 4 F),
// storage warms while it runs. For pictures.
inline void FillSunnyDay(AppState& state, std::time_t midnight, int minutes) {
    ProcessorState& p = state.processor;
    p.history.Clear();
    double storage = 105.0;
    double collector = 55.0;
    bool pump = false;
    for (int i = 0; i < minutes; ++i) {
        const double hour = i / 60.0;
        const double sun = std::max(0.0, std::sin((hour - 6.5) / 13.0 * 3.14159265)) *
                           (1.0 - 0.25 * std::max(0.0, std::sin(i / 23.0)));  // some clouds
        // The collector settles towards what the sun and the loop allow.
        const double target = pump ? storage + 35.0 * sun : 50.0 + 140.0 * sun;
        collector += (target - collector) * 0.08;
        pump = pump ? collector - storage > 4.0 : collector - storage > 12.0;
        const double high = pump ? collector - 3.0 : storage - 2.0;
        const double low = pump ? storage + 1.5 : storage - 4.0;
        const double rate = pump ? (high - low) * 9.0 * 8.02 * 0.88 / 60.0 : 0.0;  // BTU/s
        storage += pump ? (collector - storage) * 0.004 : -0.003;
        Sample s;
        s.time = midnight + static_cast<std::time_t>(i) * 60;
        s[kSlotCollector] = static_cast<float>(collector);
        s[kSlotStorage] = static_cast<float>(storage);
        s[kSlotAux1] = static_cast<float>(high);
        s[kSlotAux2] = static_cast<float>(low);
        s[kSlotAux3] = kNoReading;
        s[kSlotAux4] = kNoReading;
        s[kSlotPump] = pump ? 1.0f : 0.0f;
        s[kSlotBtuRate] = static_cast<float>(rate);
        s[kSlotFlow] = pump ? 9.0f : 0.0f;
        s[kSlotWAux1] = static_cast<float>(storage - 8.0);
        s[kSlotWAux2] = static_cast<float>(68.0 + 2.0 * std::sin(hour / 3.0));
        for (int slot : {kSlotWAux3, kSlotWAux4}) {
            s[slot] = kNoReading;
        }
        s[kSlotHaPump] = 0.0f;
        p.history.Append(s, 1000000);
        p.collectorHeat.maxRate = std::max(p.collectorHeat.maxRate, rate);
        p.collectorHeat.total += rate * 60.0;
        if (pump && (i == 0 || p.history[static_cast<std::size_t>(i - 1)][kSlotPump] == 0.0f)) {
            ++p.collectorPump.cycles;
        }
        p.collectorPump.totalOnSeconds += pump ? 60 : 0;
    }
    p.history.oldestTime = p.history[0].time;
    p.current = p.history.Newest();
    p.firstSampleTime = midnight;
    p.collectorHeat.dayHeat = p.collectorHeat.total;
    p.collectorHeat.rate = p.current[kSlotBtuRate];
    p.collectorHeat.dayMaxRate = p.collectorHeat.maxRate;
    p.collectorHeat.factor = 0.8812;
    p.maxCollectorFlow = 9.0;
    p.sampleCount = minutes * 30;
    p.newSample = true;
}

inline void GraphEverything(Config& c) {
    for (int Config::*f :
         {&Config::graphCollector, &Config::graphStorage, &Config::graphAux1, &Config::graphAux2,
          &Config::graphAux3, &Config::graphAux4, &Config::graphPump, &Config::graphBtuRate,
          &Config::graphFlow, &Config::graphWAux1, &Config::graphWAux2, &Config::graphWAux3,
          &Config::graphWAux4, &Config::graphHaPump, &Config::graphHaBtuRate}) {
        c.*f = 1;
    }
}

// Lays out and renders `state` into a white image of the given size, as a window image does.
inline QImage RenderImage(AppState& state, DisplayLayout& layout, int width, int height,
                          std::time_t now, const DisplayStatus& status = {}) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    const TextMetrics m = MeasureFont(MakeDisplayFont(state.font), &image);
    Layout(layout, state.config, m, width, height);
    QPainter painter(&image);
    RenderOptions options;
    options.now = now;
    options.status = status;
    Render(state, layout, painter, options);
    return image;
}

}  // namespace brennic::testdata
