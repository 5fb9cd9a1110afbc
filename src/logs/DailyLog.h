#pragma once

#include <ctime>
#include <string_view>

#include "config/Config.h"
#include "core/MessageHook.h"
#include "core/ProcessorState.h"
#include "logs/DailyLogState.h"

namespace brennic {

struct AppState;

// The daily log writer. All operations: caller holds the StateLock; they read the current
// sample, the statistics and the heat totals from `processor` and the settings from `config`.
// A file that cannot be created switches "Log Data" off in memory and reports through
// `showMessage`; a full disk or a failed write does not: it is reported once, the records that
// could not be written are counted in log.logFault, and writing resumes by itself (see
// logs/WriteFault.h).

// The records the log and summary writers work on, and nothing else of the program's state.
struct LogRecords {
    DailyLogState& log;
    Config& config;  // read; "Log Data" / "Summary" switched off when a file cannot be made
    const ProcessorState& processor;
    const MessageHook& showMessage;
};

// The log records of the whole state, for callers that hold it.
LogRecords LogRecordsOf(AppState& state);

// The names a day's logs take: LOG-YYYY-MM-DD.txt, then -A.txt to -Z.txt.
inline constexpr int kDailyLogNames = 27;

// Opens a new daily log for the record time `t`: the first free name of the day, else (all 27
// taken) the last name, appended to after its last line is made whole. Returns whether a file
// is open. A full disk is counted in log.logFault and leaves "Log Data" on, so the next
// record tries again.
bool OpenDailyLog(const LogRecords& r, std::time_t t);

// One raw record ("QMX_DATA", time text, the line). Nothing when "Log Data" is off.
void WriteRawLine(const LogRecords& r, std::string_view tag, std::string_view text, std::time_t t);

// After each completed live sample: a sample record every n-th call, then the summary step.
void WriteSampleLine(const LogRecords& r);

// When a new local day begins, before the day statistics are reset: closes the file when
// "New log file at midnight" is on, then writes the day line of the summary.
void WriteDayEnd(const LogRecords& r);

// Closes the daily log if one is open.
void CloseDailyLog(DailyLogState& log);

// After the configuration dialog switched "Log Data": on -> the next completed sample is
// logged (in a new file); off -> the open file is closed.
void LogDataSwitched(DailyLogState& log, bool on);

}  // namespace brennic
