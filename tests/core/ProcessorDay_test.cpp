// Day change, history saving and Reset.
#include <gtest/gtest.h>

#include <vector>

#include "core/LocalTime.h"
#include "core/MessageProcessor.h"
#include "support/ProcessorTestSupport.h"

namespace brennic {
namespace {

using test::Feed;
using test::kNoon;
using test::Positional;
using test::Prepare;

constexpr std::time_t kBeforeMidnight = 1243918790;  // 2009-06-01 23:59:50 CDT

TEST(ProcessorDay, NewLocalDayReseedsDayStatisticsOnce) {
    ScopedTimeZone zone("America/Chicago");
    AppState state;
    Prepare(state, 0, kBeforeMidnight - 100);
    state.config.fixedFlowGpm = 5.0;
    state.config.solarGlycolMix = 0;
    const auto& st = state.processor.stats;
    const auto& heat = state.processor.collectorHeat;

    Feed(state, Positional("150", "120", "140", "120", "ON"), kBeforeMidnight);
    Feed(state, Positional("160", "125", "140", "120", "ON"), kBeforeMidnight + 8);
    EXPECT_FLOAT_EQ(st.dayMax[kSlotCollector], 160.0f);
    EXPECT_NEAR(heat.dayHeat, 8 * 20 * 5 * 0.139085, 1e-9);
    ASSERT_GT(heat.dayMaxRate, 0.0);

    // 00:00:06 on Tuesday: the storage probe is open.
    Feed(state, Positional("155", "OPEN.S", "140", "120", "ON"), kBeforeMidnight + 16);
    EXPECT_FLOAT_EQ(st.dayMax[kSlotCollector], 155.0f);
    EXPECT_FLOAT_EQ(st.dayMin[kSlotCollector], 155.0f);
    EXPECT_EQ(st.dayMax[kSlotStorage], kNoReading);
    EXPECT_EQ(st.dayMin[kSlotStorage], kDayMinStart);
    EXPECT_EQ(st.dayMax[kSlotAux3], kNoReading);  // not supplied by model 0
    EXPECT_FLOAT_EQ(st.maximum[kSlotCollector], 160.0f);
    EXPECT_EQ(heat.dayHeat, 0.0);
    EXPECT_EQ(heat.dayMaxRate, 0.0);
    EXPECT_NEAR(heat.total, 2 * 8 * 20 * 5 * 0.139085, 1e-9);

    // The next sample of the same day is no new day.
    Feed(state, Positional("150", "121", "140", "120", "ON"), kBeforeMidnight + 24);
    EXPECT_FLOAT_EQ(st.dayMax[kSlotCollector], 155.0f);
    EXPECT_FLOAT_EQ(st.dayMin[kSlotCollector], 150.0f);
    EXPECT_FLOAT_EQ(st.dayMax[kSlotStorage], 121.0f);
    EXPECT_NEAR(heat.dayHeat, 8 * 20 * 5 * 0.139085, 1e-9);
    EXPECT_EQ(state.processor.previousSampleTime, kBeforeMidnight + 24);
}

TEST(ProcessorDay, GraphEveryNthSavesSamplesOneNPlusOneAndSoOn) {
    struct Case {
        int everyNth;
        std::vector<int> saved;  // 1-based sample numbers
    };
    const Case cases[] = {
        {3, {1, 4, 7}},
        {2, {1, 3, 5, 7}},
        {1, {1, 2, 3, 4, 5, 6, 7}},
        {0, {1, 2, 3, 4, 5, 6, 7}},
        {-4, {1, 2, 3, 4, 5, 6, 7}},
    };
    for (const auto& c : cases) {
        AppState state;
        Prepare(state, 0);
        state.config.graphEveryNth = c.everyNth;
        std::vector<int> saved;
        for (int i = 1; i <= 7; ++i) {
            const int r = Feed(state, Positional(140, 120, true), kNoon + 2 * i);
            EXPECT_TRUE(r == kProcessedSaved || r == kProcessedNotSaved);
            if (r == kProcessedSaved) {
                saved.push_back(i);
            }
        }
        EXPECT_EQ(saved, c.saved) << c.everyNth;
        ASSERT_EQ(state.processor.history.Count(), c.saved.size());
        EXPECT_EQ(state.processor.history.Newest().time, kNoon + 2 * c.saved.back());
        EXPECT_EQ(state.processor.sampleCount, 7);
    }
}

TEST(ProcessorDay, HistoryStaysWithinMaxSamplesAlsoWhenItIsLowered) {
    AppState state;
    Prepare(state, 0);
    state.config.maxSamples = 5;
    auto& history = state.processor.history;
    auto time = [](int i) { return kNoon + 2 * i; };
    for (int i = 1; i <= 7; ++i) {
        Feed(state, Positional(140, 120, true), time(i));
    }
    ASSERT_EQ(history.Count(), 5u);
    EXPECT_EQ(history.OldestTime(), time(3));

    // Lowered while samples go on arriving: the very next sample, even an unsaved one,
    // brings the history down to the new limit.
    state.config.graphEveryNth = 2;
    EXPECT_EQ(Feed(state, Positional(140, 120, true), time(8)), kProcessedSaved);
    state.config.maxSamples = 3;
    EXPECT_EQ(Feed(state, Positional(140, 120, true), time(9)), kProcessedNotSaved);
    ASSERT_EQ(history.Count(), 3u);
    EXPECT_EQ(history.OldestTime(), time(6));

    // Lowered from the configuration dialog: at once.
    state.config.maxSamples = 2;
    ApplySampleLimit(state);
    ASSERT_EQ(history.Count(), 2u);
    EXPECT_EQ(history.OldestTime(), time(7));
    EXPECT_EQ(history.Newest().time, time(8));
}

TEST(ProcessorDay, ResetClearsEverythingButTheCycles) {
    ScopedTimeZone zone("Asia/Kolkata");  // a half-hour zone: the local hour starts at :30 UTC
    AppState state;
    Prepare(state, 1);
    auto& p = state.processor;
    state.config.fixedFlowGpm = 5.0;
    state.config.graphEveryNth = 3;
    const std::string first = Positional("150", "OPEN.S", "140", "120", "ON");
    std::time_t t = kNoon;
    for (int i = 0; i < 4; ++i) {
        Feed(state, first, t += 10);
        Feed(state, "GPM=2.5 FPL=1 AX3=90 KWH=0", t);
    }
    Feed(state, first, t += 10);  // held, waiting
    Feed(state, "garbage", t);
    ASSERT_GT(p.collectorHeat.total, 0.0);
    ASSERT_TRUE(p.historyCountdown > 0);
    ASSERT_GT(p.openSensors, 0);

    const std::time_t resetAt = 1243860433;  // 2009-06-01 18:17:13 IST
    Feed(state, first, t += 10);
    ASSERT_TRUE(p.pendingFirstLine);
    ResetStatistics(state, resetAt);
    EXPECT_TRUE(p.history.Empty());
    EXPECT_EQ(p.history.OldestTime(), 0);
    EXPECT_EQ(p.historyCountdown, 0);
    EXPECT_EQ(p.chartOrigin, 1243859400);  // 18:00 IST
    EXPECT_EQ(p.firstSampleTime, resetAt);
    EXPECT_EQ(p.stats.dayMax[kSlotCollector], kNoReading);
    EXPECT_EQ(p.stats.minimum[kSlotCollector], kDayMinStart);
    EXPECT_EQ(p.sampleCount + p.openSensors + p.dataErrors + p.receivedLines, 0);
    EXPECT_EQ(p.collectorHeat.total, 0.0);
    EXPECT_FALSE(p.mismatchWarned);

    // A held first line does not survive Reset: a GPM line now is a data error.
    EXPECT_EQ(Feed(state, "GPM=2.5 FPL=1 AX3=90 KWH=0", resetAt + 5), kDataError);
    // The first sample after Reset: its time is the first-sample and oldest time.
    Feed(state, first, resetAt + 10);
    EXPECT_EQ(Feed(state, "GPM=2.5 FPL=1 AX3=90 KWH=0", resetAt + 10), kProcessedSaved);
    EXPECT_EQ(p.firstSampleTime, resetAt + 10);
    EXPECT_EQ(p.history.OldestTime(), resetAt + 10);
    EXPECT_EQ(p.previousSampleTime, resetAt + 10);
}

}  // namespace
}  // namespace brennic
