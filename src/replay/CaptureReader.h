#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <string>

#include "core/AppState.h"
#include "replay/ReplayTypes.h"

namespace brennic {

// Replays a terminal-capture file (controller lines as a terminal program saved them, no
// times): the replay clock starts at `start` - `interval` and advances by `interval` seconds
// before every line that begins with a decimal digit; each line goes to the processor as a
// controller line at the clock's time. Writes no progress lines; the caption suffix is the
// file's full path. A read failure is reported as "IO Error".
// Synchronous; any thread (the window runs it on the main thread, as a short blocking task).
// The StateLock is taken around each processor call only.
ReplayOutcome ReplayCaptureFile(AppState& state, const std::string& path, std::time_t start,
                                std::uint32_t interval, ReplayEvents& events,
                                const std::atomic<bool>* stop = nullptr);

// The default start of a capture replay: the file's creation time, else its modification time,
// else now. Any thread.
std::time_t CaptureDefaultStart(const std::string& path);

}  // namespace brennic
