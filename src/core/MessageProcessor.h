#pragma once

#include <ctime>
#include <string_view>

#include "core/AppState.h"
#include "core/ControllerLine.h"
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

// Live road: one controller line, sample time = `now` (0 = the system clock). Lines of 85
// characters or more are dropped uncounted. Writes the raw record ("Include QMX Data"), the
// day end, the sample record and the summary step through the daily log writers.
// Returns the mismatch code (-2 or -3) the first time a mismatch is seen since the last
// reset, else 0. Main thread; caller holds the StateLock.
int ProcessLiveLine(AppState& state, std::string_view line, std::time_t now);

// Replay road: a recorded line (NUL-terminated, may be nullptr when `prepared` is given),
// or a prepared sample whose slots 1-16 are taken as they stand, at time `t` (0 = now).
// Writes raw records for lines given as text, never sample, day or summary records.
// Returns a ProcessResult. Any thread; caller holds the StateLock around each call.
int ProcessRecordedLine(AppState& state, const char* line, const Sample* prepared, std::time_t t);

// Replay road for a line read ahead by ParseControllerLine (on any thread): the same as
// ProcessRecordedLine(state, line, nullptr, t) with `line` up to its first NUL. A line read for
// another controller type than the configured one is read again. Any thread; caller holds the
// StateLock around each call.
int ProcessParsedLine(AppState& state, std::string_view line, const ParsedLine& parsed,
                      std::time_t t);

// Clears statistics, accumulators, counters and history as of time `t` and sets the chart
// origin to the start of t's local hour. Any thread; caller holds the StateLock.
void ResetStatistics(AppState& state, std::time_t t);

// Drops the oldest saved samples at once until the history is within "Max samples to save"
// (call after the limit was lowered; processing also applies it to every sample).
// Caller holds the StateLock.
void ApplySampleLimit(AppState& state);

}  // namespace brennic
