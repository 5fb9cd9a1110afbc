#pragma once

#include <cmath>
#include <ctime>
#include <string>

#include "history/HistoryStore.h"
#include "support/ReplayTestSupport.h"

namespace brennic::testing {

// A Data Recorder file with a record every `step` seconds in [from, to): the pump runs from
// 09:00 to 17:00 local time with a collector that warms over the day, so heat accrues then.
// `skip(t)` true leaves a record out (gaps).
template <typename Skip>
std::string SunnyRecorderFile(std::time_t from, std::time_t to, int step, Skip skip) {
    std::string text = "DATE CST +DST\n";
    for (std::time_t t = from; t < to; t += step) {
        if (skip(t)) {
            continue;
        }
        std::tm tm{};
        localtime_r(&t, &tm);
        const double hour = tm.tm_hour + tm.tm_min / 60.0;
        const bool pump = hour >= 9.0 && hour < 17.0;
        const double collector = 90.0 + 60.0 * std::max(0.0, std::sin((hour - 6.0) / 12.0 * M_PI));
        text += RecorderStamp(t) + " " + ControllerLine(collector, 100.0 + hour, pump) + "\n";
    }
    return text;
}

inline std::string SunnyRecorderFile(std::time_t from, std::time_t to, int step) {
    return SunnyRecorderFile(from, to, step, [](std::time_t) { return false; });
}

inline std::unique_ptr<HistoryStore> OpenStore(const std::string& path) {
    auto opened = HistoryStore::Open(path);
    return std::move(opened.store);
}

inline DayRow StoredDay(HistoryStore& store, int day) {
    std::string error;
    const auto rows = store.ReadDays(day, day, error);
    return rows.empty() ? DayRow{} : rows.front();
}

}  // namespace brennic::testing
