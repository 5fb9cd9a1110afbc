#pragma once

#include <ctime>

#include "station/StationSnapshot.h"
#include "web/WebCounters.h"

namespace brennic {

struct AppState;

// Fills `out` from the shared state, the links and the publisher's counters at `now`.
// Caller holds the StateLock (the station's thread, or a test).
void BuildSnapshot(const AppState& state, const StationLinks& links, const WebCounters& web,
                   std::time_t lastLineTime, std::time_t now, StationSnapshot& out);

// The service's one-line status: "<n> samples, last line <age> ago, collector <t> °F" (or
// "no data yet", or "waiting for the serial port" while it reconnects).
std::string StatusSummary(const StationSnapshot& snapshot);

}  // namespace brennic
