#include "alerts/AlertJson.h"

#include "http/LiveSnapshot.h"

namespace brennic {

namespace {

using nlohmann::json;

json Time(std::time_t t) {
    if (t == 0) {
        return nullptr;
    }
    return {{"iso", IsoTime(t)}, {"epoch", t}};
}

json Values(const std::vector<AlertValue>& values) {
    json out = json::array();
    for (const AlertValue& v : values) {
        out.push_back({{"name", v.name}, {"value", v.value}, {"unit", v.unit}});
    }
    return out;
}

}  // namespace

json AlertJson(const Alert& a) {
    return {{"rule", RuleEntry(a.rule).key}, {"title", AlertTitle(a)},
            {"subject", a.subject},          {"text", AlertLine(a)},
            {"raised", Time(a.raised)},      {"cleared", Time(a.cleared)},
            {"values", Values(a.values)},    {"clearValues", Values(a.clearValues)}};
}

json AlertsJson(const AlertSettings& settings, const std::vector<Alert>& active,
                const std::vector<Alert>* history) {
    json rules = json::object();
    for (int i = 0; i < kAlertRuleCount; ++i) {
        if (settings.enabled && settings.rules[static_cast<std::size_t>(i)].enabled) {
            rules[kAlertRules[static_cast<std::size_t>(i)].key] = false;
        }
    }
    json list = json::array();
    for (const Alert& a : active) {
        rules[RuleEntry(a.rule).key] = true;
        list.push_back(AlertJson(a));
    }
    json out = {{"enabled", settings.enabled}, {"rules", rules}, {"active", list}};
    if (history != nullptr) {
        json past = json::array();
        for (auto it = history->rbegin(); it != history->rend(); ++it) {
            past.push_back(AlertJson(*it));
        }
        out["history"] = past;
    }
    return out;
}

}  // namespace brennic
