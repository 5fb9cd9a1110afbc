#pragma once

#include <ctime>
#include <string_view>

#include "core/AppState.h"
#include "core/Sample.h"

namespace brennic {

// Results of the replay road.
enum ProcessResult : int {
    kProcessedSaved = 2,
    kProcessedNotSaved = 1,
    kNothingToProcess = 0,
    kDataError = -1,
    kMismatchGpmLines = -2,   // "Config type Vexin 2; Data type Vexin 2 BTU"
    kMismatchNoGpmLines = -3  // "Config type Vexin 2 BTU; Data type Vexin 2"
};

// Live road: one controller line, sample time = `now`. Writes log and summary records.
// Returns the mismatch code (-2 or -3) the first time a mismatch is seen since the last
// reset, else 0. Main thread; caller holds the StateLock.
int ProcessLiveLine(AppState& state, std::string_view line, std::time_t now);

// Replay road: a recorded line (or nullptr-like empty view with `prepared`), or a prepared
// sample of 17 values, at time `t` (0 = now). Never writes sample or summary records.
// Caller holds the StateLock around each call.
int ProcessRecordedLine(AppState& state, const char* line, const Sample* prepared, std::time_t t);

// Clears statistics, accumulators, counters and history as of time `t`.
// Caller holds the StateLock.
void ResetStatistics(AppState& state, std::time_t t);

}  // namespace brennic
