#include <gtest/gtest.h>

#include <ctime>

#include "core/LocalTime.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

// The remembered day must never change an answer: every quarter hour of two years, in zones
// with daylight saving at 2:00, at midnight, by half an hour, and none, the cache answers as
// localtime_r does (also after the zone changed and the cache was told to forget).
TEST(WeekdayCache, AnswersAsLocaltimeInEveryKindOfZone) {
    const char* const zones[] = {"America/Chicago", "America/Havana", "Australia/Lord_Howe",
                                 "Asia/Kolkata", "UTC"};
    WeekdayCache cache;
    for (const char* zone : zones) {
        ScopedTimeZone scoped(zone);
        cache.Forget();
        const std::time_t first = 1230768000;  // 2009-01-01 UTC
        for (std::time_t t = first; t < first + 2 * 365 * 86400; t += 900) {
            std::tm local{};
            ASSERT_NE(localtime_r(&t, &local), nullptr);
            ASSERT_EQ(cache.Weekday(t), local.tm_wday) << zone << " " << t;
        }
        // Back in time and to and fro across a day change, as replayed files may go.
        for (const std::time_t t : {first + 86399, first + 86400, first + 3, first + 86400 * 300,
                                    first + 86400 * 299 + 86399}) {
            std::tm local{};
            localtime_r(&t, &local);
            EXPECT_EQ(cache.Weekday(t), local.tm_wday) << zone << " " << t;
        }
    }
}

}  // namespace
}  // namespace brennic
