#pragma once

#include <ostream>
#include <string>

#include "core/AppState.h"
#include "replay/ReplayTypes.h"

namespace brennic {

// The command-line replay: brennic --replay-datarecorder FILE | --replay-log FILE [--from T]
// [--to T] [--fast-access], or --replay-capture FILE --start T --interval SECONDS, with T a
// local "YYYY-MM-DD HH:MM:SS".
struct ReplayOptions {
    enum class Kind { kNone, kDataRecorder, kOwnLog, kCapture };
    Kind kind = Kind::kNone;
    std::string file;
    std::string from;  // empty: not given
    std::string to;
    bool fastAccess = false;
    std::string start;        // capture only
    long long interval = -1;  // capture only, seconds (0 .. 4294967295)
};

// Runs the replay without a window: the same reader and processor as the menu commands, bad
// records collected as after SUPPRESS ERRORS. Prints one JSON report to `out` and returns 0; a
// read error, a file that cannot be opened or bad options print their message to `err` and
// return 1 (2 for bad options). The configuration in `state` (model, flows, logging) applies.
// Any thread; the caller must not hold the StateLock.
int RunReplayCommand(AppState& state, const ReplayOptions& options, std::ostream& out,
                     std::ostream& err);

}  // namespace brennic
