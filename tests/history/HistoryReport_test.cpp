#include "history/HistoryReport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "history/HistoryTime.h"
#include "history/MinuteAccumulator.h"
#include "support/HistoryTestSupport.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

using testing::Local;
using testing::TempFolder;

// Feeds samples straight into a store, as the live writer does: one sample a minute in
// [from, to) except where `skip` says; every interval between two samples brings 60 BTU of
// collector heat and 20 of heat assist, whatever its length.
class ReportTest : public ::testing::Test {
  protected:
    template <typename Skip>
    void Feed(std::time_t from, std::time_t to, Skip skip) {
        MinuteAccumulator acc;
        std::vector<MinuteRow> rows;
        HistorySample s;
        s.value.fill(kNoReading);
        s.value[kSlotPump] = s.value[kSlotHaPump] = 0.0f;
        for (std::time_t t = from; t < to; t += 60) {
            if (skip(t)) {
                continue;
            }
            s.time = t;
            s.sampleCount += 1;
            s.value[kSlotCollector] = static_cast<float>(100 + t / 60 % 50);
            s.value[kSlotStorage] = 120.0f;
            acc.Add(s, rows);
            s.collectorBtuTotal += 60.0;
            s.haBtuTotal += 20.0;
        }
        acc.EndSegment(rows);
        ASSERT_TRUE(store_->WriteMinutes(rows, HistoryStore::Overlap::kMerge, 0).ok);
    }

    EnergyReport Query(ReportPeriod period, int from, int to) {
        EnergyReport report;
        std::string error;
        EXPECT_TRUE(QueryEnergyReport(*store_, period, from, to, report, error)) << error;
        return report;
    }

    ScopedTimeZone zone_{"America/Chicago"};
    TempFolder folder_;
    std::unique_ptr<HistoryStore> store_ = testing::OpenStore(folder_.File("h.sqlite"));
};

TEST_F(ReportTest, DaylightSavingDaysAndGapsShowAsCoverage) {
    // March 7 to 9 and October 31 to November 2, 2009; six hours missing on March 9 and
    // November 2 ends at 06:00.
    const std::time_t gap = Local(2009, 3, 9, 0, 0, 0);
    Feed(Local(2009, 3, 7, 0, 0, 0), Local(2009, 3, 10, 0, 0, 0),
         [&](std::time_t t) { return t >= gap && t < gap + 6 * 3600; });
    Feed(Local(2009, 10, 31, 0, 0, 0), Local(2009, 11, 2, 6, 0, 0),
         [](std::time_t) { return false; });
    const EnergyReport report = Query(ReportPeriod::kDay, 20090307, 20091103);
    // The interval that ends on a new day belongs to the day before, as in the processor's
    // day heat: so March 8 gains the six-hour interval over the gap, and the last day of each
    // feed ends one interval short.
    struct Case {
        int day;
        int minutes;    // minutes with data
        int inPeriod;   // minutes of that local day
        int intervals;  // credited to the day
    } const cases[] = {
        {20090307, 1440, 1440, 1440}, {20090308, 1380, 1380, 1380}, {20090309, 1080, 1440, 1079},
        {20091101, 1500, 1500, 1500}, {20091102, 360, 1440, 359},   {20091103, 0, 1440, 0},
        {20090601, 0, 1440, 0},
    };
    for (const Case& c : cases) {
        const auto row = std::find_if(report.rows.begin(), report.rows.end(),
                                      [&](const ReportRow& r) { return r.firstDay == c.day; });
        ASSERT_NE(row, report.rows.end()) << c.day;
        EXPECT_EQ(row->minutesWithData, c.minutes) << c.day;
        EXPECT_EQ(row->minutesInPeriod, c.inPeriod) << c.day;
        EXPECT_EQ(row->HasData(), c.minutes > 0) << c.day;
        EXPECT_DOUBLE_EQ(row->collectorBtu, 60.0 * c.intervals) << c.day;
    }
    EXPECT_EQ(report.rows.size(), 242u);
    EXPECT_NE(EnergyReportJson(report).find("\"collectorKwh\": null"), std::string::npos);
}

