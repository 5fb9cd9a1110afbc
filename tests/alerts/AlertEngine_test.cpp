#include "alerts/AlertEngine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace brennic {
namespace {

constexpr std::time_t kStart = 1780000000;
constexpr std::time_t kStep = 60;  // one sample a minute

// One sample: °F, the pump, and a running controller link that just delivered it.
AlertInput SampleAt(std::time_t t, float collector, float storage, bool pump) {
    AlertInput in;
    in.now = t;
    in.newSample = true;
    in.current.time = t;
    in.current[kSlotCollector] = collector;
    in.current[kSlotStorage] = storage;
    in.current[kSlotAux1] = 70.0f;
    in.current[kSlotPump] = pump ? 1.0f : 0.0f;
    in.differential = 12.0f;
    in.highLimit = 180.0f;
    in.sensors = {{"Collector", kSlotCollector}, {"Storage", kSlotStorage}, {"Aux-1", kSlotAux1}};
    in.acquiring = true;
    in.lastLineTime = t;
    return in;
}

// Makes the input at `t` of a phase that began at `phase`, with the rule's condition holding
// or not.
using Make = std::function<AlertInput(std::time_t t, std::time_t phase, bool holds)>;

struct RuleCase {
    const char* name;  // of the test
    AlertRule rule;
    std::string subject;
    Make make;
    bool silence = false;  // the condition is a silence: it holds only once it lasted
};

std::vector<RuleCase> RuleCases() {
    return {
        {"CollectorOverTemperature", AlertRule::kCollectorOverheat, "",
         [](std::time_t t, std::time_t, bool h) {
             return SampleAt(t, h ? 240.0f : 239.0f, 150.0f, true);
         }},
        {"FreezeRisk", AlertRule::kFreeze, "",
         [](std::time_t t, std::time_t, bool h) {
             return SampleAt(t, h ? 35.0f : 36.0f, 100.0f, false);
         }},
        {"PumpRunningWithoutGain", AlertRule::kPumpNoGain, "",
         [](std::time_t t, std::time_t, bool h) {
             return SampleAt(t, h ? 121.0f : 121.5f, 120.0f, true);
         }},
        {"PumpNotRunningWithGain", AlertRule::kPumpIdleGain, "",
         // 2 × the reported differential of 12 °F
         [](std::time_t t, std::time_t, bool h) {
             return SampleAt(t, h ? 144.0f : 143.5f, 120.0f, false);
         }},
        {"TankOverTemperature", AlertRule::kTankOverheat, "",
         [](std::time_t t, std::time_t, bool h) {
             return SampleAt(t, 185.0f, h ? 180.0f : 179.5f, true);
         }},
        {"SensorOpen", AlertRule::kSensorOpen, "Aux-1",
         [](std::time_t t, std::time_t, bool h) {
             AlertInput in = SampleAt(t, 100.0f, 100.0f, false);
             in.current[kSlotAux1] = h ? kNoReading : 70.0f;
             return in;
         }},
        {"NoControllerLine", AlertRule::kNoData, "controller",
         // While it holds no line arrives after the phase began; a heartbeat evaluates.
         [](std::time_t t, std::time_t phase, bool h) {
             AlertInput in = SampleAt(t, 100.0f, 100.0f, false);
             if (h) {
                 in.newSample = false;
                 in.lastLineTime = phase;
             }
             return in;
         },
         true},
        {"StaleOneWire", AlertRule::kNoData, "One-Wire",
         [](std::time_t t, std::time_t phase, bool h) {
             AlertInput in = SampleAt(t, 100.0f, 100.0f, false);
             in.oneWireOpen = true;
             in.oneWireLastReply = h ? phase : t;
             return in;
         },
         true},
    };
}

struct Timed {
    std::time_t time;
    AlertChange change;
};

// Feeds inputs from `from` up to and including `to`, one per step, of a phase that began at
// `phase` (0: at `from`).
void Feed(AlertEngine& engine, const Make& make, std::time_t from, std::time_t to, bool holds,
          std::vector<Timed>& out, std::time_t phase = 0) {
    for (std::time_t t = from; t <= to; t += kStep) {
        for (AlertChange& c : engine.Evaluate(make(t, phase != 0 ? phase : from, holds))) {
            out.push_back({t, std::move(c)});
        }
    }
}

std::string Describe(const std::vector<Timed>& changes) {
    std::string s;
    for (const Timed& c : changes) {
        s += std::to_string(c.time - kStart) + (c.change.raised ? " raised " : " cleared ") +
             AlertTitle(c.change.alert) + "; ";
    }
    return s;
}

class RuleTable : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RuleTable, RaisedAfterItsDurationAndClearedAfterAsLongFalse) {
    const RuleCase& c = GetParam();
    const AlertSettings settings;
    const std::time_t d = settings[c.rule].seconds;
    AlertEngine engine(settings);
    std::vector<Timed> changes;
    Feed(engine, c.make, kStart - 10 * kStep, kStart - kStep, false, changes);
    Feed(engine, c.make, kStart, kStart + d - kStep, true, changes);
    ASSERT_TRUE(changes.empty()) << Describe(changes);
    Feed(engine, c.make, kStart + d, kStart + d + 5 * kStep, true, changes, kStart);
    ASSERT_EQ(changes.size(), 1u) << Describe(changes);
    EXPECT_EQ(changes[0].time, kStart + d);
    EXPECT_TRUE(changes[0].change.raised);
    EXPECT_EQ(changes[0].change.alert.rule, c.rule);
    EXPECT_EQ(changes[0].change.alert.subject, c.subject);
    ASSERT_EQ(engine.Active().size(), 1u);

