#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "core/AppState.h"
#include "replay/ReplayTypes.h"

namespace brennic {

// Replays a controller Data Recorder file through the message processor: the header and
// first-record scans, the last-record scan, the caption and range line, fast access when the
// range asks for it, then every record with the range rules, progress lines 1-6 and the record
// error dialog, all through `events`. A read error is reported through events.ReadError and
// in the outcome.
// Synchronous; any thread. The caller need not hold the StateLock: it is taken around each
// processor call only, so the window can paint between records (holding it across the call
// would freeze the window). `stop`, when given and set, ends the replay at the next record
// like ABORT.
ReplayOutcome ReplayDataRecorderFile(AppState& state, const std::string& path,
                                     const RecordRange& range, ReplayEvents& events,
                                     const std::atomic<bool>* stop = nullptr);

// Progress line 6 for a bad record: the record number and the line as read (at most its first
// 126 characters, without the line feed) in double quotes.
std::string BadRecordText(int record, std::string_view line);

// The record error dialog's message for a negative processor result.
const char* RecordErrorMessage(int result);

}  // namespace brennic
