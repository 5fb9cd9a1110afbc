// A full disk on a real (small) file system: nothing torn, nothing lost silently, one message
// each way, and writing resumes by itself when room returns.

#include <gtest/gtest.h>

#include <string>

#include "logs/DailyLog.h"
#include "logs/SummaryFile.h"
#include "replay/OwnLogReader.h"
#include "support/DataFilesFixture.h"
#include "support/ReplayTestSupport.h"
#include "support/SmallDisk.h"

namespace brennic {
namespace {

using testing::kJune1;
using testing::ReadAll;
using testing::SmallDisk;

class FullDiskTest : public testing::DataFilesTest {
  protected:
    void TearDown() override {
        CloseDailyLog(state.dailyLog);
        DataFilesTest::TearDown();
    }
    // Logs one sample (and its summary line) one second after the last.
    void LogOne() {
        SetSample(kJune1 + next_++);
        WriteSampleLine(LogRecordsOf(state));
    }
    int Count(const std::string& start) const {
        int n = 0;
        for (const auto& [text, caption] : messages) {
            n += text.rfind(start, 0) == 0 ? 1 : 0;
        }
        return n;
    }
    int next_ = 0;
};

TEST_F(FullDiskTest, RecordsAreWholeCountedAndResumeWhenRoomReturns) {
    SmallDisk disk(64);
    if (!disk.Ok()) {
        GTEST_SKIP() << "cannot mount a tmpfs here (not root)";
    }
    state.config.dataFolder = disk.Path();
    state.config.summaryEnable = 1;
    state.config.summaryEveryNth = 1;
    for (int i = 0; i < 5; ++i) {
        LogOne();
    }
    disk.Fill();
    // The log's last page still has room: write on until the disk refuses, then ten more.
    int attempts = 5;
    while (!state.dailyLog.logFault.failing && attempts < 500) {
        LogOne();
        ++attempts;
    }
    ASSERT_TRUE(state.dailyLog.logFault.failing);
    for (int i = 0; i < 10; ++i) {
        LogOne();
        ++attempts;
    }
    const int loggedWhileFull = state.dailyLog.samplesLogged;
    EXPECT_EQ(loggedWhileFull + state.dailyLog.logFault.lost, attempts);
    EXPECT_GE(state.dailyLog.logFault.lost, 11);
    EXPECT_EQ(Count("Cannot write " + state.dailyLog.fileName + ": No space left on device."), 1);
    EXPECT_EQ(Count("Cannot write " + disk.Path() + "/Summary.txt: No space left on device."), 1);
    EXPECT_EQ(state.config.logData, 1);
    EXPECT_EQ(state.config.summaryEnable, 1);

    disk.Free();
    for (int i = 0; i < 3; ++i) {
        LogOne();
    }
    EXPECT_EQ(state.dailyLog.samplesLogged, loggedWhileFull + 3);
    const std::string lost = std::to_string(state.dailyLog.logFault.lost);
    EXPECT_EQ(Count("Writing " + state.dailyLog.fileName + " resumed; " + lost +
                    " records could not be written."),
              1);
    EXPECT_EQ(Count("Writing " + disk.Path() + "/Summary.txt resumed;"), 1);
    EXPECT_EQ(messages.size(), 4u);
    CloseDailyLog(state.dailyLog);

    // Every line of both files is whole, and the log replays every record it holds.
    for (const char* name : {"/LOG-2009-06-01.txt", "/Summary.txt"}) {
        const std::string text = ReadAll(disk.Path() + name);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n') << name;
    }
    AppState replay;
    testing::RecordingEvents events;
    const ReplayOutcome out =
        ReplayOwnLogFile(replay, disk.Path() + "/LOG-2009-06-01.txt", RecordRange{}, events);
    EXPECT_EQ(out.recordsProcessed, state.dailyLog.samplesLogged);
    EXPECT_TRUE(events.badRecords.empty());
}

}  // namespace
}  // namespace brennic
