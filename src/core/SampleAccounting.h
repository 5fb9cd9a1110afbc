#pragma once

#include <ctime>

#include "core/AppState.h"

namespace brennic {

// The second half of the message processor: everything that happens to a completed sample
// (state.processor.current, slots 1-16 filled; slot 0 still the previous sample's time).
// Pump and flow, pump statistics and heat of both loops, statistics, the day change, the
// log and summary calls (live road only) and the history. Returns 2 when the sample was
// saved to the history, 1 when the every-nth rule skipped it.
// Caller holds the StateLock.
int AccountSample(AppState& state, std::time_t now, bool live);

}  // namespace brennic
