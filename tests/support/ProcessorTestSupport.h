#pragma once

#include <cstdio>
#include <ctime>
#include <string>

#include "core/AppState.h"
#include "core/MessageProcessor.h"
#include "support/ScopedTimeZone.h"

namespace brennic::test {

// Times well inside one local day in every zone the tests use (2009-06-01 12:00 UTC).
inline constexpr std::time_t kNoon = 1243857600;

// One recorded line through the replay road, with the lock held as a replay reader holds it.
inline int Feed(AppState& state, const std::string& line, std::time_t t) {
    StateGuard guard(state.lock);
    return ProcessRecordedLine(state, line.c_str(), nullptr, t);
}

// A positional report line (models 0 and 1).
inline std::string Positional(const char* collector, const char* storage, const char* aux1,
                              const char* aux2, const char* pump, const char* extra = "OFF") {
    char buf[160];
    std::snprintf(buf, sizeof buf, "12:00 %s %s 10 180 %s %s %s %s", collector, storage, aux1, aux2,
                  pump, extra);
    return buf;
}

inline std::string Positional(double aux1, double aux2, bool pumpOn) {
    return Positional("150.0", "120.0", std::to_string(aux1).c_str(), std::to_string(aux2).c_str(),
                      pumpOn ? "ON" : "OFF");
}

// A fresh state as the program has it after start-up and Reset, logging off.
inline void Prepare(AppState& state, int model, std::time_t resetTime = kNoon) {
    state.config.controllerType = model;
    state.config.logData = 0;
    state.config.summaryEnable = 0;
    state.config.graphEveryNth = 1;
    ResetStatistics(state, resetTime);
}

}  // namespace brennic::test
