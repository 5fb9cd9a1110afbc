#include "logs/TimeText.h"

#include <gtest/gtest.h>

#include "core/LocalTime.h"
#include "support/DataFilesFixture.h"

namespace brennic {
namespace {

using testing::kJan15;
using testing::kJune1;

TEST(TimeText, RecordTimeInSeveralZones) {
    struct Case {
        const char* zone;
        std::time_t t;
        const char* expected;
    };
    const Case cases[] = {
        {"America/Chicago", kJune1, "2009-06-01 14:05:30CDT"},
        {"America/Chicago", kJan15, "2009-01-15 08:07:09CST"},
        {"Europe/Berlin", kJune1, "2009-06-01 21:05:30CEST"},
        {"Europe/Berlin", kJan15, "2009-01-15 15:07:09CET"},
        // A zone whose system name is numeric.
        {"America/Sao_Paulo", 1593573300, "2020-07-01 00:15:00-03"},
        {"UTC", kJune1, "2009-06-01 19:05:30UTC"},
        // Abbreviations are cut to seven characters.
        {"ABCDEFGHIJ5", kJune1, "2009-06-01 14:05:30ABCDEFG"},
    };
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(TimeText(c.t), c.expected) << c.zone;
    }
}

TEST(TimeText, EveryConversion) {
    ScopedTimeZone zone("America/Chicago");
    struct Case {
        std::time_t t;
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {kJune1, "%% %B %b %d %H %I %M %S %m %p %Y %y %z %Z",
         "% June JUN 01 14 02 05 30 06 PM 2009 09 CDT CDT"},
        // Midnight is 12 AM; noon is 12 PM.
        {1232006400, "%B %b %d %H %I %p %y", "January JAN 15 02 02 AM 09"},
        {1231999200, "%H %I %p", "00 12 AM"},
        {1232042400, "%H %I %p", "12 12 PM"},
        {1230789600, "%b %B", "JAN January"},
        {1259647200, "%b %B", "DEC December"},
        // Unknown conversions and a trailing % stay as they are.
        {kJune1, "LOG-%Y-%m-%d %j %", "LOG-2009-06-01 %j %"},
        {kJune1, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatTime(c.format, c.t), c.expected) << c.format;
    }
}

TEST(TimeText, TestOffsetShiftsTheTimeAndTheZoneFollowsTheShiftedTime) {
    ScopedTimeZone zone("America/Chicago");
    SetTestTimeOffset(3600);
    EXPECT_EQ(TimeText(kJune1), "2009-06-01 15:05:30CDT");
    // 2009-03-08 01:30 CST plus one hour falls after the switch to daylight time.
    EXPECT_EQ(TimeText(1236497400), "2009-03-08 03:30:00CDT");
    SetTestTimeOffset(-86400);
    EXPECT_EQ(TimeText(kJune1), "2009-05-31 14:05:30CDT");
    SetTestTimeOffset(0);
    EXPECT_EQ(TimeText(1236497400), "2009-03-08 01:30:00CST");
}

}  // namespace
}  // namespace brennic
