#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "http/LiveSnapshot.h"

namespace brennic {

// The answers of /api/v1/current and /api/v1/statistics. Temperatures in °F as stored, each
// value with its unit; null where there is no reading. Pure functions; any thread.
nlohmann::json CurrentJson(const LiveSnapshot& s);
nlohmann::json StatisticsJson(const LiveSnapshot& s);

// One sample as {"time", "epoch", "<key>": value...} for the channels in `slots` (all when
// empty). Used by /current, the history and the event stream.
nlohmann::json SampleJson(const Sample& sample, const std::vector<int>& slots = {});

// {"error": {"status": 400, "message": "..."}} for a refused request.
std::string ErrorJson(int status, const std::string& message);

}  // namespace brennic
