#include "history/ImportCommand.h"

#include <gtest/gtest.h>

#include <sstream>

#include "history/HistoryReport.h"
#include "history/HistoryTime.h"
#include "replay/DataRecorderReader.h"
#include "support/HistoryTestSupport.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

using testing::Local;
using testing::SunnyRecorderFile;
using testing::TempFolder;

class HistoryImportTest : public ::testing::Test {
  protected:
    // Imports `files` into the test store; returns the exit code and keeps the summary line.
    int Import(const std::vector<std::string>& files) {
        ImportOptions options;
        options.files = files;
        options.storePath = storePath_;
        options.minuteRetentionDays = 100000;  // the test data lies in 2009
        std::ostringstream out, progress, err;
        AppState state;
        const int rc = RunImportCommand(state, options, out, progress, err);
        summary_ = out.str();
        errors_ = err.str();
        return rc;
    }

    // What a replay of `path` leaves in the processor: total and final day heat.
    std::pair<double, double> ReplayHeat(const std::string& path) {
        AppState state;
        ReplayEvents events;
        ReplayDataRecorderFile(state, path, RecordRange{}, events);
        return {state.processor.collectorHeat.total, state.processor.collectorHeat.dayHeat};
    }

    DayRow Day(int day) {
        auto store = testing::OpenStore(storePath_);
        return testing::StoredDay(*store, day);
    }

    ScopedTimeZone zone_{"America/Chicago"};
    TempFolder folder_;
    std::string storePath_ = folder_.File("history.sqlite");
    std::string summary_;
    std::string errors_;
};

TEST_F(HistoryImportTest, DayHeatEqualsTheReplaysDayHeat) {
    // Two days: the interval across midnight belongs to the first, as the processor has it.
    const std::time_t june1 = Local(2009, 6, 1, 0, 0, 0);
    const std::string path =
        folder_.Write("dr.txt", SunnyRecorderFile(june1, june1 + 2 * 86400, 2));
    const auto [total, lastDay] = ReplayHeat(path);
    ASSERT_GT(lastDay, 0.0);
    ASSERT_EQ(Import({path}), 0) << errors_;
    EXPECT_NEAR(Day(20090602).collectorBtu, lastDay, 1e-6 * lastDay);
    EXPECT_NEAR(Day(20090601).collectorBtu, total - lastDay, 1e-6 * total);
    EXPECT_EQ(Day(20090601).minutesWithData, 1440);
    EXPECT_EQ(Day(20090601).pumpStarts, 1);
    EXPECT_EQ(Day(20090601).pumpOnSeconds, 8 * 3600);
    EXPECT_NE(summary_.find("Imported 86400 records from 1 files"), std::string::npos) << summary_;
}

TEST_F(HistoryImportTest, ReimportAndOverlapCountNothingTwice) {
    const std::time_t june1 = Local(2009, 6, 1, 0, 0, 0);
    const std::string whole =
        folder_.Write("whole.txt", SunnyRecorderFile(june1, june1 + 86400, 2));
    const std::string morning =
        folder_.Write("a.txt", SunnyRecorderFile(june1, june1 + 12 * 3600, 2));
    const std::string middle =
        folder_.Write("b.txt", SunnyRecorderFile(june1 + 6 * 3600, june1 + 86400, 2));
    const double expected = ReplayHeat(whole).first;

    ASSERT_EQ(Import({morning, middle}), 0) << errors_;
    const DayRow first = Day(20090601);
    EXPECT_NEAR(first.collectorBtu, expected, 1e-6 * expected);
    EXPECT_EQ(first.minutesWithData, 1440);
    EXPECT_NE(summary_.find("360 minutes already stored"), std::string::npos) << summary_;

    // The same file again is recognised; a file of other content over the same time adds
    // no minute that is stored already.
    ASSERT_EQ(Import({morning, whole}), 0) << errors_;
    EXPECT_NE(summary_.find("1 files already imported"), std::string::npos) << summary_;
    EXPECT_NE(summary_.find("0 minutes added, 1440 minutes already stored"), std::string::npos)
        << summary_;
    const DayRow again = Day(20090601);
    EXPECT_DOUBLE_EQ(again.collectorBtu, first.collectorBtu);
    EXPECT_EQ(again.pumpStarts, first.pumpStarts);
    EXPECT_EQ(again.samples, first.samples);
}

TEST_F(HistoryImportTest, DamagedRecordsAreSkippedAndCounted) {
    const std::time_t june1 = Local(2009, 6, 1, 10, 0, 0);
    std::string text = SunnyRecorderFile(june1, june1 + 600, 2);
    const std::size_t at = text.find('\n', text.size() / 2) + 1;
    text.insert(at, testing::RecorderStamp(june1 + 301) + " BAD 1 2 3 4 5 6 ON OFF\n");
    ASSERT_EQ(Import({folder_.Write("dr.txt", text)}), 0) << errors_;
    EXPECT_NE(summary_.find("1 damaged records skipped"), std::string::npos) << summary_;
    EXPECT_EQ(Day(20090601).minutesWithData, 10);
}

TEST_F(HistoryImportTest, FileKindsAreToldByContent) {
    struct Case {
        const char* text;
        ImportKind kind;
    } const cases[] = {
        {"DATE CST\n06/01/2009 10:00:00 1:00 100 90 12 180 95 91 ON OFF\n",
         ImportKind::kDataRecorder},
        {"6/1/2009 10:00:00 1:00 100 90 12 180 95 91 ON OFF\n", ImportKind::kDataRecorder},
        {"\n2009-06-01 10:00:00-0500 100.0 90.0\n", ImportKind::kOwnLog},
        {"RUNTIME 12\n1:00 100.0 90.0 12.0 180.0 95.0 91.0 ON OFF\n", ImportKind::kCapture},
        {"hello\nworld\n", ImportKind::kUnknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SniffImportFile(folder_.Write("f.txt", c.text)), c.kind) << c.text;
    }
    EXPECT_EQ(Import({folder_.Write("g.txt", "hello\n")}), 1);
    EXPECT_NE(errors_.find("neither a Brennic log"), std::string::npos) << errors_;
}

}  // namespace
}  // namespace brennic
