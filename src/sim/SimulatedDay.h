#pragma once

#include <ctime>
#include <functional>
#include <memory>

#include "core/AppState.h"
#include "links/TestDataGenerator.h"
#include "sim/Installation.h"

namespace brennic {

// Hands the model's reports from its current time up to `to`, one every `interval` seconds,
// to the processor's recorded road, storing each report's One-Wire readings first as the
// One-Wire link would. Lines take the configured controller model. Caller holds the
// StateLock.
void FeedRecordedRoad(AppState& state, Installation& model, std::time_t to, int interval);

// The demo's day: builds the installation the configuration describes, lets it settle for a
// day, then runs the past 24 hours up to `now` through the recorded road (statistics reset at
// their start, chart at 24 hours ending at the next full hour). No raw records reach the
// daily log and no setting changes. Returns the model, ready to go on live. Main thread,
// before acquisition starts; takes the StateLock itself.
std::shared_ptr<Installation> FillPastDay(AppState& state, std::time_t now);

// The serial link's test-data cycles from `model`: each call runs it to the system clock and
// reports in the line format the test-data settings ask for. Called on the reader thread
// only, which then owns the model.
std::function<TestDataCycle(const TestDataSettings&)> LiveCycles(
    std::shared_ptr<Installation> model);

}  // namespace brennic
