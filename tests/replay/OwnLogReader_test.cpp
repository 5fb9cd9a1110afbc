#include "replay/OwnLogReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logs/DailyLog.h"
#include "replay/CaptureReader.h"
#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

using testing::Local;
using testing::RecordingEvents;
using testing::TempFolder;

// Writes a daily log with Brennic's own writer: one sample record per time, the long layout
// where `longLayout` says so, each preceded by a raw controller record. Returns its path.
std::string WriteOwnLog(const TempFolder& folder, const std::vector<std::time_t>& times,
                        const std::vector<bool>& longLayout) {
    AppState writer;
    writer.config.logData = 1;
    writer.config.logQmxData = 1;
    writer.config.logEveryNth = 1;
    writer.config.summaryEnable = 0;
    writer.config.dataFolder = folder.File("logs");
    StateGuard guard(writer.lock);
    for (std::size_t i = 0; i < times.size(); ++i) {
        Sample& s = writer.processor.current;
        s.time = times[i];
        for (int slot = 1; slot < kSlotCount; ++slot) {
            s[slot] = static_cast<float>(slot * 10 + static_cast<int>(i));
        }
        s[kSlotPump] = 1.0f;
        s[kSlotHaPump] = 1.0f;
        writer.config.oneWireEnable = longLayout[i] ? 1 : 0;
        WriteRawLine(LogRecordsOf(writer), "QMX_DATA",
                     "1:00 120.0 100.0 12.0 180.0 110.0 95.0 ON OFF\n", times[i]);
        WriteSampleLine(LogRecordsOf(writer));
    }
    const std::string path = writer.dailyLog.fileName;
    CloseDailyLog(writer.dailyLog);
    return path;
}

TEST(OwnLogReader, MixedShortAndLongRecordsReplayWithTheirOwnTimes) {
    struct Zone {
        const char* tz;
        int month;  // a month with daylight saving time there
    } zones[] = {{"America/Chicago", 6}, {"Europe/Berlin", 6}, {"Australia/Sydney", 1}};
    for (const auto& z : zones) {
        SCOPED_TRACE(z.tz);
        ScopedTimeZone zone(z.tz);
        TempFolder folder;
        const std::time_t t0 = Local(2009, z.month, 1, 14, 0, 0);
        const std::vector<std::time_t> times = {t0, t0 + 30, t0 + 60, t0 + 90};
        const std::string path = WriteOwnLog(folder, times, {true, false, true, false});
        AppState state;
        state.config.graphEveryNth = 1;
        RecordingEvents events;
        const ReplayOutcome out = ReplayOwnLogFile(state, path, RecordRange{}, events);
        ASSERT_EQ(out.readError, kReadOk) << (events.errors.empty() ? "" : events.errors[0].second);
        EXPECT_EQ(out.recordsProcessed, 4);
        EXPECT_EQ(out.firstProcessedTime, t0);
        EXPECT_EQ(out.lastProcessedTime, t0 + 90);
        EXPECT_TRUE(out.dataReceived);
        const SampleHistory& history = state.processor.history;
        ASSERT_EQ(history.Count(), 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(history[i].time, times[i]);
            EXPECT_EQ(history[i][kSlotCollector], static_cast<float>(10 + i));
            EXPECT_EQ(history[i][kSlotAux4], static_cast<float>(60 + i));
            const bool isLong = i % 2 == 0;
            EXPECT_EQ(history[i][kSlotWAux1], isLong ? static_cast<float>(100 + i) : kNoReading);
            EXPECT_EQ(history[i][kSlotWAux4], isLong ? static_cast<float>(130 + i) : kNoReading);
        }
    }
}

TEST(OwnLogReader, RangesAndFilesWithoutSampleRecords) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const std::time_t t0 = Local(2009, 6, 1, 0, 0, 0);
    std::vector<std::time_t> times;
    for (int i = 0; i < 600; ++i) {
        times.push_back(t0 + i * 60);
    }
    const std::string log = WriteOwnLog(folder, times, std::vector<bool>(600, false));
    struct Case {
        const char* name;
        std::string path;
        bool fast;
        int code;
        int recordsRead;  // -1: not checked
    } cases[] = {
        // Without fast access the own log reads on to the end of the file.
        {"range", log, false, kReadOk, 600},
        {"range with fast access", log, true, kReadOk, -1},
        {"raw records only",
         folder.Write("raw.txt",
                      "QMX_DATA 2009-06-01 14:00:00CDT 1:00 120.0\n\nQMX_DATA "
                      "2009-06-01 14:00:02CDT 1:00\n\n"),
         false, kNoFirstRecord, -1},
        {"empty", folder.Write("empty.txt", ""), false, kNoFirstRecord, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState state;
        RecordingEvents events;
        const bool ok = c.code == kReadOk;
        const RecordRange range{times[200] - 30, times[299], ok, c.fast, true};
        const ReplayOutcome out = ReplayOwnLogFile(state, c.path, range, events);
        EXPECT_EQ(out.readError, c.code);
        if (c.recordsRead >= 0) {
            EXPECT_EQ(out.recordsRead, c.recordsRead);
        }
        if (!ok) {
            ASSERT_EQ(events.errors.size(), 1u);
            EXPECT_EQ(out.recordsProcessed, 0);
            EXPECT_FALSE(out.dataReceived);
            continue;
        }
        EXPECT_EQ(out.firstProcessedTime, times[200]);
        EXPECT_EQ(out.lastProcessedTime, times[299]);
        EXPECT_EQ(out.recordsProcessed, 100);
        // Own-log progress shows the percentage alone, after growing by more than 5.
        const auto line5 = events.Line(5);
        ASSERT_FALSE(line5.empty());
        EXPECT_EQ(line5.front(), "% complete: 6");
        EXPECT_EQ(line5.back(), "% complete: 96");
        EXPECT_TRUE(events.Line(6).empty());
    }
}

TEST(CaptureReader, DigitLinesAdvanceTheReplayClock) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const std::time_t six = Local(2009, 6, 1, 6, 0, 0);
    const std::string digits =
        "RUNTIME COLL-T STOR-T\n06:00 120.0 100.0 12.0 180.0 110.0 95.0 ON OFF\n\n"
        "06:06 121.0 100.0 12.0 180.0 110.0 95.0 ON OFF\nGPM=1.0  FPL=1  AX3=1.0 KWH=1.0\n";
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::time_t> saved;  // times of the saved samples
        std::time_t first, last;
        int processed;
    } cases[] = {
        {"interval 360 from 06:00:00", digits, {six, six + 360}, six - 360, six + 360, 4},
        {"letters only", "RUNTIME\nOPEN\nGPM=1\n", {}, six - 360, six - 360, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState state;
        state.config.graphEveryNth = 1;
        RecordingEvents events;
        const std::string path = folder.Write("cap.txt", c.content);
        const ReplayOutcome out = ReplayCaptureFile(state, path, six, 360, events);
        EXPECT_EQ(out.readError, kReadOk);
        EXPECT_EQ(out.firstProcessedTime, c.first);
        EXPECT_EQ(out.lastProcessedTime, c.last);
        EXPECT_EQ(out.recordsProcessed, c.processed);
        EXPECT_EQ(events.titles, (std::vector<std::string>{path}));
        EXPECT_TRUE(events.lines.empty());
        std::vector<std::time_t> saved;
        for (const Sample& s : state.processor.history) {
            saved.push_back(s.time);
        }
        EXPECT_EQ(saved, c.saved);
    }
}

}  // namespace
}  // namespace brennic