    const std::time_t f = kStart + d + 6 * kStep;
    Feed(engine, c.make, f, f + d - kStep, false, changes);
    ASSERT_EQ(changes.size(), 1u) << Describe(changes);
    Feed(engine, c.make, f + d, f + d + 5 * kStep, false, changes);
    ASSERT_EQ(changes.size(), 2u) << Describe(changes);
    EXPECT_EQ(changes[1].time, f + d);
    EXPECT_FALSE(changes[1].change.raised);
    EXPECT_EQ(changes[1].change.alert.raised, kStart + d);
    EXPECT_EQ(changes[1].change.alert.cleared, f + d);
    EXPECT_TRUE(engine.Active().empty());
}

TEST_P(RuleTable, AWaveringConditionNeitherRaisesNorClearsEarly) {
    const RuleCase& c = GetParam();
    const AlertSettings settings;
    const std::time_t d = settings[c.rule].seconds;
    AlertEngine engine(settings);
    std::vector<Timed> changes;
    // Holds for all but the last step of its duration, lapses once, holds again.
    Feed(engine, c.make, kStart, kStart + d - 2 * kStep, true, changes);
    Feed(engine, c.make, kStart + d - kStep, kStart + d - kStep, false, changes);
    const std::time_t again = kStart + d;
    Feed(engine, c.make, again, again + d - kStep, true, changes);
    ASSERT_TRUE(changes.empty()) << Describe(changes);
    Feed(engine, c.make, again + d, again + d, true, changes, again);
    ASSERT_EQ(changes.size(), 1u) << Describe(changes);

    if (c.silence) {
        return;  // a silence cannot lapse back for one step: it holds only once it lasted
    }
    // Now raised: a lapse shorter than the duration and a return do not clear it.
    const std::time_t f = again + 2 * d;
    Feed(engine, c.make, f, f + d - 2 * kStep, false, changes);
    Feed(engine, c.make, f + d - kStep, f + d - kStep, true, changes);
    Feed(engine, c.make, f + d, f + 2 * d - kStep, false, changes);
    EXPECT_EQ(changes.size(), 1u) << Describe(changes);
    Feed(engine, c.make, f + 2 * d, f + 2 * d, false, changes);
    EXPECT_EQ(changes.size(), 2u) << Describe(changes);
}

TEST_P(RuleTable, NothingWhenSwitchedOff) {
    const RuleCase& c = GetParam();
    AlertSettings settings;
    settings[c.rule].enabled = false;
    AlertEngine engine(settings);
    std::vector<Timed> changes;
    Feed(engine, c.make, kStart, kStart + 4 * 3600, true, changes);
    Feed(engine, c.make, kStart + 4 * 3600 + kStep, kStart + 8 * 3600, false, changes);
    EXPECT_TRUE(changes.empty()) << Describe(changes);

    AlertSettings allOff;
    allOff.enabled = false;
    AlertEngine silent(allOff);
    Feed(silent, c.make, kStart, kStart + 4 * 3600, true, changes);
    EXPECT_TRUE(changes.empty()) << Describe(changes);
}

INSTANTIATE_TEST_SUITE_P(Rules, RuleTable, ::testing::ValuesIn(RuleCases()),
                         [](const auto& param) { return std::string(param.param.name); });

