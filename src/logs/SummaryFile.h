#pragma once

#include <ctime>
#include <string>

#include "logs/DailyLog.h"

namespace brennic {

// Summary.txt in the data folder: one line per Start, Stop and statistics record. The file
// is opened, appended to and closed for every line, so it can be copied while the program
// runs. Every function here: caller holds the StateLock (main thread or a replay thread).

enum class SummaryKind { kStatistics, kStart, kStop };

inline constexpr const char* kSummaryFileName = "Summary.txt";

// Appends one line of `kind` stamped with the local time of `t`. A statistics line carries
// the maximum, minimum, day max and day min of the temperatures and the heat totals from
// r.processor: 28 numbers, or 48 with One-Wire enabled. Nothing when "Summary" is off.
// When the file cannot be opened: "Cannot open summary file, summary file disabled <path>"
// through r.showMessage and "Summary" off in memory. A full disk or a failed write is
// reported once and counted in log.summaryFault, and the next line tries again. Returns
// whether a line was written.
bool WriteSummary(const LogRecords& r, SummaryKind kind, std::time_t t);

// The step after each completed live sample: a Start line on the first sample since start,
// then a statistics line every "Summary every nth sample" samples (the first one at once).
// Uses the current sample's time.
void SummaryStep(const LogRecords& r);

// At a change of day, before the day statistics are reset: a statistics line with the day
// values of the day that ended, stamped with the time of the sample that began the new day.
void WriteSummaryDayLine(const LogRecords& r);

// After the configuration dialog switched "Summary" (r.config already holds the new
// value): on -> a Start line, and the next completed sample writes a statistics line;
// off -> a Stop line. Stamped with the current sample's time, or `now` when no sample has
// been taken yet.
void SummarySwitched(const LogRecords& r, bool on, std::time_t now);

}  // namespace brennic
