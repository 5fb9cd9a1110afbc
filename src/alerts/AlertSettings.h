#pragma once

#include <array>
#include <string>
#include <vector>

#include <toml++/toml.h>

namespace brennic {

// The rules the station checks on every sample, in the order they are listed everywhere
// (window, file, API, MQTT).
enum class AlertRule : int {
    kCollectorOverheat = 0,  // collector at or above a temperature (stagnation)
    kFreeze,                 // collector at or below a temperature
    kPumpNoGain,             // pump on, collector hardly warmer than storage (no flow, air)
    kPumpIdleGain,           // pump off, collector far warmer than storage below the high limit
    kTankOverheat,           // storage at or above a temperature
    kSensorOpen,             // a listed sensor reads open or gives no reading
    kNoData,                 // no controller line, or stale One-Wire replies, while running
    kDataErrors,             // too many data errors among the lines of the last hour
    kCount,
};

inline constexpr int kAlertRuleCount = static_cast<int>(AlertRule::kCount);

// The fixed description of one rule.
struct AlertRuleEntry {
    const char* key;            // [alerts.<key>], JSON "rule", MQTT object id
    const char* title;          // what the owner reads
    const char* thresholdUnit;  // of `threshold`; nullptr: the rule takes no threshold
};

// Indexed by AlertRule.
inline constexpr std::array<AlertRuleEntry, kAlertRuleCount> kAlertRules = {{
    {"collector_overheat", "Collector over-temperature", "°F"},
    {"freeze", "Freeze risk", "°F"},
    {"pump_no_gain", "Pump running without gain", "°F"},
    {"pump_idle_gain", "Pump not running with gain", "× differential"},
    {"tank_overheat", "Tank over-temperature", "°F"},
    {"sensor_open", "Sensor open or missing", nullptr},
    {"no_data", "No data", nullptr},
    {"data_errors", "Data errors", "%"},
}};

inline const AlertRuleEntry& RuleEntry(AlertRule rule) {
    return kAlertRules[static_cast<std::size_t>(rule)];
}

// One rule's settings. A rule is raised when its condition has held for `seconds` and
// cleared when it has been false for as long. For "no data" `seconds` is the silence that
// raises it at once; it clears after as long with data.
struct AlertRuleSettings {
    bool enabled = true;
    double threshold = 0.0;
    int seconds = 0;

    bool operator==(const AlertRuleSettings&) const = default;
};

// The `[alerts]` section of brennic.toml, with a table per rule:
//   [alerts]            enabled, command, command_timeout_seconds, notify
//   [alerts.freeze]     enabled, threshold, minutes
struct AlertSettings {
    bool enabled = true;
    std::array<AlertRuleSettings, kAlertRuleCount> rules = {{
        {true, 240.0, 600},  // collector ≥ 240 °F for 10 min
        {true, 35.0, 300},   // collector ≤ 35 °F for 5 min
        {true, 1.0, 1200},   // pump on, collector − storage ≤ 1 °F for 20 min
        {true, 2.0, 1200},   // pump off, collector − storage ≥ 2 × differential for 20 min
        {true, 180.0, 300},  // storage ≥ 180 °F for 5 min
        {true, 0.0, 1800},   // 30 min without a reading
        {true, 0.0, 300},    // 5 min without a line
        {true, 10.0, 300},   // more than 10 % of the last hour's lines, for 5 min
    }};
    // Used by "pump not running with gain" until the controller has reported its own.
    double differential = 12.0;
    // Run for each raised and cleared alert, without a shell: the program and its arguments
    // (`command = "..."` split at blanks with quotes, or an array of strings); empty: none.
    std::vector<std::string> command;
    int commandTimeoutSeconds = 30;
    // Desktop notifications when a session bus exists.
    bool notify = true;

    const AlertRuleSettings& operator[](AlertRule r) const {
        return rules[static_cast<std::size_t>(r)];
    }
    AlertRuleSettings& operator[](AlertRule r) { return rules[static_cast<std::size_t>(r)]; }

    bool operator==(const AlertSettings&) const = default;
};

// Reads the `[alerts]` table (nullptr: absent, all defaults). A bad value keeps its default
// and adds one line to `problems`. Any thread.
AlertSettings ReadAlertSettings(const toml::table* section, std::vector<std::string>& problems);

}  // namespace brennic
