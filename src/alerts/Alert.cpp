#include "alerts/Alert.h"

#include <cmath>
#include <cstdio>

#include "logs/TimeText.h"

namespace brennic {

std::string AlertTitle(const Alert& alert) {
    std::string title = RuleEntry(alert.rule).title;
    if (!alert.subject.empty()) {
        title += ": " + alert.subject;
    }
    return title;
}

std::string AlertValuesText(const std::vector<AlertValue>& values) {
    std::string text;
    for (const AlertValue& v : values) {
        if (!text.empty()) {
            text += ", ";
        }
        char number[32];
        if (v.value == std::floor(v.value) && std::fabs(v.value) < 1e12) {
            std::snprintf(number, sizeof number, "%.0f", v.value);
        } else {
            std::snprintf(number, sizeof number, "%.1f", v.value);
        }
        text += v.name + " " + number;
        if (!v.unit.empty()) {
            text += (v.unit == "%" ? "" : " ") + v.unit;
        }
    }
    return text;
}

std::string AlertLine(const Alert& alert) {
    std::string line = AlertTitle(alert) + " since " + FormatTime("%H:%M", alert.raised);
    if (!alert.values.empty()) {
        line += " (" + AlertValuesText(alert.values) + ")";
    }
    return line;
}

}  // namespace brennic
