#include "logs/SummaryFile.h"

#include <gtest/gtest.h>

#include "logs/DailyLog.h"
#include "logs/TimeText.h"
#include "support/DataFilesFixture.h"

namespace brennic {
namespace {

using testing::kJan15;
using testing::kJune1;
using testing::ReadAll;
using testing::ReadLines;
using testing::WriteFile;

class SummaryFileTest : public testing::DataFilesTest {
  protected:
    void SetUp() override {
        DataFilesTest::SetUp();
        state.config.summaryEnable = 1;
        state.config.logData = 0;
        // Distinct statistics: slot s of block b holds 100*b + s + 0.25 (b = 1..4).
        ChannelStats& st = state.processor.stats;
        Sample* blocks[] = {&st.maximum, &st.minimum, &st.dayMax, &st.dayMin};
        for (int b = 0; b < 4; ++b) {
            for (int slot = 1; slot < kSlotCount; ++slot) {
                (*blocks[b])[slot] = static_cast<float>(100 * (b + 1) + slot) + 0.25f;
            }
        }
        st.dayMin[kSlotAux4] = kDayMinStart;
        st.maximum[kSlotAux4] = kNoReading;
        state.processor.collectorHeat = HeatTotals{};
        state.processor.collectorHeat.total = 123456.78;
        state.processor.collectorHeat.maxRate = 10.0;  // per second
        state.processor.collectorHeat.dayHeat = 2500.0;
        state.processor.collectorHeat.dayMaxRate = 5.5;
        state.processor.haHeat.total = 1.0;
        state.processor.haHeat.maxRate = 0.5;
        state.processor.haHeat.dayHeat = 0.25;
        state.processor.haHeat.dayMaxRate = 0.125;
    }

    std::filesystem::path Summary() const { return File("Summary.txt"); }
};

// The 28 numbers of the fixture's statistics, as the line carries them after its time.
const std::string kStats28 =
    "    101.2    201.2    301.2    401.2    102.2    202.2    302.2    402.2    103.2    203.2    "
    "303.2    403.2    104.2    204.2    304.2    404.2    105.2    205.2    305.2    405.2  "
    "-9999.0    "
    "206.2    306.2   9999.0 123456.8  36000.0   2500.0  19800.0";

TEST_F(SummaryFileTest, EveryLineKindIsByteExact) {
    EXPECT_TRUE(WriteSummary(LogRecordsOf(state), SummaryKind::kStart, kJune1));
    EXPECT_TRUE(WriteSummary(LogRecordsOf(state), SummaryKind::kStatistics, kJune1));
    state.config.oneWireEnable = 1;  // 48 numbers from the next line on, same file
    EXPECT_TRUE(WriteSummary(LogRecordsOf(state), SummaryKind::kStatistics, kJan15));
    EXPECT_TRUE(WriteSummary(LogRecordsOf(state), SummaryKind::kStop, kJan15));

    const auto lines = ReadLines(Summary());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "2009-06-01 14:05:30CDT Start");
    EXPECT_EQ(lines[1], "2009-06-01 14:05:30CDT" + kStats28);
    EXPECT_EQ(lines[2],
              "2009-01-15 08:07:09CST    101.2    201.2    301.2    401.2    102.2    202.2    "
              "302.2    402.2    103.2    203.2    303.2    403.2    104.2    204.2    304.2    "
              "404.2    105.2    205.2    305.2    405.2  -9999.0    206.2    306.2   9999.0    "
              "110.2    210.2    310.2    410.2    111.2    211.2    311.2    411.2    112.2    "
              "212.2    312.2    412.2    113.2    213.2    313.2    413.2 123456.8  36000.0   "
              "2500.0  19800.0      1.0   1800.0      0.2    450.0");
    EXPECT_EQ(lines[3], "2009-01-15 08:07:09CST Stop");
    EXPECT_EQ(ReadAll(Summary()).back(), '\n');
}

TEST_F(SummaryFileTest, SummaryOffWritesNothing) {
    state.config.summaryEnable = 0;
    EXPECT_FALSE(WriteSummary(LogRecordsOf(state), SummaryKind::kStart, kJune1));
    state.processor.current.time = kJune1;
    WriteSampleLine(LogRecordsOf(state));
    EXPECT_FALSE(std::filesystem::exists(Summary()));
}

TEST_F(SummaryFileTest, DayLineComesWhateverTheCountdownWithTheNewSampleTime) {
    const std::time_t beforeMidnight = 1243918740;  // 2009-06-01 23:59:00 CDT
    const std::time_t afterMidnight = 1243918830;   // 2009-06-02 00:00:30 CDT
    state.config.summaryEveryNth = 1800;
    state.processor.current.time = beforeMidnight;
    WriteSampleLine(LogRecordsOf(state));  // Start and the first statistics line

    // The new day's first sample: the day line is written whatever the countdown, and the
    // countdown goes on.
    state.processor.current.time = afterMidnight;
    WriteDayEnd(LogRecordsOf(state));
    WriteSampleLine(LogRecordsOf(state));

    const auto lines = ReadLines(Summary());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "2009-06-02 00:00:30CDT" + kStats28);
}

TEST_F(SummaryFileTest, UnwritableFolderGivesOneMessageAndSwitchesSummaryOff) {
    WriteFile(File("plain"), "x");
    const std::string folder = (File("plain") / "sub").string();
    state.config.dataFolder = folder;
    for (int i = 0; i < 3; ++i) {
        state.processor.current.time = kJune1 + i;
        WriteSampleLine(LogRecordsOf(state));
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first,
              "Cannot open summary file, summary file disabled " + folder + "/Summary.txt");
    EXPECT_EQ(messages[0].second, "Error");
    EXPECT_EQ(state.config.summaryEnable, 0);
}

TEST_F(SummaryFileTest, SwitchingSummaryOffAndOnLeavesStopThenStart) {
    // No sample yet: the lines carry the time given as now.
    state.config.summaryEnable = 0;
    SummarySwitched(LogRecordsOf(state), false, kJan15);
    state.config.summaryEnable = 1;
    SummarySwitched(LogRecordsOf(state), true, kJan15 + 1);
    // The next completed sample writes statistics at once, and no second Start.
    state.config.summaryEveryNth = 50;
    state.processor.current.time = kJune1;
    WriteSampleLine(LogRecordsOf(state));
    state.processor.current.time = kJune1 + 1;
    WriteSampleLine(LogRecordsOf(state));
    const auto lines = ReadLines(Summary());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "2009-01-15 08:07:09CST Stop");
    EXPECT_EQ(lines[1], "2009-01-15 08:07:10CST Start");
    EXPECT_EQ(lines[2], "2009-06-01 14:05:30CDT" + kStats28);
    // With a sample taken, its time is used.
    state.config.summaryEnable = 0;
    SummarySwitched(LogRecordsOf(state), false, kJan15);
    EXPECT_EQ(ReadLines(Summary()).back(), "2009-06-01 14:05:31CDT Stop");
}

}  // namespace
}  // namespace brennic
