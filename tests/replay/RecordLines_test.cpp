#include "replay/RecordLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "replay/OwnLogReader.h"
#include "replay/ReplayTypes.h"
#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

using testing::Local;

int ParseAll(RecordLineParser& parser, const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
        RecordLine record;
        if (const int rc = parser.Parse(line, record); rc != kReadOk) {
            return rc;
        }
    }
    return kReadOk;
}

TEST(RecordLines, DataRecorderHeadersAndDatesAreValidated) {
    struct Case {
        std::vector<std::string> lines;
        int expected;
    } cases[] = {
        {{"DATE CST +DST\n", "DATE CST +DST\n"}, kReadOk},
        {{"DATE CST\n", "DATE CST  TIME  COLL-T\n"}, kReadOk},
        {{"DATE EST +DST\n"}, kReadOk},
        {{"DATE PST x\n", "DATE MST x\n"}, kContradictoryHeaders},
        {{"DATE CST +DST\n", "DATE CST\n"}, kContradictoryHeaders},
        {{"DATE CST\n", "DATE CST +DST\n"}, kContradictoryHeaders},
        {{"DATE CDT\n"}, kDateTimeFormat},
        {{"DATE GMT\n"}, kDateTimeFormat},
        {{"DATE CSTX +DST\n"}, kDateTimeFormat},
        {{"DATE\n"}, kDateTimeFormat},
        {{"06/01/2009\n"}, kDateTimeFormat},
        {{"06/01 14:00:00 x\n"}, kDateTimeFormat},
        {{"06/01/2009 14:00 x\n"}, kDateTimeFormat},
        {{"06/01/2009 14:00:00:99 x\n", "\n"}, kReadOk},
        // Out-of-range fields that mktime normalizes are accepted as it does; ones at the ends
        // of int (a damaged record) are refused, with or without a header, before any
        // arithmetic on them.
        {{"-2147483648/01/2009 14:05:30 1:00\n"}, kDateTimeFormat},
        {{"DATE CST +DST\n", "-2147483648/01/2009 14:05:30 1:00\n"}, kDateTimeFormat},
        {{"01/01/-2147483648 14:05:30 1:00\n"}, kDateTimeFormat},
        {{"DATE CST +DST\n", "01/01/-2147483648 14:05:30 1:00\n"}, kDateTimeFormat},
        {{"-2147483648/-2147483648/-2147483648 14:05:30 1:00\n"}, kDateTimeFormat},
        {{"DATE CST +DST\n", "-2147483648/-2147483648/-2147483648 14:05:30 1:00\n"},
         kDateTimeFormat},
        {{"01/-2147483648/2009 14:05:30 1:00\n"}, kReadOk},  // a day far back, as mktime says
        {{"DATE CST +DST\n", "01/-2147483648/2009 14:05:30 1:00\n"}, kReadOk},
        {{"2147483647/01/2009 14:05:30 1:00\n"}, kReadOk},
        {{"DATE CST +DST\n", "2147483647/01/2009 14:05:30 1:00\n"}, kReadOk},
        {{"01/01/2147483647 14:05:30 1:00\n"}, kDateTimeFormat},
        {{"DATE CST +DST\n", "01/01/2147483647 14:05:30 1:00\n"}, kDateTimeFormat},
        {{"12/31/1999999999 14:05:30 1:00\n"}, kReadOk},
        {{"DATE CST +DST\n", "12/31/1999999999 14:05:30 1:00\n"}, kReadOk},
    };
    ScopedTimeZone zone("America/Chicago");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.front() + c.lines.back());
        RecordLineParser parser(LogFormat::kDataRecorder);
        EXPECT_EQ(ParseAll(parser, c.lines), c.expected);
    }
}

