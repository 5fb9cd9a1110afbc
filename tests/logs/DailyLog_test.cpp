#include "logs/DailyLog.h"

#include <gtest/gtest.h>

#include <clocale>
#include <numeric>

#include "logs/TimeText.h"
#include "support/DataFilesFixture.h"

namespace brennic {
namespace {

using testing::kJune1;
using testing::ReadAll;
using testing::ReadLines;
using testing::WriteFile;

class DailyLogTest : public testing::DataFilesTest {
  protected:
    void TearDown() override {
        CloseDailyLog(state.dailyLog);
        DataFilesTest::TearDown();
    }
};

TEST_F(DailyLogTest, SampleRecordsOfBothLayoutsAreByteExactInAnyLocale) {
    const std::string old = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // comma decimals, where installed
    SetSample(kJune1);
    state.processor.collectorHeat.total = 12345.67;
    WriteSampleLine(LogRecordsOf(state));

    state.config.oneWireEnable = 1;  // switched on while the file is open: same file
    Sample& s = state.processor.current;
    s[kSlotAux4] = kBadToken;
    s[kSlotWAux1] = 55.0f;
    s[kSlotWAux2] = kNoReading;
    s[kSlotWAux3] = -3.25f;
    s[kSlotWAux4] = 1234.5f;
    s[kSlotHaPump] = 0.0f;
    s[kSlotHaFlow] = 2.0f;
    state.processor.haHeat.total = 123456789.0;
    WriteSampleLine(LogRecordsOf(state));
    std::setlocale(LC_NUMERIC, old.c_str());

    EXPECT_EQ(ReadAll(File("LOG-2009-06-01.txt")),
              "2009-06-01 14:05:30CDT 150.0 120.0,  70.0  71.5   72.2 -9999.0 1   4.5  12345.7\n"
              "2009-06-01 14:05:30CDT 150.0 120.0,  70.0  71.5   72.2 -9998.0  55.0 -9999.0  -3.2 "
              "1234.5 1   4.5  12345.7 0   2.0 123456789.0\n");
    EXPECT_EQ(state.dailyLog.samplesLogged, 2);
    EXPECT_EQ(state.dailyLog.fileName, File("LOG-2009-06-01.txt").string());
    EXPECT_TRUE(messages.empty());
}

TEST_F(DailyLogTest, RawRecords) {
    WriteRawLine(LogRecordsOf(state), "QMX_DATA", "C 150 S 120 A1 70 P ON", kJune1);
    // A replayed line keeps its line feed, which leaves an empty line.
    WriteRawLine(LogRecordsOf(state), "QMX_DATA", "GPM=4.5\n", kJune1 + 2);
    state.config.logData = 0;
    WriteRawLine(LogRecordsOf(state), "QMX_DATA", "not written", kJune1 + 4);
    EXPECT_EQ(ReadAll(File("LOG-2009-06-01.txt")),
              "QMX_DATA 2009-06-01 14:05:30CDT C 150 S 120 A1 70 P ON\n"
              "QMX_DATA 2009-06-01 14:05:32CDT GPM=4.5\n\n");
    EXPECT_EQ(state.dailyLog.samplesLogged, 0);
}

// LOG-2009-06-01.txt and the lettered names from A to `last`.
std::vector<std::string> AllNamesUpTo(char last) {
    std::vector<std::string> names = {"LOG-2009-06-01.txt"};
    for (char c = 'A'; c <= last; ++c) {
        names.push_back(std::string("LOG-2009-06-01-") + c + ".txt");
    }
    return names;
}

TEST_F(DailyLogTest, NameSearchSkipsExistingFilesAndLeavesThemUntouched) {
    struct Case {
        std::vector<std::string> existing;
        const char* created;
    };
    const Case cases[] = {
        {{}, "LOG-2009-06-01.txt"},
        {{"LOG-2009-06-01.txt", "LOG-2009-06-01-A.txt"}, "LOG-2009-06-01-B.txt"},
        // A gap is filled; the day before does not count.
        {{"LOG-2009-06-01.txt", "LOG-2009-06-01-B.txt", "LOG-2009-05-31.txt"},
         "LOG-2009-06-01-A.txt"},
        {AllNamesUpTo('Y'), "LOG-2009-06-01-Z.txt"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(Dir());
        std::filesystem::create_directories(Dir());
        for (const auto& name : c.existing) {
            WriteFile(File(name), "old " + name + "\n");
        }
        ASSERT_TRUE(OpenDailyLog(LogRecordsOf(state), kJune1)) << c.created;
        EXPECT_EQ(state.dailyLog.fileName, File(c.created).string());
        WriteRawLine(LogRecordsOf(state), "QMX_DATA", "new", kJune1);
        CloseDailyLog(state.dailyLog);
        EXPECT_EQ(ReadAll(File(c.created)), "QMX_DATA 2009-06-01 14:05:30CDT new\n");
        for (const auto& name : c.existing) {
            EXPECT_EQ(ReadAll(File(name)), "old " + name + "\n") << name;
        }
    }
    EXPECT_TRUE(messages.empty());
}

// A service restarted more than 27 times a day goes on in the day's last log instead of
// logging nothing; a record cut short there by a power cut is closed off first.
TEST_F(DailyLogTest, AllNamesTakenAppendsToTheLastName) {
    const std::string added =
        "QMX_DATA 2009-06-01 14:05:30CDT line\n"
        "2009-06-01 14:05:30CDT 150.0 120.0,  70.0  71.5   72.2 -9999.0 1   4.5      0.0\n";
    const struct {
        const char* last;  // the content of LOG-...-Z.txt (nullptr: a folder of that name)
        std::string after;
    } cases[] = {
        {"old\n", "old\n" + added},
        {"2009-06-01 14:0", "2009-06-01 14:0\n" + added},
        {"", added},
        {nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last == nullptr ? "folder" : c.last);
        std::filesystem::remove_all(Dir());
        std::filesystem::create_directories(Dir());
        for (const auto& name : AllNamesUpTo('Y')) {
            WriteFile(File(name), "old\n");
        }
        if (c.last != nullptr) {
            WriteFile(File("LOG-2009-06-01-Z.txt"), c.last);
        } else {
            std::filesystem::create_directory(File("LOG-2009-06-01-Z.txt"));
        }
        messages.clear();
        state.config.logData = 1;
        state.dailyLog.samplesLogged = 0;
        SetSample(kJune1);
        WriteRawLine(LogRecordsOf(state), "QMX_DATA", "line", kJune1);
        WriteSampleLine(LogRecordsOf(state));
        CloseDailyLog(state.dailyLog);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir()), {}), 27);
        EXPECT_EQ(ReadAll(File("LOG-2009-06-01-Y.txt")), "old\n");
        if (c.last == nullptr) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].first, "Cannot create Log file, logging disabled");
            EXPECT_EQ(state.config.logData, 0);
            continue;
        }
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(ReadAll(File("LOG-2009-06-01-Z.txt")), c.after);
        EXPECT_EQ(state.dailyLog.samplesLogged, 1);
    }
}

