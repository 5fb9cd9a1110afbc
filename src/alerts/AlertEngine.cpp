#include "alerts/AlertEngine.h"

#include <algorithm>

namespace brennic {

namespace {

constexpr std::time_t kHour = 3600;

bool IsSampleRule(AlertRule r) {
    return r != AlertRule::kNoData && r != AlertRule::kDataErrors;
}

AlertValue Degrees(const char* name, double v) {
    return {name, v, "°F"};
}

}  // namespace

AlertEngine::AlertEngine(AlertSettings settings) : settings_(std::move(settings)) {}

void AlertEngine::SampleConditions(const AlertInput& in, std::vector<Condition>& out) {
    const AlertSettings& s = settings_;
    const float collector = in.current[kSlotCollector];
    const float storage = in.current[kSlotStorage];
    const bool haveCollector = IsReading(collector);
    const bool haveBoth = haveCollector && IsReading(storage);
    const bool pumpOn = in.current[kSlotPump] != 0.0f;
    const double difference = haveBoth ? static_cast<double>(collector - storage) : 0.0;
    const std::vector<AlertValue> collectorOnly = {Degrees("collector", collector)};
    const std::vector<AlertValue> pair = {Degrees("collector", collector),
                                          Degrees("storage", storage),
                                          Degrees("difference", difference)};

    out.push_back({AlertRule::kCollectorOverheat,
                   {},
                   haveCollector && collector >= s[AlertRule::kCollectorOverheat].threshold,
                   collectorOnly});
    out.push_back({AlertRule::kFreeze,
                   {},
                   haveCollector && collector <= s[AlertRule::kFreeze].threshold,
                   collectorOnly});
    out.push_back({AlertRule::kPumpNoGain,
                   {},
                   haveBoth && pumpOn && difference <= s[AlertRule::kPumpNoGain].threshold,
                   pair});

    // The controller's own differential when it reports one, else the configured one.
    const double differential = in.differential > 0.0f ? in.differential : s.differential;
    const double gain = s[AlertRule::kPumpIdleGain].threshold * differential;
    const bool belowLimit = in.highLimit <= 0.0f || storage < in.highLimit;
    std::vector<AlertValue> idle = pair;
    idle.push_back(Degrees("differential", differential));
    if (in.highLimit > 0.0f) {
        idle.push_back(Degrees("high limit", in.highLimit));
    }
    out.push_back({AlertRule::kPumpIdleGain,
                   {},
                   haveBoth && !pumpOn && difference >= gain && belowLimit,
                   idle});

    out.push_back({AlertRule::kTankOverheat,
                   {},
                   IsReading(storage) && storage >= s[AlertRule::kTankOverheat].threshold,
                   {Degrees("storage", storage)}});

    // One alert per sensor; a sensor no longer expected counts as reading.
    std::vector<std::string> seen;
    for (const ExpectedSensor& sensor : in.sensors) {
        out.push_back(
            {AlertRule::kSensorOpen, sensor.name, !IsReading(in.current[sensor.slot]), {}});
        seen.push_back(sensor.name);
    }
    for (const auto& [key, track] : tracks_) {
        if (key.first == static_cast<int>(AlertRule::kSensorOpen) &&
            std::find(seen.begin(), seen.end(), key.second) == seen.end()) {
            out.push_back({AlertRule::kSensorOpen, key.second, false, {}});
        }
    }
}

void AlertEngine::LinkConditions(const AlertInput& in, std::vector<Condition>& out) {
    const std::time_t silence = settings_[AlertRule::kNoData].seconds;
    if (!in.acquiring) {
        acquiringSince_ = 0;
    } else if (acquiringSince_ == 0) {
        acquiringSince_ = in.now;
    }
    // Before the first line the silence counts from the start of acquisition.
    const std::time_t lineRef = std::max(in.lastLineTime, acquiringSince_);
    const std::time_t lineAge = in.now - lineRef;
    out.push_back({AlertRule::kNoData,
                   "controller",
                   in.acquiring && lineAge >= silence,
                   {{"last line", static_cast<double>(lineAge), "s ago"}}});
    const std::time_t replyAge = in.now - in.oneWireLastReply;
    out.push_back({AlertRule::kNoData,
                   "One-Wire",
                   in.oneWireOpen && replyAge >= silence,
                   {{"last reply", static_cast<double>(replyAge), "s ago"}}});
}

AlertEngine::Condition AlertEngine::DataErrorCondition(const AlertInput& in) {
    // The counters start again at a Reset: so does the window.
    if (!counts_.empty() &&
        (in.receivedLines < counts_.back().lines || in.dataErrors < counts_.back().errors)) {
        counts_.clear();
    }
    if (counts_.empty() || counts_.back().lines != in.receivedLines ||
        counts_.back().errors != in.dataErrors) {
        counts_.push_back({in.now, in.receivedLines, in.dataErrors});
    }
    // Keep one entry at or before the start of the hour as the base.
    while (counts_.size() > 1 && counts_[1].time <= in.now - kHour) {
        counts_.pop_front();
    }
    const Counts& base = counts_.front();
    const int lines = in.receivedLines - base.lines;
    // A line with a bad value counts more than one error; no more errors than lines.
    const int errors = std::min(lines, in.dataErrors - base.errors);
    const double percent = lines > 0 ? 100.0 * errors / lines : 0.0;
    return {AlertRule::kDataErrors,
            {},
            lines >= kAlertMinimumLines && percent > settings_[AlertRule::kDataErrors].threshold,
            {{"errors", static_cast<double>(errors), ""},
             {"lines", static_cast<double>(lines), ""},
             {"share", percent, "%"}}};
}

void AlertEngine::Update(const Condition& c, std::time_t now, std::vector<AlertChange>& changes) {
    const AlertRuleSettings& rule = settings_[c.rule];
    Track& t = tracks_[{static_cast<int>(c.rule), c.subject}];
    // "No data" waits inside its condition; it is raised as soon as that holds.
    const std::time_t raiseAfter = c.rule == AlertRule::kNoData ? 0 : rule.seconds;
    if (c.holds) {
        t.falseSince = 0;
        if (t.trueSince == 0) {
            t.trueSince = now;
        }
        if (!t.raised && now - t.trueSince >= raiseAfter) {
            t.raised = true;
            t.alert = Alert{c.rule, c.subject, now, 0, c.values, {}};
            changes.push_back({true, t.alert});
        }
        return;
    }
    t.trueSince = 0;
    if (!t.raised) {
        return;
    }
    if (t.falseSince == 0) {
        t.falseSince = now;
    }
    if (now - t.falseSince >= rule.seconds) {
        t.raised = false;
        t.alert.cleared = now;
        t.alert.clearValues = c.values;
        changes.push_back({false, t.alert});
    }
}

std::vector<AlertChange> AlertEngine::Evaluate(const AlertInput& in) {
    std::vector<Condition> conditions;
    if (in.newSample) {
        if (lastSample_ != 0 && in.now - lastSample_ > settings_[AlertRule::kNoData].seconds) {
            // Too long without samples to say the condition held (or not) all along.
            for (auto& [key, track] : tracks_) {
                if (IsSampleRule(static_cast<AlertRule>(key.first))) {
                    track.trueSince = 0;
                    track.falseSince = 0;
                }
            }
        }
        lastSample_ = in.now;
        SampleConditions(in, conditions);
    }
    LinkConditions(in, conditions);
    conditions.push_back(DataErrorCondition(in));

    std::vector<AlertChange> changes;
    if (!settings_.enabled) {
        return changes;
    }
    std::stable_sort(conditions.begin(), conditions.end(),
                     [](const Condition& a, const Condition& b) { return a.rule < b.rule; });
    for (const Condition& c : conditions) {
        if (settings_[c.rule].enabled) {
            Update(c, in.now, changes);
        }
    }
    return changes;
}

std::vector<Alert> AlertEngine::Active() const {
    std::vector<Alert> active;
    for (const auto& [key, track] : tracks_) {
        if (track.raised) {
            active.push_back(track.alert);
        }
    }
    return active;
}

}  // namespace brennic
