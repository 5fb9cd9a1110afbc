// A written daily log read back with the conversions the own-log reader uses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "core/LocalTime.h"
#include "logs/DailyLog.h"
#include "support/DataFilesFixture.h"

namespace brennic {
namespace {

using testing::kJan15;
using testing::kJune1;

struct ReadRecord {
    std::time_t time = 0;
    Sample sample;
    double collectorHeat = 0.0;
    double haHeat = 0.0;
    bool raw = false;
};

// The reader's rules: date and time tokens, zone from the last three characters of the time
// token (daylight time when its middle one is 'D'), then the long layout, else the short one.
bool ReadLine(const char* line, ReadRecord& r) {
    char date[256];
    char time[256];
    int rest = 0;
    if (std::sscanf(line, "%255s %255s %n", date, time, &rest) < 2) {
        return false;
    }
    if (std::strcmp(date, "QMX_DATA") == 0) {
        r.raw = true;
        return true;
    }
    std::tm tm{};
    if (std::sscanf(date, "%d-%d-%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday) < 3) {
        return false;
    }
    const std::size_t length = std::strlen(time);
    if (length < 3) {
        return false;
    }
    tm.tm_isdst = time[length - 2] == 'D' ? 1 : 0;
    time[length - 3] = '\0';
    if (std::sscanf(time, "%d:%d:%d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec) < 3) {
        return false;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    r.time = FromLocalTime(tm);

    Sample& s = r.sample;
    int pump = 0;
    int haPump = 0;
    const int n = std::sscanf(line + rest, "%f %f, %f %f %f %f %f %f %f %f %i %f %lf %i %f %lf\n",
                              &s[1], &s[2], &s[3], &s[4], &s[5], &s[6], &s[10], &s[11], &s[12],
                              &s[13], &pump, &s[9], &r.collectorHeat, &haPump, &s[16], &r.haHeat);
    if (n != 16) {
        std::sscanf(line + rest, "%f %f, %f %f %f %f %i %f %lf\n", &s[1], &s[2], &s[3], &s[4],
                    &s[5], &s[6], &pump, &s[9], &r.collectorHeat);
        s[10] = s[11] = s[12] = s[13] = kNoReading;
        haPump = 0;
        s[16] = 0.0f;
    }
    s[8] = static_cast<float>(pump);
    s[15] = static_cast<float>(haPump);
    return true;
}

class LogReadBackTest : public testing::DataFilesTest {
  protected:
    void TearDown() override {
        CloseDailyLog(state.dailyLog);
        DataFilesTest::TearDown();
    }
};

TEST_F(LogReadBackTest, WrittenRecordsReadBackFieldForField) {
    struct Written {
        std::time_t time;
        int oneWire;
        Sample sample;
        double collectorHeat;
        double haHeat;
    };
    std::vector<Written> written;
    const std::time_t times[] = {kJan15, kJune1, kJune1 + 60};
    for (std::size_t i = 0; i < 6; ++i) {
        state.config.oneWireEnable = static_cast<int>(i % 2);
        Sample& s = state.processor.current;
        s.time = times[i % 3] + static_cast<std::time_t>(i);
        for (int slot = 1; slot < kSlotCount; ++slot) {
            s[slot] = static_cast<float>(10 * slot + static_cast<int>(i)) + 0.5f;
        }
        s[kSlotAux4] = kNoReading;
        s[kSlotWAux2] = kBadToken;
        s[kSlotPump] = static_cast<float>(i % 2);
        s[kSlotHaPump] = static_cast<float>((i + 1) % 2);
        state.processor.collectorHeat.total = 1000.5 * static_cast<double>(i);
        state.processor.haHeat.total = 20.5 * static_cast<double>(i);
        WriteRawLine(LogRecordsOf(state), "QMX_DATA", "C 150 S 120", s.time);
        WriteSampleLine(LogRecordsOf(state));
        written.push_back({s.time, state.config.oneWireEnable, s,
                           state.processor.collectorHeat.total, state.processor.haHeat.total});
    }
    CloseDailyLog(state.dailyLog);

    std::FILE* file = std::fopen(File("LOG-2009-01-15.txt").c_str(), "r");
    ASSERT_NE(file, nullptr);
    std::vector<ReadRecord> read;
    char line[256];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        ReadRecord r;
        ASSERT_TRUE(ReadLine(line, r)) << line;
        if (!r.raw) {
            read.push_back(r);
        }
    }
    std::fclose(file);

    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        const Written& w = written[i];
        const ReadRecord& r = read[i];
        EXPECT_EQ(r.time, w.time) << i;
        for (int slot : {1, 2, 3, 4, 5, 6, 8, 9}) {
            EXPECT_EQ(r.sample[slot], w.sample[slot]) << i << " slot " << slot;
        }
        EXPECT_EQ(r.collectorHeat, w.collectorHeat) << i;
        for (int slot : {10, 11, 12, 13, 15, 16}) {
            const float expected = w.oneWire                  ? w.sample[slot]
                                   : slot == 15 || slot == 16 ? 0.0f
                                                              : kNoReading;
            EXPECT_EQ(r.sample[slot], expected) << i << " slot " << slot;
        }
        EXPECT_EQ(r.haHeat, w.oneWire ? w.haHeat : 0.0) << i;
    }
}

}  // namespace
}  // namespace brennic