// The summary lands beside the log.
TEST_F(DailyLogTest, MissingParentsAndLongFoldersAreCreated) {
    const std::string deep = (Dir() / "no" / "such" / "parent" / "brennic").string();
    std::string longFolder = Dir().string();
    while (longFolder.size() < 600) {
        longFolder += "/a-rather-long-folder-name-for-the-log-files";
    }
    state.config.summaryEnable = 1;
    for (const std::string& folder : {deep, longFolder, deep + "/"}) {
        state.config.dataFolder = folder;
        SetSample(kJune1);
        WriteSampleLine(LogRecordsOf(state));
        CloseDailyLog(state.dailyLog);
        EXPECT_EQ(state.dailyLog.fileName,
                  (std::filesystem::path(folder) / "LOG-2009-06-01.txt").string());
        EXPECT_EQ(ReadLines(state.dailyLog.fileName).size(), 1u) << folder;
        EXPECT_FALSE(ReadLines(std::filesystem::path(folder) / "Summary.txt").empty()) << folder;
        std::filesystem::remove_all(Dir() / "no");
    }
    EXPECT_TRUE(messages.empty());
}

// The 1-based numbers of the samples whose lines are in `lines` (sample n at second 30 + n).
std::vector<int> SampleNumbers(const std::vector<std::string>& lines) {
    std::vector<int> numbers;
    for (const auto& line : lines) {
        numbers.push_back(std::stoi(line.substr(17, 2)) - 30);
    }
    return numbers;
}

