#include <gtest/gtest.h>

#include "core/AppState.h"

namespace brennic {
namespace {

TEST(Records, FreshStateHasZeroCountersEmptyHistoryAndIntactGuards) {
    AppState state;
    const auto& p = state.processor;
    EXPECT_EQ(p.sampleCount, 0);
    EXPECT_EQ(p.openSensors, 0);
    EXPECT_EQ(p.dataErrors, 0);
    EXPECT_EQ(p.receivedLines, 0);
    EXPECT_TRUE(p.history.Empty());
    for (auto g : p.Guards()) {
        EXPECT_EQ(g, kGuardWord);
    }
    EXPECT_EQ(state.dailyLog.logCountdown, 1);
    EXPECT_EQ(state.dailyLog.summaryCountdown, -1);
    EXPECT_EQ(state.oneWire.switchState, -1);
    EXPECT_EQ(state.oneWire.currentValues[2], kNoReading);
}

TEST(Records, ChannelTableStartValues) {
    const ChannelTable t = DefaultChannelTable();
    struct Row {
        int id;
        const char* shortName;
        const char* longName;
        Colour colour;
    };
    const Row rows[] = {{kChCollector, "Collector", "Collector", 0x0000FF},
                        {kChAux2, "Aux-2", "Aux-2", 0xD1CD00},
                        {kChGpm, "GPM", "Flow Rate GPM", 0x8C1E8C},
                        {kChHaBtus, "HA BTUs", "Heat Assist BTUs", 0x13458B},
                        {kChHaPump, "HA Pump", "Heat Assist Pump", 0x000000}};
    for (const auto& r : rows) {
        EXPECT_EQ(t[r.id].shortName, r.shortName);
        EXPECT_EQ(t[r.id].longName, r.longName);
        EXPECT_EQ(t[r.id].colour, r.colour);
        EXPECT_EQ(t[r.id].penWidth, 1);
    }
}

TEST(SampleHistory, BoundedAppendDropsOldestAndFollowsOldestTime) {
    SampleHistory h;
    h.oldestTime = 100;
    for (int i = 0; i < 4; ++i) {
        Sample s;
        s.time = 100 + i;
        h.Append(s, 3);
    }
    ASSERT_EQ(h.Count(), 3u);
    EXPECT_EQ(h[0].time, 101);
    EXPECT_EQ(h.OldestTime(), 101);
    h.Trim(1);
    ASSERT_EQ(h.Count(), 1u);
    EXPECT_EQ(h.OldestTime(), 103);
}

}  // namespace
}  // namespace brennic
