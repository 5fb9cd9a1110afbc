#include "core/MessageProcessor.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/ProcessorTestSupport.h"

namespace brennic {
namespace {

using test::Feed;
using test::kNoon;
using test::Positional;
using test::Prepare;

const std::string kFirst = Positional("150.2", "120.5", "140.3", "130.1", "ON", "OFF FLT");
const std::string kGpm = "GPM=2.5  FPL=3  AX3=98.5 KWH=1.5";

TEST(MessageProcessor, ClassifiesLinesOfEveryModel) {
    struct Case {
        const char* what;
        int model;
        std::vector<std::string> lines;
        int lastResult;
        int dataErrors;
        int openSensors;
        int samples;
    };
    const std::string ok0 = Positional("150.2", "120.5", "140.3", "130.1", "ON");
    const std::string ok2 = "COL=150.2 STO=120.5 PKH=180.0 PKL=10.0 AX1=140.3 AX2=130.1 PMP=ON ON";
    const std::string bad0 = Positional("abc", "1", "2", "3", "ON");
    const std::string open0 = Positional("OPEN.S", "1", "OPEN.S", "3", "ON");
    const Case cases[] = {
        {"model 0 report", 0, {ok0}, kProcessedSaved, 0, 0, 1},
        {"Data Recorder heading", 0, {"RUNTIME COLL-T STOR-T"}, kNothingToProcess, 0, 0, 0},
        {"blank line", 0, {" \t\r\n"}, kNothingToProcess, 0, 0, 0},
        {"eight tokens", 0, {"12:00 1 2 3 4 5 6 ON"}, kNothingToProcess, 1, 0, 0},
        {"token 0 a letter", 0, {"Fault 1 2 3 4 5 6 ON OFF"}, kDataError, 1, 0, 0},
        {"value without a number", 0, {bad0}, kDataError, 2, 0, 0},
        {"differential must convert", 0, {"12:00 1 2 x 4 5 6 ON OFF"}, kDataError, 2, 0, 0},
        {"open sensors", 0, {open0}, kProcessedSaved, 0, 2, 1},
        {"model 2 report", 2, {ok2}, kProcessedSaved, 0, 0, 1},
        {"model 2 no =", 2, {"COL=1 STO 3 PKL=4 AX1=5 AX2=6 PMP=ON ON"}, kDataError, 1, 0, 0},
        {"model 2 letters", 2, {"STO=2 STO=2 PKH=3 PKL=4 AX1=5 AX2=6 P ON"}, kDataError, 1, 0, 0},
        {"model 1 first line waits", 1, {kFirst}, kNothingToProcess, 0, 0, 0},
        {"model 1 report", 1, {kFirst, kGpm}, kProcessedSaved, 0, 0, 1},
        {"model 1 GPM line alone", 1, {kGpm}, kDataError, 1, 0, 0},
        {"model 1 bad GPM", 1, {kFirst, "GPM=x FPL=3 AX3=98.5 KWH=1.5"}, kDataError, 2, 0, 0},
        {"model 1 two first lines", 1, {kFirst, kFirst, kGpm}, kProcessedSaved, 1, 0, 1},
        {"model 1 short line drops it", 1, {kFirst, "12:00 1 2", kGpm}, kDataError, 2, 0, 0},
        {"model 1 GPM line of five tokens", 1, {kFirst, kGpm + " X=1"}, kNothingToProcess, 1, 0, 0},
    };
    for (const auto& c : cases) {
        AppState state;
        Prepare(state, c.model);
        int result = 99;
        std::time_t t = kNoon;
        for (const auto& line : c.lines) {
            result = Feed(state, line, t += 2);
        }
        const auto& p = state.processor;
        EXPECT_EQ(result, c.lastResult) << c.what;
        EXPECT_EQ(p.dataErrors, c.dataErrors) << c.what;
        EXPECT_EQ(p.openSensors, c.openSensors) << c.what;
        EXPECT_EQ(p.sampleCount, c.samples) << c.what;
        EXPECT_EQ(p.receivedLines, static_cast<int>(c.lines.size())) << c.what;
    }
}

// Live lines of 85 characters or more are noise and dropped unread; 84 still count.
TEST(MessageProcessor, LiveLinesFrom85CharactersOnAreDropped) {
    for (const auto& [length, samples] : {std::pair{84, 1}, std::pair{85, 0}, std::pair{86, 0}}) {
        AppState state;
        Prepare(state, 0);
        std::string line = Positional("150.2", "120.5", "140.3", "130.1", "ON");
        line.resize(static_cast<std::size_t>(length), ' ');
        StateGuard guard(state.lock);
        ProcessLiveLine(state, line, kNoon);
        EXPECT_EQ(state.processor.sampleCount, samples) << length;
    }
}

TEST(MessageProcessor, FillsTheSampleFromEachLineForm) {
    AppState state;
    Prepare(state, 1);
    state.oneWire.currentValues = {61.5f, 62.5f, kNoReading, 64.5f};
    state.oneWire.switchState = 1;
    state.config.haFlowGpm = 3.5;
    auto& p = state.processor;

    // A first line, then a GPM line with flow 2.5 and AX3 open.
    ASSERT_EQ(Feed(state, kFirst, kNoon + 2), kNothingToProcess);
    ASSERT_EQ(Feed(state, "GPM=2.5  FPL=3  AX3=OPEN.S KWH=1.5", kNoon + 4), kProcessedSaved);
    const Sample& s = p.current;
    EXPECT_FALSE(p.pendingFirstLine);
    EXPECT_EQ(s.time, kNoon + 4);
    const std::pair<int, float> slots[] = {
        {kSlotCollector, 150.2f}, {kSlotStorage, 120.5f},  {kSlotAux1, 140.3f}, {kSlotAux2, 130.1f},
        {kSlotAux3, kNoReading},  {kSlotAux4, kNoReading}, {kSlotPump, 1.0f},   {kSlotFlow, 2.5f},
        {kSlotWAux4, 64.5f},      {kSlotHaFlow, 3.5f}};
    for (const auto& [slot, value] : slots) {
        EXPECT_FLOAT_EQ(s[slot], value) << slot;
    }
    EXPECT_EQ(p.openSensors, 1);
    EXPECT_FLOAT_EQ(p.differential, 10.0f);
    EXPECT_FLOAT_EQ(p.highLimit, 180.0f);
    EXPECT_EQ(p.uplText, "OFF");
    EXPECT_EQ(p.faultText, "FLT");
    // Model 2: KEY=value by position, Aux-3 absent, the fixed flow while the pump runs.
    state.config.controllerType = 2;
    state.config.fixedFlowGpm = 4.0;
    state.oneWire.switchState = 0;
    ASSERT_EQ(
        Feed(state, "COL=151 STO=121 PKH=185 PKL=12 AX1=141 AX2=131 PMP=ON UPL=OFF", kNoon + 6),
        kProcessedSaved);
    EXPECT_FLOAT_EQ(s[kSlotCollector], 151.0f);
    EXPECT_FLOAT_EQ(p.differential, 12.0f);
    EXPECT_EQ(s[kSlotAux3], kNoReading);
    EXPECT_FLOAT_EQ(s[kSlotFlow], 4.0f);
    EXPECT_EQ(p.uplText, " ");

    // Model 2's pump: from the PMP key wherever it stands, else from the eighth token.
    const struct {
        const char* tail;
        float pump;
    } pumps[] = {{"PMP=ON UPL=OFF", 1.0f},
                 {"PMP=OFF UPL=ON", 0.0f},
                 {"UPL=OFF PMP=ON", 1.0f},
                 {"OFF ON", 1.0f},
                 {"ON OFF", 0.0f}};
    std::time_t t = kNoon + 8;
    for (const auto& c : pumps) {
        const std::string line =
            std::string("COL=151 STO=121 PKH=185 PKL=12 AX1=141 AX2=131 ") + c.tail;
        ASSERT_EQ(Feed(state, line, t += 2), kProcessedSaved) << c.tail;
        EXPECT_EQ(s[kSlotPump], c.pump) << c.tail;
    }
}

TEST(MessageProcessor, FlowAndPumpSourceRules) {
    struct Case {
        const char* what;
        int model;
        int pumpSource;
        int flowSource;
        const char* pumpToken;
        const char* gpm;
        float pump;
        float flow;
    };
    // Minimum flow 1.0, fixed flow 4.0.
    const Case cases[] = {
        {"controller pump and flow", 1, 0, 0, "ON", "2.5", 1, 2.5f},
        {"pump off: no flow", 1, 0, 0, "OFF", "2.5", 0, 0.0f},
        {"min flow turns the pump on", 1, 1, 0, "OFF", "2.5", 1, 2.5f},
        {"min flow turns the pump off", 1, 1, 0, "ON", "0.5", 0, 0.0f},
        {"min flow reached exactly", 1, 1, 0, "OFF", "1.0", 1, 1.0f},
        {"open flow meter is no flow", 1, 1, 0, "ON", "OPEN.S", 0, 0.0f},
        {"fixed rate while on", 1, 0, 1, "ON", "2.5", 1, 4.0f},
        {"fixed rate while off", 1, 0, 1, "OFF", "2.5", 0, 0.0f},
        {"both rules", 1, 1, 1, "OFF", "2.5", 1, 4.0f},
        {"model 0 takes the fixed rate", 0, 0, 0, "ON", "", 1, 4.0f},
        {"model 0 rules do not apply", 0, 1, 0, "OFF", "", 0, 0.0f},
    };
    for (const auto& c : cases) {
        AppState state;
        Prepare(state, c.model);
        state.config.pumpSource = c.pumpSource;
        state.config.flowSource = c.flowSource;
        state.config.minFlowGpm = 1.0;
        state.config.fixedFlowGpm = 4.0;
        Feed(state, Positional("150", "120", "140", "130", c.pumpToken), kNoon + 2);
        if (c.model == 1) {
            Feed(state, std::string("GPM=") + c.gpm + " FPL=1 AX3=90 KWH=0", kNoon + 2);
        }
        EXPECT_EQ(state.processor.sampleCount, 1) << c.what;
        EXPECT_EQ(state.processor.current[kSlotPump], c.pump) << c.what;
        EXPECT_FLOAT_EQ(state.processor.current[kSlotFlow], c.flow) << c.what;
    }
}

// Six suspicious lines in a row warn once; Reset arms the warning again.
TEST(MessageProcessor, ModelMismatchWarnsOncePerReset) {
    struct Case {
        const char* what;
        int model;
        std::string line;
        int warning;
    };
    const Case cases[] = {
        {"BTU first lines without GPM lines", 1, kFirst, kMismatchNoGpmLines},
        {"GPM lines while the model has none", 0, kGpm, kMismatchGpmLines},
    };
    for (const auto& c : cases) {
        AppState state;
        Prepare(state, c.model);
        std::time_t t = kNoon;
        for (int round = 0; round < 2; ++round) {
            for (int i = 1; i <= 5; ++i) {
                EXPECT_EQ(Feed(state, c.line, t += 2), kNothingToProcess) << c.what << " " << i;
            }
            EXPECT_EQ(Feed(state, c.line, t += 2), c.warning) << c.what;
            // Reported once: the following ones pass silently.
            EXPECT_EQ(Feed(state, c.line, t += 2), kNothingToProcess) << c.what;
            EXPECT_EQ(Feed(state, c.line, t += 2), kNothingToProcess) << c.what;
            EXPECT_EQ(state.processor.dataErrors, c.model == 1 ? 7 : 8) << c.what;
            ResetStatistics(state, t);
        }
    }

    // A GPM line in between starts the count of first lines again.
    AppState state;
    Prepare(state, 1);
    std::time_t t = kNoon;
    for (int i = 0; i < 3; ++i) {
        Feed(state, kFirst, t += 2);
    }
    EXPECT_EQ(Feed(state, kGpm, t += 2), kProcessedSaved);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Feed(state, kFirst, t += 2), kNothingToProcess);
    }
    EXPECT_EQ(Feed(state, kFirst, t += 2), kMismatchNoGpmLines);

    // The live road hands the warning to its caller, once.
    AppState live;
    Prepare(live, 0);
    StateGuard guard(live.lock);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ProcessLiveLine(live, kGpm, t += 2), 0);
    }
    EXPECT_EQ(ProcessLiveLine(live, kGpm, t += 2), kMismatchGpmLines);
    EXPECT_EQ(ProcessLiveLine(live, kGpm, t += 2), 0);
}

}  // namespace
}  // namespace brennic
