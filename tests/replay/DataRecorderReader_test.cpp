#include "replay/DataRecorderReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/MessageProcessor.h"
#include "replay/RecordScan.h"
#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

using testing::ControllerLine;
using testing::Local;
using testing::RecorderStamp;
using testing::RecordingEvents;
using testing::TempFolder;

// A Data Recorder file of `times`, a header before the first record and every `headerEvery`
// records, and the records listed in `bad` carrying a line the processor rejects.
std::string RecorderFile(const std::vector<std::time_t>& times, int headerEvery = 300,
                         const std::vector<int>& bad = {}, const char* header = "DATE CST +DST") {
    std::string text;
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (i % static_cast<std::size_t>(headerEvery) == 0) {
            text += std::string(header) + "\n";
        }
        const bool isBad = std::find(bad.begin(), bad.end(), static_cast<int>(i) + 1) != bad.end();
        text += RecorderStamp(times[i]) + " " +
                (isBad ? std::string("BAD 1 2 3 4 5 6 ON OFF")
                       : ControllerLine(100.0 + static_cast<double>(i % 50), 90.0, i % 7 < 3)) +
                "\n";
    }
    return text;
}

std::string Repeat(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += text;
    }
    return out;
}

std::vector<std::time_t> Steps(std::time_t first, int count, int step) {
    std::vector<std::time_t> times;
    for (int i = 0; i < count; ++i) {
        times.push_back(first + static_cast<std::time_t>(i) * step);
    }
    return times;
}

void SwitchAfter2000(AppState& state) {
    if (state.processor.sampleCount == 2000) {
        state.config.controllerType = kVexin2;
    }
}

class DataRecorderReaderTest : public ::testing::Test {
  protected:
    ScopedTimeZone zone_{"America/Chicago"};
    TempFolder folder_;
    AppState state_;
    RecordingEvents events_;
    const std::time_t june1_ = Local(2009, 6, 1, 0, 0, 0);
};

TEST_F(DataRecorderReaderTest, ShortFileReplaysWithProgressLinesAndCaption) {
    // Shorter than 500 bytes: the last-record scan starts at the file's start.
    const auto times = Steps(june1_ + 14 * 3600, 3, 2);
    const std::string path = folder_.Write("dr.txt", RecorderFile(times));
    const ReplayOutcome out = ReplayDataRecorderFile(state_, path, RecordRange{}, events_);
    ASSERT_TRUE(out.opened);
    EXPECT_EQ(out.readError, kReadOk);
    EXPECT_TRUE(events_.errors.empty());
    EXPECT_EQ(out.recordsProcessed, 3);
    EXPECT_EQ(out.firstProcessedTime, times[0]);
    EXPECT_EQ(out.lastProcessedTime, times[2]);
    EXPECT_TRUE(out.dataReceived);
    EXPECT_EQ(events_.Line(1),
              (std::vector<std::string>{"Open File", "Get File Size", "Read File"}));
    EXPECT_EQ(events_.Line(2),
              (std::vector<std::string>{"Directory: " + path.substr(0, path.rfind('/'))}));
    EXPECT_EQ(events_.Line(3), (std::vector<std::string>{"File Name: dr.txt"}));
    EXPECT_EQ(events_.Line(4), (std::vector<std::string>{
                                   "File Start: Mon Jun 01 14:00:00 2009   File End: Mon Jun 01 "
                                   "14:00:04 2009"}));
    EXPECT_EQ(events_.titles,
              (std::vector<std::string>{
                  "dr.txt", "dr.txt Mon Jun 01 14:00:00 2009-Mon Jun 01 14:00:04 2009"}));
    EXPECT_EQ(events_.Line(5), (std::vector<std::string>{"% complete: 50   Record: 2",
                                                         "% complete: 100   Record: 3"}));
}

