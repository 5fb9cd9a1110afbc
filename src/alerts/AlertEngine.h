#pragma once

#include <ctime>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "alerts/Alert.h"
#include "alerts/AlertSettings.h"
#include "core/Sample.h"

namespace brennic {

// A sensor whose reading the owner expects: listed in the status and supplied by the
// controller model or the One-Wire link.
struct ExpectedSensor {
    std::string name;  // "Aux-1"
    int slot = 0;      // Sample slot
};

// What the rules look at, taken from one station snapshot. Plain value.
struct AlertInput {
    std::time_t now = 0;     // system clock
    bool newSample = false;  // `current` formed since the previous input
    Sample current;
    float differential = 0.0f;  // as the controller reports them, °F; 0 not (yet) reported
    float highLimit = 0.0f;
    std::vector<ExpectedSensor> sensors;
    bool acquiring = false;        // the serial reader runs
    std::time_t lastLineTime = 0;  // last controller line, 0 none yet
    bool oneWireOpen = false;
    std::time_t oneWireLastReply = 0;  // last reply, or when the link opened
    int receivedLines = 0;             // since the last Reset
    int dataErrors = 0;
};

// Evaluates the rules over a sequence of inputs and says what was raised and cleared. A rule
// is raised once when its condition has held for its duration and cleared once when it has
// been false for as long, so a value wavering around a threshold does not flap. The
// temperature rules judge samples only; a gap of samples longer than the "no data" silence
// starts their count afresh. One owner thread (the station's); not thread-safe.
class AlertEngine {
  public:
    explicit AlertEngine(AlertSettings settings);

    // Returns the raises and clears this input caused, in rule order.
    std::vector<AlertChange> Evaluate(const AlertInput& input);

    // The alerts raised and not yet cleared, in rule order.
    std::vector<Alert> Active() const;

    const AlertSettings& Settings() const { return settings_; }

  private:
    struct Condition {
        AlertRule rule;
        std::string subject;
        bool holds = false;
        std::vector<AlertValue> values;
    };
    struct Track {
        std::time_t trueSince = 0;   // condition held from then on, 0 not holding
        std::time_t falseSince = 0;  // condition false from then on while raised
        bool raised = false;
        Alert alert;
    };
    struct Counts {
        std::time_t time = 0;
        int lines = 0;
        int errors = 0;
    };

    void SampleConditions(const AlertInput& in, std::vector<Condition>& out);
    void LinkConditions(const AlertInput& in, std::vector<Condition>& out);
    Condition DataErrorCondition(const AlertInput& in);
    void Update(const Condition& c, std::time_t now, std::vector<AlertChange>& changes);

    AlertSettings settings_;
    std::map<std::pair<int, std::string>, Track> tracks_;
    std::time_t lastSample_ = 0;
    std::time_t acquiringSince_ = 0;
    std::deque<Counts> counts_;  // the last hour's line and error counters
};

// Data errors are judged only over at least this many lines.
inline constexpr int kAlertMinimumLines = 20;

}  // namespace brennic
