// Heat, rates and pump statistics, with figures worked out by hand from
// BTU = elapsed s x (Aux-1 - Aux-2 + offset) x GPM x 0.139085 x glycol factor.
#include <gtest/gtest.h>

#include "core/MessageProcessor.h"
#include "support/ProcessorTestSupport.h"

namespace brennic {
namespace {

using test::Feed;
using test::kNoon;
using test::Positional;
using test::Prepare;

constexpr int kWater = 1;
constexpr int kDowfrost = 4;

// Model 0 with a fixed flow of 5 gpm of the mix at 50 %.
void PrepareHeat(AppState& state, int mix = kWater, bool smooth = false) {
    Prepare(state, 0);
    state.config.fixedFlowGpm = 5.0;
    state.config.solarGlycolMix = mix;
    state.config.solarGlycolPercent = 50;
    state.config.smoothBtuRate = smooth ? 1 : 0;
}

// Model 0, fixed flow 5 gpm. Samples 10 s apart: pump comes on; Aux 140/120; Aux 150/120.
//   interval 1: 10 s x 20 F x 5 gpm x 0.139085 = 139.085 BTU x F(130 F)
//   interval 2: 10 s x 30 F x 5 gpm x 0.139085 = 208.6275 BTU x F(135 F)
// Water: F(T) = 1.00846082605449 - 1.30827537311931e-4 T - 5.05653004292612e-7 T^2
//               + 7.52796573185893e-10 T^3
//   F(130) = 0.984561604503, F(135) = 0.983435744383
// DOWFROST at 50 %: the full ten-term polynomial,
//   F(130) = 0.895042636931, F(135) = 0.895914422514
TEST(ProcessorHeat, CollectorHeatOverAFewSamples) {
    struct Case {
        const char* what;
        int mix;
        bool smooth;
        double factor1, factor2;
        double e1, e2;
        double rate1, rate2;  // BTU per second shown after samples 2 and 3
    };
    const Case cases[] = {
        {"water, instantaneous", kWater, false, 0.984561604503, 0.983435744383, 136.937750762,
         205.171740761, 13.6937750762, 20.5171740761},
        {"water, smoothed over ten", kWater, true, 0.984561604503, 0.983435744383, 136.937750762,
         205.171740761, 1.36937750762, 3.42109491523},
        {"DOWFROST 50 %, instantaneous", kDowfrost, false, 0.895042636931, 0.895914422514,
         124.487005158, 186.912386183, 12.4487005158, 18.6912386183},
    };
    for (const auto& c : cases) {
        AppState state;
        PrepareHeat(state, c.mix, c.smooth);
        const auto& heat = state.processor.collectorHeat;
        const Sample& s = state.processor.current;

        Feed(state, Positional(140, 120, true), kNoon + 10);  // pump comes on: no heat
        EXPECT_EQ(heat.total, 0.0) << c.what;

        Feed(state, Positional(140, 120, true), kNoon + 20);
        EXPECT_NEAR(heat.factor, c.factor1, 1e-11) << c.what;
        EXPECT_NEAR(heat.total, c.e1, 1e-8) << c.what;
        EXPECT_NEAR(heat.rate, c.rate1, 1e-9) << c.what;

        Feed(state, Positional(150, 120, true), kNoon + 30);
        EXPECT_NEAR(heat.factor, c.factor2, 1e-11) << c.what;
        EXPECT_NEAR(heat.total, c.e1 + c.e2, 1e-8) << c.what;
        EXPECT_NEAR(heat.rate, c.rate2, 1e-9) << c.what;

        // Pump goes off: no heat for the interval, rate 0, the window cleared, maxima kept.
        Feed(state, Positional(150, 120, false), kNoon + 40);
        EXPECT_NEAR(heat.total, c.e1 + c.e2, 1e-8) << c.what;
        EXPECT_EQ(heat.rate, 0.0) << c.what;
        EXPECT_EQ(s[kSlotBtuRate], 0.0f) << c.what;
        EXPECT_NEAR(heat.maxRate, c.rate2, 1e-9) << c.what;
        for (double r : heat.rateWindow) {
            EXPECT_EQ(r, 0.0) << c.what;
        }
    }
}

TEST(ProcessorHeat, BtuEnableOffAndMissingReadingsAddNoHeat) {
    struct Case {
        const char* what;
        int btuEnable;
        const char* aux1;
        const char* aux2;
        bool factorKept;  // the factor of the previous interval stays
    };
    const Case cases[] = {
        {"BTU Enable off", 0, "150.0", "120.0", false},
        {"Aux-1 open", 1, "OPEN.S", "120.0", true},
        {"Aux-2 open", 1, "150.0", "OPEN.S", true},
    };
    for (const auto& c : cases) {
        AppState state;
        PrepareHeat(state);
        const auto& heat = state.processor.collectorHeat;
        Feed(state, Positional(140, 120, true), kNoon + 10);
        Feed(state, Positional(140, 120, true), kNoon + 20);
        const double total = heat.total;
        ASSERT_NEAR(total, 136.937750762, 1e-8);

        state.config.btuEnable = c.btuEnable;
        ASSERT_EQ(Feed(state, Positional("150.0", "120.0", c.aux1, c.aux2, "ON"), kNoon + 30),
                  kProcessedSaved)
            << c.what;
        EXPECT_EQ(heat.total, total) << c.what;
        EXPECT_EQ(heat.rate, 0.0) << c.what;
        EXPECT_EQ(heat.rateWindow.back(), 0.0) << c.what;
        EXPECT_NEAR(heat.factor, c.factorKept ? 0.984561604503 : 0.983435744383, 1e-11) << c.what;
        EXPECT_EQ(state.processor.collectorPump.totalOnSeconds, 20) << c.what;
    }
}

TEST(ProcessorHeat, ASampleNotAfterThePreviousOneKeepsHeatAndRate) {
    AppState state;
    PrepareHeat(state);
    const auto& heat = state.processor.collectorHeat;
    Feed(state, Positional(140, 120, true), kNoon + 10);
    Feed(state, Positional(140, 120, true), kNoon + 20);
    const double total = heat.total;
    const double rate = heat.rate;
    const auto window = heat.rateWindow;
    for (std::time_t t : {kNoon + 20, kNoon + 15}) {  // the same time; a clock set back
        EXPECT_EQ(Feed(state, Positional(150, 120, true), t), kProcessedSaved);
        EXPECT_EQ(heat.total, total);
        EXPECT_EQ(heat.rate, rate);
        EXPECT_EQ(heat.rateWindow, window);
        EXPECT_FLOAT_EQ(state.processor.current[kSlotBtuRate], static_cast<float>(rate));
    }
    // The next interval counts from the sample before it.
    Feed(state, Positional(150, 120, true), kNoon + 25);
    EXPECT_NEAR(heat.total - total, 10 * 30 * 5 * 0.139085 * 0.983435744383, 1e-8);
}

TEST(ProcessorHeat, PumpStatisticsAcrossOnOffOn) {
    struct Step {
        std::time_t dt;
        bool on;
        int total;
        int period;
        int cycles;
        bool running;
    };
    const Step steps[] = {
        {10, true, 0, 0, 1, true},     {20, true, 10, 10, 1, true}, {30, false, 20, 10, 1, false},
        {40, false, 20, 10, 1, false}, {50, true, 20, 0, 2, true},  {65, true, 35, 15, 2, true},
    };
    AppState state;
    Prepare(state, 0);
    const PumpStats& pump = state.processor.collectorPump;
    for (const auto& st : steps) {
        Feed(state, Positional(140, 120, st.on), kNoon + st.dt);
        EXPECT_EQ(pump.totalOnSeconds, st.total) << st.dt;
        EXPECT_EQ(pump.periodSeconds, st.period) << st.dt;
        EXPECT_EQ(pump.cycles, st.cycles) << st.dt;
        EXPECT_EQ(pump.running, st.running) << st.dt;
    }
    // Reset clears the on-times, not the cycles.
    ResetStatistics(state, kNoon + 100);
    EXPECT_EQ(pump.totalOnSeconds, 0);
    EXPECT_EQ(pump.cycles, 2);
    EXPECT_FALSE(pump.running);
}

// A week-long hole in a replayed file, or a restart: the last rate and pump state are not
// carried across it. Pump on at both ends: heat 10 s before the gap and 10 s after it only.
TEST(ProcessorHeat, AGapOfMoreThanAnHourAddsNoHeatOrPumpTime) {
    struct Case {
        std::time_t gap;
        double intervals;  // heat intervals of 10 s counted
        int onSeconds;
    } cases[] = {
        {3600, 362, 3620},  // an hour is still an interval: 3600 s of heat
        {3601, 2, 20},      // one second more is a gap
        {7 * 86400, 2, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gap);
        AppState state;
        PrepareHeat(state);
        const auto& heat = state.processor.collectorHeat;
        const PumpStats& pump = state.processor.collectorPump;
        Feed(state, Positional(140, 120, true), kNoon);  // pump comes on
        Feed(state, Positional(140, 120, true), kNoon + 10);
        Feed(state, Positional(140, 120, true), kNoon + 10 + c.gap);
        Feed(state, Positional(140, 120, true), kNoon + 20 + c.gap);
        EXPECT_NEAR(heat.total, c.intervals * 10 * 20 * 5 * 0.139085 * 0.984561604503, 1e-6);
        EXPECT_EQ(pump.totalOnSeconds, c.onSeconds);
        // Off after the gap: the period ends without the gap as well.
        Feed(state, Positional(140, 120, false), kNoon + 30 + c.gap);
        EXPECT_EQ(pump.totalOnSeconds, c.onSeconds + 10);
    }
}

// Pump seconds and cycles stay within int whatever the record times (signed overflow before).
TEST(ProcessorHeat, PumpSumsStopAtTheirLimit) {
    AppState state;
    Prepare(state, 0);
    PumpStats& pump = state.processor.collectorPump;
    Feed(state, Positional(140, 120, false), kNoon);
    pump.totalOnSeconds = pump.totalAtPeriodStart = 2147483000;
    pump.cycles = 2147483647;
    Feed(state, Positional(140, 120, true), kNoon + 10);
    for (int i = 1; i <= 3; ++i) {
        Feed(state, Positional(140, 120, true), kNoon + 10 + i * 3000);
    }
    EXPECT_EQ(pump.cycles, 2147483647);
    EXPECT_EQ(pump.totalOnSeconds, 2147483647);
    Feed(state, Positional(140, 120, false), kNoon + 20000);
    EXPECT_EQ(pump.totalOnSeconds, 2147483647);
}

}  // namespace
}  // namespace brennic
