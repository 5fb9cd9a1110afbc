#include <gtest/gtest.h>

#include "core/AppState.h"
#include "links/ComLink.h"
#include "links/TestDataGenerator.h"
#include "support/LinkTestSupport.h"

namespace brennic {
namespace {

using namespace std::chrono_literals;

TEST(CRand, RepeatsTheCLibrarysPortableSequence) {
    CRand rand;  // unseeded: seed 1
    const int expected[] = {16838, 5758, 10113, 17515};
    for (int v : expected) {
        EXPECT_EQ(rand(), v);
    }
    rand.Seed(1);
    EXPECT_EQ(rand(), 16838);
}

// The fixed values of the examples: collector 170.5, storage 140.0, Aux-1 160.2, Aux-2 120.0,
// pump on, GPM 5.0, Aux-3 95.5.
TestDataSettings FixedSettings(int format) {
    TestDataSettings s;
    s.collector.value = 170.5;
    s.storage.value = 140.0;
    s.aux1.value = 160.2;
    s.aux2.value = 120.0;
    s.aux3.value = 95.5;
    s.gpm.value = 5.0;
    s.collectorPump = 1;
    s.haPump = 1;
    s.lineFormat = format;
    return s;
}

TEST(TestDataGenerator, FixedValuesGiveTheLinesOfEachFormatByteForByte) {
    const struct {
        int format;
        unsigned seed;
        int cycle;  // 1-based
        std::string line;
        std::string gpmLine;
    } cases[] = {
        {0, 1, 3, "00:12  170.5  140.0  08.0   110.0   160.2  120.0 ON   OFF abadabadoo  ", ""},
        {1, 11, 1, "00:00  170.5  140.0  08.0   110.0   160.2  120.0 ON   OFF abadabadoo  ",
         "GPM=5.0  FPL=157  AX3=95.5 KWH=0.0"},
        {2, 1, 1, "COL=170.5 STO=140.0 PKH=174.2 PKL=110.0 AX1=160.2 AX2=120.0 PMP=ON UPL=OFF", ""},
        {0, 1, 241, "24:00  170.5  140.0  08.0   110.0   160.2  120.0 ON   OFF abadabadoo  ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CRand rand(c.seed);
        TestDataGenerator generator(rand, DrawHeaderCountdown(rand));
        TestDataCycle cycle;
        for (int i = 0; i < c.cycle; ++i) {
            cycle = generator.Next(FixedSettings(c.format));
        }
        EXPECT_EQ(cycle.line, c.line);
        EXPECT_EQ(cycle.hasGpmLine, !c.gpmLine.empty());
        EXPECT_EQ(cycle.gpmLine, c.gpmLine);
    }
}

TEST(TestDataGenerator, HeaderComesInTheFirstCycleThenEveryTenth) {
    for (int start : {0, 1}) {
        CRand rand;
        TestDataGenerator generator(rand, start);
        std::vector<int> headerCycles;
        for (int cycle = 1; cycle <= 25; ++cycle) {
            if (generator.Next(FixedSettings(0)).header) {
                headerCycles.push_back(cycle);
            }
        }
        EXPECT_EQ(headerCycles, (std::vector<int>{1, 11, 21})) << "countdown " << start;
    }
}

TEST(TestDataGenerator, NoOneWireValuesWithoutOneWireData) {
    TestDataSettings s = FixedSettings(0);
    s.oneWireData = 0;
    s.collectorPump = 0;
    CRand rand;
    const TestDataCycle cycle = TestDataGenerator(rand, 5).Next(s);
    EXPECT_FALSE(cycle.writesOneWire);
    EXPECT_NE(cycle.line.find(" OFF   OFF abadabadoo"), std::string::npos) << cycle.line;
}

TEST(ComLinkTestData, ReaderPostsTheCycleAndWritesTheOneWireReadings) {
    AppState state;
    state.testData = FixedSettings(1);
    testing::QueueSink sink;
    int refusals = 0;
    ComLinkTiming timing;
    timing.testDataPeriod = 5ms;
    timing.endDelay = 0ms;
    ComLink link(
        state, sink, [&] { ++refusals; }, timing);
    link.SeedRandom(1);  // countdown 4, then FPL 153
    ASSERT_TRUE(link.StartTestData());
    EXPECT_EQ(link.Mode(), kModeTestData);
    EXPECT_EQ(sink.Lines(4),
              (std::vector<std::string>{
                  "00:00  170.5  140.0  08.0   110.0   160.2  120.0 ON   OFF abadabadoo  ", "",
                  "GPM=5.0  FPL=153  AX3=95.5 KWH=0.0", ""}));
    {
        StateGuard guard(state.lock);
        EXPECT_EQ(state.oneWire.currentValues,
                  (std::array<float, 4>{165.0f, 135.0f, 105.0f, 80.0f}));
        EXPECT_EQ(state.oneWire.switchState, 1);
    }
    EXPECT_FALSE(link.StartTestData());  // already running: nothing happens
    EXPECT_EQ(refusals, 0);
}

}  // namespace
}  // namespace brennic
