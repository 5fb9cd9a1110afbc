// The live road with the real daily log and summary writers behind it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/MessageProcessor.h"
#include "logs/DailyLog.h"
#include "support/ProcessorTestSupport.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

using test::Positional;
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

class ProcessorLive : public ::testing::Test {
  protected:
    void SetUp() override {
        test::Prepare(state, 0, kBeforeMidnight - 100);
        Config& c = state.config;
        c.dataFolder = dir_.string();
        c.logData = 1;
        c.logEveryNth = 1;
        c.logQmxData = 1;
        c.newLogAtMidnight = 1;
        c.summaryEnable = 1;
        c.summaryEveryNth = 1;
        c.oneWireEnable = 0;
        c.fixedFlowGpm = 5.0;
        c.solarGlycolMix = 0;
        state.showMessage = [this](const std::string& text, const std::string&) {
            messages.push_back(text);
        };
    }
    void TearDown() override { CloseDailyLog(state.dailyLog); }
    int Live(const std::string& line, std::time_t t) {
        StateGuard guard(state.lock);
        return ProcessLiveLine(state, line, t);
    }
    std::filesystem::path File(const char* name) const { return dir_ / name; }

    ScopedTimeZone zone_{"America/Chicago"};
    AppState state;
    std::vector<std::string> messages;

  private:
    testing::TempFolder folder_;
    const std::filesystem::path dir_ = folder_.Path();
};

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
}

}  // namespace
}  // namespace brennic