// Both count down from the first sample; 0 and negative settings mean every sample (and the
// Start line only once), and the summary counts down with "Log Data" off too.
TEST_F(DailyLogTest, LogAndSummaryCountdowns) {
    std::vector<int> all(21);
    std::iota(all.begin(), all.end(), 1);
    const struct {
        int logData;
        int logEveryNth;
        int summaryEveryNth;
        std::vector<int> logged;  // sample numbers out of 21
        std::vector<int> statistics;
    } cases[] = {
        {1, 5, 10, {1, 6, 11, 16, 21}, {1, 11, 21}},
        {1, 1, 1, all, all},
        {1, 0, 0, all, all},
        {1, -3, -1, all, all},
        {1, 100, 1800, {1}, {1}},
        {0, 1, 10, {}, {1, 11, 21}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.logEveryNth) + " " + std::to_string(c.summaryEveryNth));
        AppState fresh;
        fresh.config = state.config;
        fresh.config.logData = c.logData;
        fresh.config.logEveryNth = c.logEveryNth;
        fresh.config.summaryEnable = 1;
        fresh.config.summaryEveryNth = c.summaryEveryNth;
        for (int i = 1; i <= 21; ++i) {
            fresh.processor.current.time = kJune1 + i;
            WriteSampleLine(LogRecordsOf(fresh));
        }
        CloseDailyLog(fresh.dailyLog);
        EXPECT_EQ(SampleNumbers(ReadLines(File("LOG-2009-06-01.txt"))), c.logged);
        EXPECT_EQ(fresh.dailyLog.samplesLogged, static_cast<int>(c.logged.size()));
        auto summary = ReadLines(File("Summary.txt"));
        ASSERT_FALSE(summary.empty());
        EXPECT_EQ(summary[0], "2009-06-01 14:05:31CDT Start");
        summary.erase(summary.begin());
        EXPECT_EQ(SampleNumbers(summary), c.statistics);
        std::filesystem::remove(File("LOG-2009-06-01.txt"));
        std::filesystem::remove(File("Summary.txt"));
    }
}

TEST_F(DailyLogTest, SwitchingLogDataOffClosesAndOnLogsTheNextSampleInANewFile) {
    state.config.logEveryNth = 10;
    SetSample(kJune1);
    WriteSampleLine(LogRecordsOf(state));  // logged: the first sample
    state.processor.current.time = kJune1 + 1;
    WriteSampleLine(LogRecordsOf(state));  // skipped
    state.config.logData = 0;
    LogDataSwitched(state.dailyLog, false);
    EXPECT_EQ(state.dailyLog.file, nullptr);
    state.config.logData = 1;
    LogDataSwitched(state.dailyLog, true);
    state.processor.current.time = kJune1 + 2;
    WriteSampleLine(LogRecordsOf(state));
    EXPECT_EQ(ReadLines(File("LOG-2009-06-01.txt")).size(), 1u);
    EXPECT_EQ(ReadLines(File("LOG-2009-06-01-A.txt")).size(), 1u);
}

// Without a new log at midnight the new day goes on in the same file (the split at midnight is
// checked with the processor, in ProcessorLive).
TEST_F(DailyLogTest, DayChangeWithoutNewLogFileAtMidnightKeepsTheFile) {
    state.config.newLogAtMidnight = 0;
    state.processor.current.time = 1243918740;  // 2009-06-01 23:59:00 CDT
    WriteSampleLine(LogRecordsOf(state));
    state.processor.current.time = 1243918830;  // 2009-06-02 00:00:30 CDT
    WriteDayEnd(LogRecordsOf(state));
    WriteSampleLine(LogRecordsOf(state));
    CloseDailyLog(state.dailyLog);
    const auto lines = ReadLines(File("LOG-2009-06-01.txt"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, 22), "2009-06-02 00:00:30CDT");
    EXPECT_FALSE(std::filesystem::exists(File("LOG-2009-06-02.txt")));
}

TEST_F(DailyLogTest, TestOffsetShiftsFileNamesAndRecordTimes) {
    SetTestTimeOffset(10 * 3600);  // 2009-06-02 00:05:30 CDT
    state.config.summaryEnable = 1;
    SetSample(kJune1);
    WriteRawLine(LogRecordsOf(state), "QMX_DATA", "line", kJune1);
    WriteSampleLine(LogRecordsOf(state));
    const auto lines = ReadLines(File("LOG-2009-06-02.txt"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "QMX_DATA 2009-06-02 00:05:30CDT line");
    EXPECT_EQ(lines[1].substr(0, 23), "2009-06-02 00:05:30CDT ");
    const auto summary = ReadLines(File("Summary.txt"));
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[0], "2009-06-02 00:05:30CDT Start");
    EXPECT_EQ(summary[1].substr(0, 23), "2009-06-02 00:05:30CDT ");
}

}  // namespace
}  // namespace brennic
