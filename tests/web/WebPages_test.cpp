#include "web/WebPages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "core/AppState.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "web/WebCounters.h"

namespace brennic {
namespace {

std::string ReadFixture(const std::string& name) {
    return testing::ReadAll(std::string(BRENNIC_SOURCE_DIR) + "/tests/fixtures/web/" + name);
}

// Sets one value in each of the five statistics of a slot.
void Stats(PageSnapshot& s, Slot slot, float cur, float max, float min, float dayMax,
           float dayMin) {
    s.current[slot] = cur;
    s.stats.maximum[slot] = max;
    s.stats.minimum[slot] = min;
    s.stats.dayMax[slot] = dayMax;
    s.stats.dayMin[slot] = dayMin;
}

PageSnapshot GoldenSnapshot() {
    PageSnapshot s;
    s.siteId = "Lake \"North\" House";
    s.intervalMinutes = 15;
    s.oneWireEnable = 1;
    s.uploadNumber = 42;
    s.localNow.tm_year = 124;
    s.localNow.tm_mon = 2;
    s.localNow.tm_mday = 7;
    s.localNow.tm_hour = 9;
    s.localNow.tm_min = 5;
    s.localNow.tm_sec = 3;
    s.links = {true, true, 3};
    s.firstSampleTime = 1700000000;
    s.current.time = s.firstSampleTime + 30 * 3600 + 2 * 60 + 5;  // hours run past 24
    s.current[kSlotPump] = 1;
    s.current[kSlotFlow] = 3.456f;
    s.current[kSlotHaPump] = 0;
    s.current[kSlotHaFlow] = 12.5f;
    s.collectorPump.totalOnSeconds = 9000;
    s.collectorPump.cycles = 7;
    s.haPump.totalOnSeconds = 1800;
    s.haPump.cycles = 2;
    s.sampleCount = 3891;
    s.samplesSaved = 129;
    s.samplesLogged = 130;
    s.openSensors = 2;
    s.dataErrors = 1;
    s.channels = DefaultChannelTable();
    s.channels[kChCollector].shortName = "Roof";
    s.channels[kChCollector].longName = "Roof Collector";

    Stats(s, kSlotCollector, 145.25f, 180.0f, 40.5f, 150.0f, 60.0f);  // 145.25: a tie
    Stats(s, kSlotStorage, 120.0f, 125.5f, 100.0f, 125.5f, 110.0f);
    Stats(s, kSlotAux1, kNoReading, 90.0f, 50.0f, kNoReading, kDayMinStart);
    Stats(s, kSlotAux2, kBadToken, kBadToken, kNoReading, kDayMinStart, kBadToken);
    Stats(s, kSlotAux3, kDayMinStart, 0.0f, -0.04f, -12.34f, kNoReading);
    Stats(s, kSlotAux4, kNoReading, kNoReading, kNoReading, kNoReading, kDayMinStart);
    Stats(s, kSlotWAux1, 70.06f, 71.0f, 69.0f, 71.0f, 69.0f);
    Stats(s, kSlotWAux2, 65.0f, 65.0f, 65.0f, 65.0f, 65.0f);
    Stats(s, kSlotWAux3, kNoReading, kNoReading, kDayMinStart, kNoReading, kDayMinStart);
    Stats(s, kSlotWAux4, kNoReading, kNoReading, kNoReading, kNoReading, kNoReading);

    s.collectorHeat.total = 16777217.0;  // prints as its single-precision value
    s.collectorHeat.dayHeat = 2345.67;
    s.collectorHeat.rate = 1.5;
    s.collectorHeat.maxRate = 2.25;
    s.collectorHeat.dayMaxRate = 2.0;
    s.haHeat.rate = 0.5;
    s.haHeat.maxRate = 1.0;
    s.haHeat.dayMaxRate = 0.75;
    return s;
}

TEST(WebPages, PagesMatchTheirGoldenText) {
    EXPECT_EQ(WriteStatsPage(GoldenSnapshot()), ReadFixture("BRN_Stats.htm"));
    EXPECT_EQ(WriteProbesPage(GoldenSnapshot()), ReadFixture("BRN_Probes.htm"));
}

std::string LineWithKey(const std::string& page, const std::string& key) {
    std::istringstream in(page);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + " ", 0) == 0) {
            return line;
        }
    }
    return "";
}

