// The reading phase the three readers share: how a replay ends part-way through a file.

#include "replay/ReplayPhase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "replay/CaptureReader.h"
#include "replay/DataRecorderReader.h"
#include "replay/OwnLogReader.h"
#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

using testing::ControllerLine;
using testing::RecordingEvents;
using testing::TempFolder;

using Reader = std::function<ReplayOutcome(AppState&, const std::string&, ReplayEvents&,
                                           const std::atomic<bool>*)>;

ReplayOutcome DataRecorder(AppState& state, const std::string& path, ReplayEvents& events,
                           const std::atomic<bool>* stop) {
    return ReplayDataRecorderFile(state, path, RecordRange{}, events, stop);
}

ReplayOutcome OwnLog(AppState& state, const std::string& path, ReplayEvents& events,
                     const std::atomic<bool>* stop) {
    return ReplayOwnLogFile(state, path, RecordRange{}, events, stop);
}

ReplayOutcome Capture(AppState& state, const std::string& path, ReplayEvents& events,
                      const std::atomic<bool>* stop) {
    return ReplayCaptureFile(state, path, 1243900800, 2, events, stop);
}

// One reader and the file it is given.
struct ReaderCase {
    const char* name;
    Reader read;
    std::string content;
};

const std::string kControl = ControllerLine(120.0, 100.0, true);
const std::string kSample = "1 2, 3 4  5 6 1 5.0 0.0";

// Lines enough to keep a record out of the last-record scan (the last 500 bytes).
std::string Times(int n, const std::string& line) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += line;
    }
    return text;
}

// A record whose date does not read, well before the end: the scans pass it by, so only the
// reading phase meets it. The record before it stays processed.
TEST(ReplayPhase, ARecordThatDoesNotReadEndsTheReplayWithItsError) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const ReaderCase cases[] = {
        {"data recorder", DataRecorder,
         "DATE CST +DST\n06/01/2009 14:00:00 " + kControl + "\n06/01 14:00:02 x\n" +
             Times(20, "06/01/2009 14:00:04 " + kControl + "\n")},
        {"own log", OwnLog,
         "2009-06-01 14:00:00CDT " + kSample + "\n2009-06 x\n" +
             Times(20, "2009-06-01 14:00:04CDT " + kSample + "\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState state;
        RecordingEvents events;
        const ReplayOutcome out =
            c.read(state, folder.Write("log.txt", c.content), events, nullptr);
        EXPECT_EQ(out.readError, kDateTimeFormat);
        ASSERT_EQ(events.errors.size(), 1u);
        EXPECT_EQ(events.errors[0].second,
                  "Date time format error|" + std::string(kReadErrorCaption));
        EXPECT_EQ(out.recordsProcessed, 1);
        EXPECT_TRUE(out.dataReceived);
        EXPECT_FALSE(out.aborted);
    }
}

// A stop flag already set when reading starts: every reader ends at once, processes nothing
// and reports no error.
TEST(ReplayPhase, AStopFlagEndsEveryReaderBeforeItsFirstRecord) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const ReaderCase cases[] = {
        {"data recorder", DataRecorder,
         "DATE CST +DST\n06/01/2009 14:00:00 " + kControl + "\n06/01/2009 14:00:02 " + kControl +
             "\n"},
        {"own log", OwnLog,
         "2009-06-01 14:00:00CDT " + kSample + "\n2009-06-01 14:00:02CDT " + kSample + "\n"},
        {"capture", Capture, kControl + "\n" + kControl + "\n"},
    };
    const std::atomic<bool> stop{true};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState state;
        RecordingEvents events;
        const ReplayOutcome out = c.read(state, folder.Write("log.txt", c.content), events, &stop);
        EXPECT_TRUE(out.opened);
        EXPECT_TRUE(out.aborted);
        EXPECT_EQ(out.recordsProcessed, 0);
        EXPECT_EQ(out.readError, kReadOk);
        EXPECT_TRUE(events.errors.empty());
    }
}

}  // namespace
}  // namespace brennic