TEST_F(ReportTest, MonthsSumTheirDaysWithFractionAndTotals) {
    Feed(Local(2009, 1, 31, 12, 0, 0), Local(2009, 2, 1, 12, 0, 0),
         [](std::time_t) { return false; });
    const EnergyReport report = Query(ReportPeriod::kMonth, 20090115, 20090320);
    ASSERT_EQ(report.rows.size(), 3u);
    EXPECT_EQ(report.rows[0].label, "2009-01");
    EXPECT_EQ(report.rows[0].minutesWithData, 720);
    EXPECT_EQ(report.rows[0].minutesInPeriod, 31 * 1440);
    EXPECT_EQ(report.rows[2].lastDay, 20090331);

    const std::string csv = EnergyReportCsv(report);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "Period,Collector kWh,Collector BTU,Heat-assist kWh,Heat-assist BTU,"
              "Solar fraction %,Pump hours,Pump cycles,HA pump hours,HA pump cycles,"
              "Max collector F,Max storage F,Coverage %");
    // 1439 intervals of 60 BTU are 25.30 kWh, a solar fraction of 60 / (60 + 20). March has no
    // data, so no figures (no solar fraction either) but its coverage.
    EXPECT_NE(csv.find("\nTotal,25.30,86340,8.43,28780,75.0,0.00,0,0.00,0,149.0,120.0,1.1\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n2009-03,,,,,,,,,,,,0.0\n"), std::string::npos) << csv;
}

// The pump time between two samples goes to the minutes, as long as they are at most an hour
// apart. Across a longer gap (a restart, a damaged time years away) the processor counts no
// pump time, and neither may the store.
TEST(MinuteAccumulator, PumpTimeStopsAtAGap) {
    const std::time_t t0 = 1243857600;  // 2009-06-01 12:00:00 UTC
    const struct {
        std::time_t later;  // the second sample, this long after the first
        int pumpSeconds;
    } cases[] = {{60, 60}, {3600, 3600}, {3601, 0}, {-60, 0}, {std::time_t{2147483647}, 0}};
    for (const auto& c : cases) {
        MinuteAccumulator acc;
        std::vector<MinuteRow> rows;
        HistorySample s;
        s.value.fill(kNoReading);
        s.value[kSlotPump] = s.value[kSlotHaPump] = 1.0f;
        s.time = t0;
        s.sampleCount = 1;
        acc.Add(s, rows);
        s.time = t0 + c.later;
        s.sampleCount = 2;
        acc.Add(s, rows);
        acc.EndSegment(rows);
        int pump = 0;
        int haPump = 0;
        for (const MinuteRow& row : rows) {
            pump += row.pumpOnSeconds;
            haPump += row.haPumpOnSeconds;
        }
        EXPECT_EQ(pump, c.pumpSeconds) << c.later;
        EXPECT_EQ(haPump, c.pumpSeconds) << c.later;
    }
}

TEST(ReportTime, DayTextsParseAndRoll) {
    struct Case {
        const char* text;
        int day;  // 0: rejected
    } const cases[] = {{"2009-06-01", 20090601}, {"2009-06", 20090601},    {"2009", 20090101},
                       {"2009-13-01", 0},        {"06/01/2009", 0},        {"2009-06-01x", 0},
                       {"2009-02-29", 0},        {"2008-02-29", 20080229}, {"1900-02-29", 0},
                       {"2000-02-29", 20000229}, {"2009-04-31", 0},        {"2009-06-00", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ParseDayText(c.text).value_or(0), c.day) << c.text;
    }
    ScopedTimeZone zone("Europe/London");
    EXPECT_EQ(NextDay(20091231), 20100101);
    EXPECT_EQ(MinutesInDay(20100328), 1380);
    EXPECT_EQ(MinutesInDay(20101031), 1500);
    // A damaged record's time far outside the calendar has no day (it overflowed; found by
    // fuzzing the import).
    EXPECT_EQ(LocalDayNumber(DayStart(99991231)), 99991231);
    EXPECT_EQ(LocalDayNumber(DayStart(99991231) + 86400), 0);
    EXPECT_EQ(LocalDayNumber(std::time_t{7'731'000'000'000}), 0);
}

}  // namespace
}  // namespace brennic
