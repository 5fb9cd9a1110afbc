// Day change (also on the live road with the real log writers), history saving and Reset.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/MessageProcessor.h"
#include "logs/DailyLog.h"
#include "support/DataFilesFixture.h"
#include "support/ProcessorTestSupport.h"

namespace brennic {
namespace {

using test::Feed;
using test::kNoon;
using test::Positional;
using test::Prepare;
using testing::ReadLines;

constexpr std::time_t kBeforeMidnight = 1243918790;  // 2009-06-01 23:59:50 CDT

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

// The log writers of the data-file tests behind the live road; the log starts new at midnight.
class ProcessorLive : public testing::DataFilesTest {
  protected:
    void SetUp() override {
        Prepare(state, 0, kBeforeMidnight - 100);
        DataFilesTest::SetUp();
        Config& c = state.config;
        c.logQmxData = 1;
        c.newLogAtMidnight = 1;
        c.summaryEnable = 1;
        c.fixedFlowGpm = 5.0;
        c.solarGlycolMix = 0;
    }
    void TearDown() override {
        CloseDailyLog(state.dailyLog);
        DataFilesTest::TearDown();
    }
    int Live(const std::string& line, std::time_t t) {
        StateGuard guard(state.lock);
        return ProcessLiveLine(state, line, t);
    }
};

// The live road with the real daily log and summary writers behind it.
TEST_F(ProcessorLive, WritesRawAndSampleRecordsAndTheSummaryAcrossMidnight) {
    const std::string l1 = Positional("150.2", "120.5", "140.0", "130.0", "ON");
    const std::string l2 = Positional("160.0", "121.5", "140.0", "130.0", "ON");
    const std::string l3 = Positional("155.0", "OPEN.S", "140.0", "130.0", "ON");
    Live(l1, kBeforeMidnight);
    Live(l2, kBeforeMidnight + 8);
    Live(std::string(90, '1'), kBeforeMidnight + 12);  // noise: dropped, not even logged
    Live(l3, kBeforeMidnight + 16);                    // 00:00:06, a new day
    CloseDailyLog(state.dailyLog);

    // Interval 2: 8 s x 10 F x 5 gpm x 0.139085 = 55.634 BTU (factor 1).
    const std::vector<std::string> june1 = {
        "QMX_DATA 2009-06-01 23:59:50CDT " + l1,
        "2009-06-01 23:59:50CDT 150.2 120.5, 140.0 130.0  -9999.0 -9999.0 1   5.0      0.0",
        "QMX_DATA 2009-06-01 23:59:58CDT " + l2,
        "2009-06-01 23:59:58CDT 160.0 121.5, 140.0 130.0  -9999.0 -9999.0 1   5.0     55.6",
        // The raw record comes before the day change: it still goes to the old file.
        "QMX_DATA 2009-06-02 00:00:06CDT " + l3,
    };
    EXPECT_EQ(ReadLines(File("LOG-2009-06-01.txt")), june1);
    const std::vector<std::string> june2 = {
        "2009-06-02 00:00:06CDT 155.0 -9999.0, 140.0 130.0  -9999.0 -9999.0 1   5.0    111.3",
    };
    EXPECT_EQ(ReadLines(File("LOG-2009-06-02.txt")), june2);
    EXPECT_EQ(state.dailyLog.samplesLogged, 3);

    // Start, a statistics line per sample, and the day line between the last two.
    const auto summary = ReadLines(File("Summary.txt"));
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[0], "2009-06-01 23:59:50CDT Start");
    const auto day = Words(summary[3]);
    const auto next = Words(summary[4]);
    ASSERT_EQ(day.size(), 30u);  // date, time, 28 numbers
    ASSERT_EQ(next.size(), 30u);
    EXPECT_EQ(day[1], "00:00:06CDT");
    // Collector: Maximum, Minimum, Day Max, Day Min of the day that ended ...
    EXPECT_EQ((std::vector<std::string>(day.begin() + 2, day.begin() + 6)),
              (std::vector<std::string>{"160.0", "150.2", "160.0", "150.2"}));
    EXPECT_EQ(day[6 + 2], "121.5");  // Storage Day Max
    EXPECT_EQ(day[28], "111.3");     // day heat of the ended day
    // ... and of the new one.
    EXPECT_EQ((std::vector<std::string>(next.begin() + 2, next.begin() + 6)),
              (std::vector<std::string>{"160.0", "150.2", "155.0", "155.0"}));
    EXPECT_EQ(next[6 + 2], "-9999.0");  // Storage Day Max: the probe is open
    EXPECT_EQ(next[6 + 3], "9999.0");   // Storage Day Min
    EXPECT_EQ(next[28], "0.0");         // day heat restarts
    EXPECT_TRUE(messages.empty());

    // The day statistics of the new day start afresh, and from the next sample of the same day
    // on they are kept.
    const auto& st = state.processor.stats;
    const auto& heat = state.processor.collectorHeat;
    EXPECT_EQ(st.dayMax[kSlotAux3], kNoReading);  // not supplied by model 0
    EXPECT_EQ(heat.dayMaxRate, 0.0);
    Live(Positional("150.0", "121.0", "140.0", "130.0", "ON"), kBeforeMidnight + 24);
    EXPECT_FLOAT_EQ(st.dayMax[kSlotCollector], 155.0f);
    EXPECT_FLOAT_EQ(st.dayMin[kSlotCollector], 150.0f);
    EXPECT_FLOAT_EQ(st.dayMax[kSlotStorage], 121.0f);
    EXPECT_NEAR(heat.dayHeat, 8 * 10 * 5 * 0.139085, 1e-9);
    EXPECT_GT(heat.dayMaxRate, 0.0);
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