// Record times are in the zone the header declares, whatever zone the machine is in (a Pi
// often runs in UTC).
TEST(RecordLines, DataRecorderTimesFollowTheHeaderZoneAndDaylightFlag) {
    const struct {
        const char* header;
        std::time_t time;  // of 06/01/2009 14:05:30
    } headers[] = {
        {"DATE CST +DST\n", 1243883130},  // 19:05:30 UTC
        {"DATE CST\n", 1243883130 + 3600},     {"DATE EST +DST\n", 1243883130 - 3600},
        {"DATE PST\n", 1243883130 + 3 * 3600}, {"DATE MST +DST\n", 1243883130 + 3600},
    };
    for (const char* tz : {"America/Chicago", "UTC", "Europe/Berlin", "America/New_York"}) {
        ScopedTimeZone zone(tz);
        for (const auto& h : headers) {
            RecordLineParser parser(LogFormat::kDataRecorder);
            RecordLine record;
            ASSERT_EQ(parser.Parse(h.header, record), kReadOk);
            EXPECT_EQ(record.kind, RecordLine::kHeader);
            ASSERT_EQ(parser.Parse("06/01/2009   14:05:30   1:00 120.0 OFF\n", record), kReadOk);
            EXPECT_EQ(record.kind, RecordLine::kData);
            EXPECT_EQ(record.time, h.time) << tz << " " << h.header;
            EXPECT_EQ(record.content, "1:00 120.0 OFF\n");
            // Across midnight and into a new month, from the cached day.
            ASSERT_EQ(parser.Parse("05/31/2009 23:59:59\n", record), kReadOk);
            EXPECT_EQ(record.time, h.time - 14 * 3600 - 5 * 60 - 31) << tz << " " << h.header;
            ASSERT_EQ(parser.Parse("13/01/2009 14:05:30\n", record), kReadOk);  // as mktime
            EXPECT_EQ(record.time, h.time + (365 - 151) * 86400) << tz << " " << h.header;
        }
    }
}

TEST(RecordLines, DayCacheAgreesWithMktimeAcrossDaylightChanges) {
    // The 2009 changeover days of the three zones and a day after each, both daylight flags.
    const int dates[][2] = {{3, 8}, {3, 9}, {3, 29}, {3, 30}, {4, 5}, {10, 4}, {10, 25}, {11, 1}};
    for (const char* tz : {"America/Chicago", "Europe/Berlin", "Australia/Sydney"}) {
        ScopedTimeZone zone(tz);
        LocalDayCache cache;
        for (const auto& [month, day] : dates) {
            for (int i = 0; i < 2 * 24 * 60; i += 37) {
                const int dst = i / (24 * 60), hour = i % (24 * 60) / 60, minute = i % 60;
                std::time_t got = 0;
                ASSERT_TRUE(cache.ToTime(2009, month, day, hour, minute, 17, dst != 0, got));
                ASSERT_EQ(got, Local(2009, month, day, hour, minute, 17, dst))
                    << tz << " " << month << "/" << day << " " << i;
            }
        }
    }
}