// Steady states that look like a fault to one rule but are sound, or are another fault.
TEST(AlertEngine, EachSteadyStateRaisesExactlyItsRules) {
    struct Case {
        const char* what;
        AlertInput (*make)(std::time_t);
        std::vector<AlertRule> raised;
    };
    const Case cases[] = {
        {"pump idle at the high limit is the controller's doing",
         [](std::time_t t) {
             AlertInput in = SampleAt(t, 200.0f, 165.0f, false);
             in.highLimit = 160.0f;
             return in;
         },
         {}},
        {"without a reported differential the configured one counts",
         [](std::time_t t) {
             AlertInput in = SampleAt(t, 143.0f, 120.0f, false);
             in.differential = 0.0f;
             in.highLimit = 0.0f;
             return in;
         },
         {}},
        {"...and a gain above twice it raises",
         [](std::time_t t) {
             AlertInput in = SampleAt(t, 145.0f, 120.0f, false);
             in.differential = 0.0f;
             return in;
         },
         {AlertRule::kPumpIdleGain}},
        {"an open collector sensor judges no temperature rule",
         [](std::time_t t) {
             AlertInput in = SampleAt(t, kNoReading, 120.0f, true);
             return in;
         },
         {AlertRule::kSensorOpen}},
        {"a sensor that is not expected is not missed",
         [](std::time_t t) {
             AlertInput in = SampleAt(t, 100.0f, 100.0f, false);
             in.current[kSlotAux2] = kNoReading;
             return in;
         },
         {}},
        {"stagnation with a hot tank",
         [](std::time_t t) { return SampleAt(t, 250.0f, 185.0f, false); },
         {AlertRule::kTankOverheat, AlertRule::kCollectorOverheat}},  // after 5 and 10 min
        {"stopped acquisition is not silence",
         [](std::time_t t) {
             AlertInput in = SampleAt(t, 100.0f, 100.0f, false);
             in.newSample = false;
             in.acquiring = false;
             in.lastLineTime = kStart - 3600;
             return in;
         },
         {}},
        {"no line since acquisition started",
         [](std::time_t t) {
             AlertInput in = SampleAt(t, 100.0f, 100.0f, false);
             in.newSample = false;
             in.lastLineTime = 0;
             return in;
         },
         {AlertRule::kNoData}},
    };
    for (const Case& c : cases) {
        AlertEngine engine{AlertSettings{}};
        std::vector<AlertRule> raised;
        for (std::time_t t = kStart; t <= kStart + 3 * 3600; t += kStep) {
            for (const AlertChange& change : engine.Evaluate(c.make(t))) {
                EXPECT_TRUE(change.raised) << c.what;
                raised.push_back(change.alert.rule);
            }
        }
        EXPECT_EQ(raised, c.raised) << c.what;
    }
}

TEST(AlertEngine, AGapInTheSamplesStartsTheCountAgain) {
    AlertEngine engine{AlertSettings{}};
    std::vector<AlertChange> changes;
    auto feed = [&](std::time_t t, bool sample) {
        AlertInput in = SampleAt(t, 250.0f, 150.0f, true);
        in.newSample = sample;
        in.acquiring = sample;  // stopped in between: no "no data" either
        for (AlertChange& c : engine.Evaluate(in)) {
            changes.push_back(c);
        }
    };
    for (std::time_t t = kStart; t < kStart + 300; t += kStep) {
        feed(t, true);
    }
    for (std::time_t t = kStart + 300; t < kStart + 3600; t += kStep) {
        feed(t, false);
    }
    // Back after an hour: ten more minutes of stagnation are needed.
    for (std::time_t t = kStart + 3600; t < kStart + 3600 + 600; t += kStep) {
        feed(t, true);
    }
    EXPECT_TRUE(changes.empty());
    feed(kStart + 3600 + 600, true);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].alert.values, (std::vector<AlertValue>{{"collector", 250.0, "°F"}}));
}

TEST(AlertEngine, DataErrorsAreJudgedOverTheLastHour) {
    AlertEngine engine{AlertSettings{}};
    int lines = 0;
    int errors = 0;
    std::vector<std::pair<std::time_t, bool>> seen;
    auto minute = [&](std::time_t t, int newLines, int newErrors) {
        lines += newLines;
        errors += newErrors;
        AlertInput in = SampleAt(t, 100.0f, 100.0f, false);
        in.receivedLines = lines;
        in.dataErrors = errors;
        for (const AlertChange& c : engine.Evaluate(in)) {
            EXPECT_EQ(c.alert.rule, AlertRule::kDataErrors);
            seen.emplace_back(t - kStart, c.raised);
        }
    };
    std::time_t t = kStart;
    for (int i = 0; i < 60; ++i, t += kStep) {
        minute(t, 30, 3);  // exactly 10 %: not more than the threshold
    }
    EXPECT_TRUE(seen.empty());
    for (int i = 0; i < 10; ++i, t += kStep) {
        minute(t, 30, 9);  // 30 %: the hour's share passes 10 % at once, raised 5 min later
    }
    for (int i = 0; i < 120; ++i, t += kStep) {
        minute(t, 30, 0);  // clean: the share falls to 10 % as the bad minutes pass
    }
    // Raised 5 min after minute 60. At minute m the hour holds minutes m-59..m: 30 lines
    // each, 3 errors for those before 60, 9 for 60-69, none after; the share is 10 % again at
    // m = 89 (3 × 30 + 90 = 180 of 1800), and cleared 5 min later.
    const std::vector<std::pair<std::time_t, bool>> expected = {{65 * kStep, true},
                                                                {94 * kStep, false}};
    EXPECT_EQ(seen, expected);

    // A statistics Reset starts the counters again without a false change.
    AlertInput reset = SampleAt(t, 100.0f, 100.0f, false);
    EXPECT_TRUE(engine.Evaluate(reset).empty());
}

}  // namespace
}  // namespace brennic
