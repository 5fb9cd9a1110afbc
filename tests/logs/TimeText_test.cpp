#include "logs/TimeText.h"

#include <gtest/gtest.h>

#include "core/LocalTime.h"
#include "support/DataFilesFixture.h"

namespace brennic {
namespace {

using testing::kJan15;
using testing::kJune1;

// The record time in several zones, then every conversion.
TEST(TimeText, EveryConversionInSeveralZones) {
    constexpr std::string_view kRecord = kTimeTextFormat;
    const char* const chicago = "America/Chicago";
    const struct {
        const char* zone;
        std::time_t t;
        std::string_view format;
        const char* expected;
    } cases[] = {
        {chicago, kJune1, kRecord, "2009-06-01 14:05:30CDT"},
        {chicago, kJan15, kRecord, "2009-01-15 08:07:09CST"},
        {"Europe/Berlin", kJune1, kRecord, "2009-06-01 21:05:30CEST"},
        {"Europe/Berlin", kJan15, kRecord, "2009-01-15 15:07:09CET"},
        // A zone whose system name is numeric.
        {"America/Sao_Paulo", 1593573300, kRecord, "2020-07-01 00:15:00-03"},
        {"UTC", kJune1, kRecord, "2009-06-01 19:05:30UTC"},
        // Abbreviations are cut to seven characters.
        {"ABCDEFGHIJ5", kJune1, kRecord, "2009-06-01 14:05:30ABCDEFG"},
        {chicago, kJune1, "%% %B %b %d %H %I %M %S %m %p %Y %y %z %Z",
         "% June JUN 01 14 02 05 30 06 PM 2009 09 CDT CDT"},
        // Midnight is 12 AM; noon is 12 PM.
        {chicago, 1232006400, "%B %b %d %H %I %p %y", "January JAN 15 02 02 AM 09"},
        {chicago, 1231999200, "%H %I %p", "00 12 AM"},
        {chicago, 1232042400, "%H %I %p", "12 12 PM"},
        {chicago, 1230789600, "%b %B", "JAN January"},
        {chicago, 1259647200, "%b %B", "DEC December"},
        // Unknown conversions and a trailing % stay as they are.
        {chicago, kJune1, "LOG-%Y-%m-%d %j %", "LOG-2009-06-01 %j %"},
        {chicago, kJune1, "", ""},
    };
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(FormatTime(c.format, c.t), c.expected) << c.zone << " " << c.format;
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
