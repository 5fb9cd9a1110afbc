#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "alerts/Alert.h"

namespace brennic {

// One alert as the API and MQTT carry it: {"rule": "pump_idle_gain", "title": "Pump not
// running with gain", "subject": "", "text": "...", "raised": {"iso", "epoch"}, "cleared":
// null or a time, "values": [{"name", "value", "unit"}], "clearValues": [...]}. Any thread.
nlohmann::json AlertJson(const Alert& alert);

// {"enabled": bool, "rules": {"<key>": true while one of its alerts is active, for each rule
// switched on}, "active": [...]} and, with `history`, "history": [...] newest first.
nlohmann::json AlertsJson(const AlertSettings& settings, const std::vector<Alert>& active,
                          const std::vector<Alert>* history = nullptr);

}  // namespace brennic