TEST(WebPages, StatsLinesFollowLinksAndCounters) {
    struct Case {
        const char* what;
        void (*change)(PageSnapshot&);
        const char* key;
        const char* line;
    };
    const Case cases[] = {
        {"no One-Wire link: no heat-assist flow, unpadded",
         [](PageSnapshot& s) { s.links.oneWireActive = false; }, "\"hapump_flow_rate\"",
         "\"hapump_flow_rate\" \"HA Pump Flow Rate\" \"0.00\""},
        {"One-Wire link state", [](PageSnapshot& s) { s.links.oneWireActive = false; },
         "\"onewire_state\"", "\"onewire_state\" \"One Wire State\" \"Inactive\""},
        {"One-Wire disabled", [](PageSnapshot& s) { s.oneWireEnable = 0; }, "\"onewire_enable\"",
         "\"onewire_enable\" \"One Wire Enabled\" \"No\""},
        {"no elapsed time: duty cycle 0",
         [](PageSnapshot& s) { s.current.time = s.firstSampleTime; }, "\"pump_duty_cycle\"",
         "\"pump_duty_cycle\" \"Pump Duty Cycle\" \" 0.00\""},
        {"heat-assist pump on", [](PageSnapshot& s) { s.current[kSlotHaPump] = 1; },
         "\"hapump_state\"", "\"hapump_state\" \"HA Pump State\" \"On\""},
        {"open flow reading keeps its width",
         [](PageSnapshot& s) { s.current[kSlotFlow] = kNoReading; }, "\"pump_flow_rate\"",
         "\"pump_flow_rate\" \"Pump Flow Rate\" \"-9999.00\""},
    };
    for (const Case& c : cases) {
        PageSnapshot s = GoldenSnapshot();
        c.change(s);
        EXPECT_EQ(LineWithKey(WriteStatsPage(s), c.key), c.line) << c.what;
    }
}

TEST(WebPages, FormatFixedAgreesWithPrintfInTheCLocale) {
    const double values[] = {0.0,    -0.0,   0.125, 0.375,    2.5,    -0.04,   3.456f,
                             70.06f, 145.25, 1e9,   -9999.0,  9999.0, 123.456, 99.995,
                             0.005,  1.005,  1e-7,  16777216, 5400.0, -12.34f};
    for (double v : values) {
        for (int precision : {1, 2}) {
            char expected[128];
            std::snprintf(expected, sizeof expected, "%5.*f", precision, v);
            EXPECT_EQ(FormatFixed(v, precision, 5), expected) << v << " " << precision;
        }
    }
}

TEST(WebPages, SnapshotCopiesTheSharedValues) {
    ScopedTimeZone zone("UTC0");
    AppState state;
    state.config.siteId = "Home";
    state.processor.sampleCount = 12;
    state.processor.current[kSlotStorage] = 101.5f;
    state.processor.stats.dayMin[kSlotStorage] = 99.0f;
    for (int i = 0; i < 3; ++i) {
        state.processor.history.Append(Sample{}, 2);
    }
    state.dailyLog.samplesLogged = 6;
    state.channels[kChStorage].longName = "Tank";

    const PageSnapshot s = TakePageSnapshot(state, {true, false, 8}, 17, 1709802303);
    EXPECT_EQ(s.siteId, "Home");
    EXPECT_EQ(s.uploadNumber, 17);
    EXPECT_TRUE(s.links.comActive);
    EXPECT_EQ(s.links.oneWireTimeouts, 8);
    EXPECT_EQ(s.sampleCount, 12);
    EXPECT_EQ(s.samplesSaved, 2);
    EXPECT_EQ(s.samplesLogged, 6);
    EXPECT_EQ(LineWithKey(WriteProbesPage(s), "\"storage\""),
              "\"storage\" \"Storage\" \"Tank\" 101.5,0.0,0.0,0.0,99.0");
    // 1709802303 is 2024-03-07 09:05:03 UTC.
    EXPECT_NE(WriteStatsPage(s).find("\"time\" \"Time\" \"09:05:03\"\n"), std::string::npos);
}

TEST(WebCounters, EachCodeHasItsMessageAndCounter) {
    struct Case {
        int code;
        const char* message;
        int WebCounters::*counter;
    };
    const Case cases[] = {
        {100, "Can not connect to Internet", &WebCounters::connectErrors},
        {200, "Site ID unknown", &WebCounters::loginErrors},
        {301, "User ID/Password unknown", &WebCounters::loginErrors},
        {302, "Bad login information", &WebCounters::loginErrors},
        {303, "Bad server path", &WebCounters::loginErrors},
        {400, "Error opening file", &WebCounters::fileErrors},
        {601, "Error renaming file", &WebCounters::fileErrors},
        {900, "Error getting screen image", &WebCounters::screenFileErrors},
        {700, "Unknown error", nullptr},
    };
    for (const Case& c : cases) {
        WebCounters counters;
        counters.lastErrorText = "550 refused";
        EXPECT_EQ(CountWebError(counters, c.code), c.message) << c.code;
        EXPECT_EQ(counters.lastErrorText, c.message);
        EXPECT_EQ(counters.errors, 1);
        const int all = counters.connectErrors + counters.loginErrors + counters.fileErrors +
                        counters.screenFileErrors + counters.screenErrors + counters.timeoutErrors;
        EXPECT_EQ(all, c.counter != nullptr ? 1 : 0) << c.code;
        if (c.counter != nullptr) {
            EXPECT_EQ(counters.*c.counter, 1) << c.code;
        }
    }
}

}  // namespace
}  // namespace brennic
