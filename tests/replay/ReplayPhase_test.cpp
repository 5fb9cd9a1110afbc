// The reading phase the three readers share: how a replay ends part-way through a file.

#include "replay/ReplayPhase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

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

// A power cut leaves the last record cut short or followed by NUL bytes; a full disk leaves a
// fragment with the next record glued to it. Every reader skips and counts that one record and
// replays all whole ones, wherever the cut falls.
TEST(ReplayPhase, ADamagedRecordIsSkippedWhereverTheCutFallsAndAStopFlagEndsAtOnce) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const std::string own = "2009-06-01 14:00:00CDT " + kSample + "\n";
    const std::string recorder = "06/01/2009 14:00:00 " + kControl + "\n";
    const std::string capture = kControl + "\n";
    struct Form {
        const char* name;
        Reader read;
        std::string head;    // what comes before the records
        std::string record;  // one whole record
        bool glued;          // also check a fragment glued to the next record
    } forms[] = {
        {"own log", OwnLog, "", own, true},
        {"data recorder", DataRecorder, "DATE CST +DST\n", recorder, false},
        {"capture", Capture, "", capture, false},
    };
    for (const Form& f : forms) {
        const std::string whole = f.head + Times(20, f.record);
        std::vector<std::pair<std::string, std::string>> damaged;
        for (std::size_t cut = 1; cut < f.record.size(); ++cut) {
            const std::string piece = f.record.substr(0, cut);
            damaged.push_back({"cut at " + std::to_string(cut), whole + piece});
            if (f.glued) {
                damaged.push_back({"glued at " + std::to_string(cut),
                                   f.head + Times(10, f.record) + piece + Times(11, f.record)});
            }
        }
        damaged.push_back({"400 NUL bytes", whole + std::string(400, '\0')});
        for (const auto& [name, content] : damaged) {
            SCOPED_TRACE(std::string(f.name) + ": " + name);
            AppState state;
            RecordingEvents events;
            const ReplayOutcome out =
                f.read(state, folder.Write("log.txt", content), events, nullptr);
            EXPECT_EQ(out.readError, kReadOk);
            EXPECT_TRUE(events.errors.empty());
            EXPECT_EQ(out.recordsProcessed, 20);
            ASSERT_EQ(events.badRecords.size(), 1u);
            EXPECT_EQ(events.badRecords[0].first, f.glued && name[0] == 'g' ? 11 : 21);
            EXPECT_FALSE(out.aborted);
        }
        // A stop flag already set when reading starts: the reader ends at once, processes
        // nothing and reports no error.
        SCOPED_TRACE(std::string(f.name) + ": stopped");
        const std::atomic<bool> stop{true};
        AppState state;
        RecordingEvents events;
        const ReplayOutcome out = f.read(state, folder.Write("log.txt", whole), events, &stop);
        EXPECT_TRUE(out.opened);
        EXPECT_TRUE(out.aborted);
        EXPECT_EQ(out.recordsProcessed, 0);
        EXPECT_EQ(out.readError, kReadOk);
        EXPECT_TRUE(events.errors.empty());
    }
}

// ABORT in the record error dialog for a damaged record ends the replay there.
TEST(ReplayPhase, AbortAtADamagedRecordEndsTheReplay) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const std::string own = "2009-06-01 14:00:00CDT " + kSample + "\n";
    AppState state;
    RecordingEvents events;
    events.answers = {RecordErrorChoice::kAbort};
    const ReplayOutcome out = OwnLog(
        state, folder.Write("log.txt", own + "2009-06 x\n" + Times(20, own)), events, nullptr);
    EXPECT_TRUE(out.aborted);
    EXPECT_EQ(out.recordsProcessed, 1);
    ASSERT_EQ(events.asked.size(), 1u);
    EXPECT_EQ(events.asked[0], "Data error");
    EXPECT_EQ(events.badRecords[0].second, "Error in record  2: \"2009-06 x\"");
}

}  // namespace
}  // namespace brennic
