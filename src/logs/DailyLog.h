#pragma once

#include <ctime>
#include <string_view>

#include "core/AppState.h"

namespace brennic {

// The daily log writer. All operations: caller holds the StateLock; they read the current
// sample, the statistics and the heat totals from state.processor and the settings from
// state.config. A file that cannot be created switches "Log Data" off in memory and reports
// through state.showMessage; a full disk or a failed write does not: it is reported once, the
// records that could not be written are counted in dailyLog.logFault, and writing resumes by
// itself (see logs/WriteFault.h).

// The names a day's logs take: LOG-YYYY-MM-DD.txt, then -A.txt to -Z.txt.
inline constexpr int kDailyLogNames = 27;

// Opens a new daily log for the record time `t`: the first free name of the day, else (all 27
// taken) the last name, appended to after its last line is made whole. Returns whether a file
// is open. A full disk is counted in dailyLog.logFault and leaves "Log Data" on, so the next
// record tries again.
bool OpenDailyLog(AppState& state, std::time_t t);

// One raw record ("QMX_DATA", time text, the line). Nothing when "Log Data" is off.
void WriteRawLine(AppState& state, std::string_view tag, std::string_view text, std::time_t t);

// After each completed live sample: a sample record every n-th call, then the summary step.
void WriteSampleLine(AppState& state);

// When a new local day begins, before the day statistics are reset: closes the file when
// "New log file at midnight" is on, then writes the day line of the summary.
void WriteDayEnd(AppState& state);

// Closes the daily log if one is open.
void CloseDailyLog(AppState& state);

// After the configuration dialog switched "Log Data": on -> the next completed sample is
// logged (in a new file); off -> the open file is closed.
void LogDataSwitched(AppState& state, bool on);

}  // namespace brennic
