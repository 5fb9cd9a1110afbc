#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "alerts/AlertSettings.h"

namespace brennic {

// One figure an alert was raised or cleared with: "collector" 251.5 "°F".
struct AlertValue {
    std::string name;
    double value = 0.0;
    std::string unit;

    bool operator==(const AlertValue&) const = default;
};

// One alert: a rule that held for its duration, for one subject (the sensor or link it is
// about; empty for the rules about the whole installation). Plain value; any thread.
struct Alert {
    AlertRule rule = AlertRule::kCollectorOverheat;
    std::string subject;
    std::time_t raised = 0;               // system clock
    std::time_t cleared = 0;              // 0 while active
    std::vector<AlertValue> values;       // what raised it
    std::vector<AlertValue> clearValues;  // what cleared it (after clearing)

    bool Active() const { return cleared == 0; }
};

// A raise or a clear, as the outputs receive it. `alert` holds the state after the change.
struct AlertChange {
    bool raised = true;
    Alert alert;
};

// "Pump not running with gain" or "Sensor open or missing: Aux-1".
std::string AlertTitle(const Alert& alert);
// "collector 150.2 °F, storage 101.0 °F" (one decimal, whole numbers without).
std::string AlertValuesText(const std::vector<AlertValue>& values);
// The window's alert line and the notification's text: "Pump not running with gain since
// 10:42 (collector 150.2 °F, ...)". Local time.
std::string AlertLine(const Alert& alert);

}  // namespace brennic
