#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "core/AppState.h"
#include "core/Sample.h"
#include "replay/ReplayTypes.h"

namespace brennic {

// Replays one of Brennic's own daily logs: the same scans, range line, fast access and
// progress lines as the Data Recorder reader, but every sample record goes to the processor
// as a prepared sample, raw "QMX_DATA" records are skipped, records outside the range are
// skipped while reading goes on to the end, and the processor's result is not examined. A
// damaged record (cut short, glued to the next, NUL bytes) is a bad record as in the Data
// Recorder reader: shown, counted through events.BadRecord and skipped.
// Synchronous; any thread. The caller need not hold the StateLock: it is taken around each
// processor call only. `stop`, when given and set, ends the replay at the next record.
ReplayOutcome ReplayOwnLogFile(AppState& state, const std::string& path, const RecordRange& range,
                               ReplayEvents& events, const std::atomic<bool>* stop = nullptr);

// Reads the values of a sample record (everything after the time text) into slots 1-16 of
// `sample`: the long layout when all sixteen values read, else the short one, whose missing
// One-Wire values arrive as -9999.0 and heat-assist pump and flow as 0. Values that do not
// read stay 0. The heat totals of the record are not used. Returns whether one layout read
// whole with nothing but blanks after it (false for a record cut short or glued to the next).
// Any thread.
bool ParseSampleRecord(std::string_view values, Sample& sample);

}  // namespace brennic