TEST(RecordLines, OwnLogDaylightComesFromTheSystemsOwnZoneNames) {
    struct Case {
        const char* tz;
        const char* line;
        int dst;  // the daylight flag the time must have been read with
    } cases[] = {
        {"America/Chicago", "2009-06-01 14:05:30CDT 1 2, 3 4  5 6 1 5.0 0.0\n", 1},
        {"America/Chicago", "2009-01-01 14:05:30CST 1 2, 3 4  5 6 1 5.0 0.0\n", 0},
        {"Europe/Berlin", "2009-06-01 14:05:30CEST 1 2, 3 4  5 6 1 5.0 0.0\n", 1},
        {"Europe/Berlin", "2009-01-01 14:05:30CET 1 2, 3 4  5 6 1 5.0 0.0\n", 0},
        {"Europe/London", "2009-06-01 14:05:30BST 1 2, 3 4  5 6 1 5.0 0.0\n", 1},
        {"Europe/London", "2009-01-01 14:05:30GMT 1 2, 3 4  5 6 1 5.0 0.0\n", 0},
        {"Australia/Sydney", "2009-01-01 14:05:30AEDT 1 2, 3 4  5 6 1 5.0 0.0\n", 1},
        {"Australia/Sydney", "2009-06-01 14:05:30AEST 1 2, 3 4  5 6 1 5.0 0.0\n", 0},
        // Not the system's names: the middle of the last three letters decides.
        {"Europe/Berlin", "2009-06-01 14:05:30CDT 1 2, 3 4  5 6 1 5.0 0.0\n", 1},
        {"Europe/Berlin", "2009-06-01 14:05:30EST 1 2, 3 4  5 6 1 5.0 0.0\n", 0},
        {"Asia/Kolkata", "2009-06-01 14:05:30IST 1 2, 3 4  5 6 1 5.0 0.0\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tz) + " " + c.line);
        ScopedTimeZone zone(c.tz);
        RecordLineParser parser(LogFormat::kOwnLog);
        RecordLine record;
        ASSERT_EQ(parser.Parse(c.line, record), kReadOk);
        ASSERT_EQ(record.kind, RecordLine::kData);
        const int month = c.line[6] - '0';
        EXPECT_EQ(record.time, Local(2009, month, 1, 14, 5, 30, c.dst));
        EXPECT_EQ(record.content, "1 2, 3 4  5 6 1 5.0 0.0\n");
    }
}

TEST(RecordLines, OwnLogLinesThatAreNotSamples) {
    struct Case {
        const char* line;
        int rc;
        RecordLine::Kind kind;
    } cases[] = {
        {"\n", kReadOk, RecordLine::kSkip},
        {"QMX_DATA 2009-06-01 14:05:30CDT 1:00 120.0\n", kReadOk, RecordLine::kSkip},
        {"QMX_DATA\n", kDateTimeFormat, RecordLine::kSkip},
        {"2009-06-01\n", kDateTimeFormat, RecordLine::kSkip},
        {"2009/06/01 14:05:30CDT 1\n", kDateTimeFormat, RecordLine::kData},
        {"2009-06-01 14:05CDT 1\n", kDateTimeFormat, RecordLine::kData},
        {"DATE CST\n", kDateTimeFormat, RecordLine::kData},
        // A record cut short with the next glued to it must not read as a far-off time.
        {"2009-06-2009-06-01 14:05:30CDT 1\n", kDateTimeFormat, RecordLine::kData},
        {"2009-06-01 14:00:2009-06-01 1\n", kDateTimeFormat, RecordLine::kData},
        {"22009-06-01 14:05:30CDT 1\n", kDateTimeFormat, RecordLine::kData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        RecordLineParser parser(LogFormat::kOwnLog);
        RecordLine record;
        EXPECT_EQ(parser.Parse(c.line, record), c.rc);
        if (c.rc == kReadOk) {
            EXPECT_EQ(record.kind, c.kind);
        }
    }
}

TEST(RecordLines, NumbersReadAsTheCConversionsRead) {
    struct Case {
        const char* text;
        bool ok;
        double value;
        std::size_t used;
    } floats[] = {
        {"+5", true, 5.0, 2},         {" 1e2x", true, 100.0, 4},      {"08.0", true, 8.0, 4},
        {"12.5abc", true, 12.5, 4},   {".5", true, 0.5, 2},           {"-", false, 0, 0},
        {"OPEN.S", false, 0, 0},      {"-9999.0,", true, -9999.0, 7}, {"+-1", false, 0, 0},
        {"1e999", true, HUGE_VAL, 5},
    };
    for (const auto& c : floats) {
        SCOPED_TRACE(c.text);
        const std::string s = c.text;
        double v = 0.0;
        const char* next = ScanDouble(s.data(), s.data() + s.size(), v);
        ASSERT_EQ(next != nullptr, c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
            EXPECT_EQ(static_cast<std::size_t>(next - s.data()), c.used);
        }
    }
    struct IntCase {
        const char* text;
        bool ok;
        int value;
    } ints[] = {{"1", true, 1},     {"-3", true, -3}, {"012", true, 10},
                {"0x1F", true, 31}, {"09", true, 0},  {"x", false, 0},
                {"", false, 0},     {"+7", true, 7},  {"99999999999", true, 2147483647}};
    for (const auto& c : ints) {
        SCOPED_TRACE(c.text);
        const std::string s = c.text;
        int v = -1;
        const char* next = ScanInteger(s.data(), s.data() + s.size(), v);
        ASSERT_EQ(next != nullptr, c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

// The long layout, the short one (no WAux values) and a record that stops early (keeps what
// did read; the rest stays 0).
TEST(RecordLines, SampleRecordsOfBothLayouts) {
    constexpr float kNo = -9999.0f;
    const struct {
        const char* record;
        float expected[kSlotCount];
    } cases[] = {
        {"140.5 120.0, 110.0 100.0  -9999.0 -9999.0  90.0  80.0  70.0  60.0 1   5.0   1234.5 0   "
         "2.5    99.0\n",
         {0, 140.5f, 120.0f, 110.0f, 100.0f, kNo, kNo, 0, 1, 5.0f, 90.0f, 80.0f, 70.0f, 60.0f, 0, 0,
          2.5f}},
        {"140.5 120.0, 110.0 100.0  -9999.0 -9999.0 1   5.0   1234.5\n",
         {0, 140.5f, 120.0f, 110.0f, 100.0f, kNo, kNo, 0, 1, 5.0f, kNo, kNo, kNo, kNo, 0, 0, 0}},
        {"140.5 120.0 110.0\n", {0, 140.5f, 120.0f, 0, 0, 0, 0, 0, 0, 0, kNo, kNo, kNo, kNo}},
    };
    for (const auto& c : cases) {
        Sample s;
        ParseSampleRecord(c.record, s);
        for (int slot = 1; slot < kSlotCount; ++slot) {
            EXPECT_EQ(s[slot], c.expected[slot]) << c.record << " slot " << slot;
        }
    }
}

}  // namespace
}  // namespace brennic
