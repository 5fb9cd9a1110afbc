#pragma once

#include <string>

#include "http/LiveSnapshot.h"

namespace brennic {

// The Prometheus text exposition (version 0.0.4) of the live state: temperatures and flows as
// gauges, heat totals and pump on-seconds as counters, data errors, open sensors, samples,
// link up and the age of the last sample. Pure; any thread.
std::string MetricsText(const LiveSnapshot& s);

}  // namespace brennic