TEST_F(DataRecorderReaderTest, ScanFailuresEndTheReplayWithTheirMessage) {
    std::string thirtyFirst;
    for (int i = 0; i < 31; ++i) {
        thirtyFirst += RecorderStamp(june1_ + i) + " " + ControllerLine(100, 90, false) + "\n";
    }
    const std::string good = RecorderFile(Steps(june1_, 3, 2));
    struct Case {
        const char* name;
        std::string content;
        int code;
        const char* text;
    } cases[] = {
        {"contradictory", "DATE CST +DST\n" + good.substr(good.find('\n') + 1) + "DATE CST\n",
         kContradictoryHeaders, "File contains contradictory timezones or daylight flags"},
        // Which zone names a header may give is the header table's (RecordLines) business.
        {"daylight zone", RecorderFile(Steps(june1_, 3, 2), 300, {}, "DATE CDT"), kDateTimeFormat,
         "Date time format error"},
        {"no header", thirtyFirst, kNoFirstRecord, "Can not locate first record"},
        {"header without data", "DATE CST\n\n", kNoFirstRecord, "Can not locate first record"},
        {"empty", "", kNoFirstRecord, "Can not locate first record"},
        {"no data at the end", good + Repeat("DATE CST +DST                \n", 20), kNoLastRecord,
         "Can not locate last record"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingEvents events;
        const std::string path = folder_.Write("bad.txt", c.content);
        const ReplayOutcome out = ReplayDataRecorderFile(state_, path, RecordRange{}, events);
        EXPECT_EQ(out.readError, c.code);
        ASSERT_EQ(events.errors.size(), 1u);
        EXPECT_EQ(events.errors[0].first, c.code);
        EXPECT_EQ(events.errors[0].second,
                  std::string(c.text) + "|Error reading Data Recorder File");
        EXPECT_EQ(out.recordsProcessed, 0);
        EXPECT_FALSE(out.dataReceived);
    }
    // Thirty data lines before the first header are still accepted.
    RecordingEvents events;
    const std::string thirty = thirtyFirst.substr(thirtyFirst.find('\n') + 1);
    const ReplayOutcome out = ReplayDataRecorderFile(state_, folder_.Write("ok.txt", thirty + good),
                                                     RecordRange{}, events);
    EXPECT_EQ(out.readError, kReadOk);
    EXPECT_EQ(out.recordsProcessed, 33);
}

TEST_F(DataRecorderReaderTest, RangeFindsItsStartWithOrWithoutFastAccessOrSaysWhyNot) {
    const auto times = Steps(june1_, 20000, 2);  // 00:00:00 .. 11:06:38
    const std::string path = folder_.Write("big.txt", RecorderFile(times, 257));
    const std::time_t last = times.back();
    struct Case {
        const char* name;
        bool fast;
        std::time_t start, end;
        int code;
        std::time_t firstProcessed, lastProcessed;
    } cases[] = {
        {"before the file", true, june1_ - 7200, june1_ - 1, kRangeOutside, 0, 0},
        {"ends at the first record", true, june1_ - 7200, june1_, kRangeOutside, 0, 0},
        {"after the file", true, last + 1, last + 7200, kRangeOutside, 0, 0},
        {"end before start", true, june1_ + 600, june1_ + 600, kRangeOutside, 0, 0},
        {"starts before the file", true, june1_ - 7200, june1_ + 60, kReadOk, june1_, june1_ + 60},
        {"inside", true, june1_ + 24691, june1_ + 30000, kReadOk, june1_ + 24692, june1_ + 30000},
        {"on a record", true, june1_ + 24690, last + 60, kReadOk, june1_ + 24690, last},
        {"at the last record", true, last, last + 60, kReadOk, last, last},
        // Without fast access the records before the start are read and skipped, and the
        // first record after the end stops the replay.
        {"no fast access", false, times[100] - 1, times[199] + 1, kReadOk, times[100], times[199]},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingEvents events;
        RecordRange range{c.start, c.end, true, c.fast, true};
        const ReplayOutcome out = ReplayDataRecorderFile(state_, path, range, events);
        EXPECT_EQ(out.readError, c.code);
        if (c.code == kRangeOutside) {
            ASSERT_EQ(events.errors.size(), 1u);
            EXPECT_EQ(events.errors[0].second,
                      "Date time range does not overlap file\nFile Start:Mon Jun 01 00:00:00 "
                      "2009\nFile End: Mon Jun 01 11:06:38 2009\n|Error reading Data Recorder "
                      "File");
            EXPECT_EQ(out.recordsProcessed, 0);
            continue;
        }
        EXPECT_TRUE(events.errors.empty());
        EXPECT_EQ(out.firstProcessedTime, c.firstProcessed);
        EXPECT_EQ(out.lastProcessedTime, c.lastProcessed);
        if (c.fast) {
            EXPECT_LT(out.recordsRead - out.recordsProcessed, 60) << "positioned near the start";
            EXPECT_EQ(events.Line(1)[2], "Fast access searching for start time");
        } else {
            EXPECT_EQ(out.recordsProcessed, 100);
            EXPECT_EQ(out.recordsRead, 201);
            EXPECT_EQ(events.Line(1).size(), 3u);
        }
    }
}

// Real logs have outages. Wherever the range starts (on a record, inside a gap of 30 s to an
// hour, before the first record) fast access must leave the reader a few lines before the
// first record at or after the start, never give up.
TEST_F(DataRecorderReaderTest, FastAccessFindsTheFirstRecordAtOrAfterAnyStart) {
    // Uneven line lengths, two-second records and gaps of several lengths.
    std::vector<std::time_t> times;
    std::time_t t = june1_;
    for (const int gap : {30, 120, 300, 600, 3600, 2, 3600, 600}) {
        const auto run = Steps(t, 1500, 2);
        times.insert(times.end(), run.begin(), run.end());
        t = times.back() + gap;
    }
    const auto tail = Steps(t, 1500, 2);
    times.insert(times.end(), tail.begin(), tail.end());
    const std::string path = folder_.Write("gaps.txt", RecorderFile(times, 211));

    std::vector<std::time_t> starts = {times.front() - 3600, times.front(), times.back()};
    for (std::size_t i = 1; i < times.size(); ++i) {
        if (times[i] - times[i - 1] > 2) {  // inside each gap: just after, middle, just before
            starts.push_back(times[i - 1] + 1);
            starts.push_back(times[i - 1] + (times[i] - times[i - 1]) / 2);
            starts.push_back(times[i] - 1);
        }
    }
    for (std::size_t i = 7; i < times.size(); i += 997) {
        starts.push_back(times[i]);
    }
    for (const std::time_t start : starts) {
        SCOPED_TRACE(start - june1_);
        const auto expected = *std::lower_bound(times.begin(), times.end(), start);
        RecordFile file(LogFormat::kDataRecorder);
        ASSERT_EQ(file.reader.Open(path), 0);
        ASSERT_EQ(ScanForHeader(file), kReadOk);
        ASSERT_EQ(FindFirstRecord(file), kReadOk);
        ASSERT_EQ(FindLastRecord(file), kReadOk);
        const RecordRange range{start, times.back() + 1, true, true, true};
        int tried = 0;
        ASSERT_EQ(FastAccessPosition(file, range, &tried), kReadOk);
        EXPECT_LE(tried, 30);
        std::string_view line;
        std::int64_t pos = 0;
        RecordLine record;
        std::time_t firstAtOrAfter = 0;
        int recordsBefore = 0;
        while (file.reader.Next(line, pos) == LineReader::kLine) {
            ASSERT_EQ(file.parser.Parse(line, record), kReadOk);
            if (record.kind == RecordLine::kData) {
                if (record.time >= range.startTime) {
                    firstAtOrAfter = record.time;
                    break;
                }
                ++recordsBefore;
            }
        }
        EXPECT_EQ(firstAtOrAfter, expected);
        EXPECT_LT(recordsBefore, 100) << "a short scan from below the start";
    }
}

TEST_F(DataRecorderReaderTest, BadRecordsAskUntilSuppressedAndAlwaysUpdateLineSix) {
    const std::string path =
        folder_.Write("e.txt", RecorderFile(Steps(june1_, 12, 2), 300, {3, 5, 9}));
    struct Case {
        std::vector<RecordErrorChoice> answers;
        std::size_t asked;
        std::size_t bad;
        int lastBad;
        int processed;
        bool aborted;
    } cases[] = {
        {{RecordErrorChoice::kSuppressErrors}, 1, 3, 9, 12, false},
        {{}, 3, 3, 9, 12, false},
        {{RecordErrorChoice::kContinue, RecordErrorChoice::kAbort}, 2, 2, 5, 5, true},
    };
    for (const auto& c : cases) {
        RecordingEvents events;
        events.answers = c.answers;
        const ReplayOutcome out = ReplayDataRecorderFile(state_, path, RecordRange{}, events);
        EXPECT_EQ(out.readError, kReadOk);
        EXPECT_EQ(events.asked, std::vector<std::string>(c.asked, "Data error"));
        ASSERT_EQ(events.badRecords.size(), c.bad);
        EXPECT_EQ(events.badRecords[0],
                  std::make_pair(3, std::string("Error in record  3: \"06/01/2009 00:00:04 BAD 1 "
                                                "2 3 4 5 6 ON OFF\"")));
        EXPECT_EQ(events.badRecords.back().first, c.lastBad);
        EXPECT_EQ(events.Line(6).size(), c.bad);
        // A bad record always refreshes line 5 too.
        EXPECT_EQ(events.Line(5)[1], "% complete: 18   Record: 3");
        EXPECT_EQ(out.recordsProcessed, c.processed);
        EXPECT_EQ(out.aborted, c.aborted);
    }
}

// The records are read ahead in blocks of a few thousand on another thread: bad records on
// both sides of a block's end and an over-long line in the middle keep their numbers, and
// every record reaches the processor once, in order.
TEST_F(DataRecorderReaderTest, RecordsReadAheadKeepTheirNumbersAcrossBlocks) {
    const auto times = Steps(june1_, 10000, 2);
    const std::vector<std::time_t> first(times.begin(), times.begin() + 5000);
    const std::vector<std::time_t> second(times.begin() + 5000, times.end());
    const std::string path =
        folder_.Write("blocks.txt", RecorderFile(first, 300, {4096, 4097}) + std::string(600, 'x') +
                                        "\n" + RecorderFile(second, 300, {3192}));
    RecordingEvents events;
    const ReplayOutcome out = ReplayDataRecorderFile(state_, path, RecordRange{}, events);
    EXPECT_EQ(out.readError, kReadOk);
    EXPECT_EQ(out.recordsRead, 10001);
    EXPECT_EQ(out.recordsProcessed, 10000);
    EXPECT_EQ(out.firstProcessedTime, times.front());
    EXPECT_EQ(out.lastProcessedTime, times.back());
    std::vector<int> numbers;
    for (const auto& [number, text] : events.badRecords) {
        numbers.push_back(number);
    }
    EXPECT_EQ(numbers, (std::vector<int>{4096, 4097, 5001, 8193}));
    EXPECT_EQ(state_.processor.sampleCount, 10000 - 3);
}

// The contents are parsed ahead on the reading thread for the configured controller model and
// applied on the replay's thread: a two-line report split by a block's end, lines with open
// sensors, bad tokens and NUL bytes, and a change of the controller model in the middle of a
// replay (lines read ahead for the old model) come out as the same lines fed one by one.
TEST_F(DataRecorderReaderTest, ContentsReadAheadApplyAsLinesFedOneByOne) {
    std::vector<std::string> contents = {"GPM=1.0 FPL=0 AX3=60.0 KWH=1.0"};  // a stray one first
    for (int i = 0; contents.size() < 12000; ++i) {
        const bool pump = i % 5 < 2;
        std::string first = ControllerLine(100.0 + i % 40, 90.0 + i % 3, pump);
        std::string gpm =
            pump ? "GPM=2.5 FPL=0 AX3=71.5 KWH=3.25" : "GPM=0.0 FPL=0 AX3=70.0 KWH=3.25";
        if (i % 97 == 0) {
            first.replace(first.find(' ', 5), 1, " OPEN.S ");
        } else if (i % 89 == 0) {
            gpm = "GPM=2.x FPL=0 AX3=bad KWH=1";
        } else if (i % 83 == 0) {
            first[12] = '\0';
        }
        contents.push_back(first);
        contents.push_back(gpm);
    }
    const auto times = Steps(june1_, static_cast<int>(contents.size()), 2);
    std::string text = "DATE CST +DST\n";
    for (std::size_t i = 0; i < contents.size(); ++i) {
        text += RecorderStamp(times[i]) + " " + contents[i] + "\n";
    }
    const std::string path = folder_.Write("btu.txt", text);

    // After the 2000th sample the settings say model 0 from then on.
    struct SwitchingEvents : RecordingEvents {
        AppState* state = nullptr;
        void SampleProcessed(const ProcessorState&) override { SwitchAfter2000(*state); }
    } events;
    events.state = &state_;
    state_.config.controllerType = kVexin2Btu;
    const ReplayOutcome out = ReplayDataRecorderFile(state_, path, RecordRange{}, events);
    ASSERT_EQ(out.recordsProcessed, static_cast<int>(contents.size()));

    AppState alone;
    alone.config = state_.config;
    alone.config.controllerType = kVexin2Btu;
    {
        StateGuard guard(alone.lock);
        ResetStatistics(alone, times[0]);
        for (std::size_t i = 0; i < contents.size(); ++i) {
            const std::string line = contents[i] + "\n";  // as the file has it
            if (ProcessRecordedLine(alone, line.c_str(), nullptr, times[i]) > 0) {
                SwitchAfter2000(alone);
            }
        }
    }
    const ProcessorState& a = alone.processor;
    const ProcessorState& b = state_.processor;
    EXPECT_GT(b.sampleCount, 4000);
    EXPECT_GT(b.openSensors, 0);
    EXPECT_EQ(b.sampleCount, a.sampleCount);
    EXPECT_EQ(b.dataErrors, a.dataErrors);
    EXPECT_EQ(b.openSensors, a.openSensors);
    EXPECT_EQ(b.receivedLines, a.receivedLines);
    EXPECT_EQ(b.current.value, a.current.value);
    EXPECT_EQ(b.stats.maximum.value, a.stats.maximum.value);
    EXPECT_EQ(b.collectorHeat.total, a.collectorHeat.total);
    EXPECT_EQ(b.reportLine1, a.reportLine1);
    EXPECT_EQ(b.reportLine2, a.reportLine2);
}

// Line 5 follows every 5 % of the time span or every 5000 records, whichever comes first.
TEST_F(DataRecorderReaderTest, LineFiveFollowsFivePercentOrFiveThousandRecords) {
    auto times = Steps(june1_, 12000, 0);
    times.push_back(june1_ + 100000);
    ReplayDataRecorderFile(state_, folder_.Write("p.txt", RecorderFile(times, 500)), {}, events_);
    EXPECT_EQ(events_.Line(5), (std::vector<std::string>{"% complete: 0   Record: 5001",
                                                         "% complete: 0   Record: 10002",
                                                         "% complete: 100   Record: 12001"}));
    RecordingEvents even;
    ReplayDataRecorderFile(state_, folder_.Write("q.txt", RecorderFile(Steps(june1_, 101, 1))), {},
                           even);
    ASSERT_EQ(even.Line(5).size(), 20u);
    EXPECT_EQ(even.Line(5)[0], "% complete: 5   Record: 6");
    // One record time for the whole file: no span to take 5 % of.
    RecordingEvents one;
    const ReplayOutcome out = ReplayDataRecorderFile(
        state_, folder_.Write("one.txt", RecorderFile({june1_ + 60, june1_ + 60, june1_ + 60})),
        RecordRange{june1_, june1_ + 120, true, true, true}, one);
    EXPECT_EQ(out.recordsProcessed, 3);
    EXPECT_EQ(one.Line(5), (std::vector<std::string>{"% complete: 50   Record: 1"}));
}

}  // namespace
}  // namespace brennic
