#include "links/OneWireDatagram.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/AppState.h"
#include "support/OneWireTestSupport.h"

namespace brennic {
namespace {

using testing::ExampleProbes;
using testing::MakeReply;

std::string NameAt(const OneWireBlock& block, std::size_t entry) {
    const char* p = reinterpret_cast<const char*>(block.data() + 16 + 48 * entry);
    return std::string(p, strnlen(p, 17));
}

// An overlong id stays inside its name field.
TEST(OneWireRequest, NamesTheUsableRowsInRowOrder) {
    OneWireBlock block{};
    OneWireProbes probes = ExampleProbes();
    probes[4].id = std::string(40, 'Z');
    EXPECT_EQ(BuildOneWireRequest(block, probes), 3);
    EXPECT_EQ(ReadLe32(block, 0), 0);
    EXPECT_EQ(ReadLe32(block, 4), 3);
    EXPECT_EQ(ReadLe32(block, 8), 1);
    EXPECT_EQ(ReadLe32(block, 12), 0);
    const std::string names[] = {"WAUX-1", "WAUX-3", std::string(16, 'Z')};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(NameAt(block, k), names[k]);
        const std::size_t e = 16 + 48 * k;
        EXPECT_EQ(block[e + 17], std::byte{1});
        EXPECT_EQ(block[e + 18], std::byte{1});
        EXPECT_EQ(block[e + 19], std::byte{0});
    }
    for (std::size_t i = 16 + 48 * 3; i < block.size(); ++i) {
        ASSERT_EQ(block[i], std::byte{0}) << i;
    }
}

TEST(OneWireRequest, ReusedBlockKeepsWhatAnEarlierRequestLeft) {
    OneWireBlock block{};
    BuildOneWireRequest(block, ExampleProbes());
    OneWireProbes shorter;  // the other ids stay empty
    shorter[0].id = "W1";
    shorter[1].id = " x";
    shorter[3].id = " ";
    EXPECT_EQ(BuildOneWireRequest(block, shorter), 1);
    EXPECT_EQ(ReadLe32(block, 4), 1);
    // "W1\0" over "WAUX-1\0": the tail of the old name stays behind the new NUL.
    const char expected[] = {'W', '1', '\0', 'X', '-', '1', '\0'};
    EXPECT_EQ(std::memcmp(block.data() + 16, expected, sizeof expected), 0);
    EXPECT_EQ(NameAt(block, 1), "WAUX-3");  // entries beyond n keep their bytes too
    EXPECT_EQ(NameAt(block, 2), "SW-1");
}

constexpr float kNo = kNoReading;

TEST(OneWireReply, SetsTheMatchingRowsAndClearsTheRest) {
    using Values = std::array<float, 4>;
    const Values none{kNo, kNo, kNo, kNo};
    auto temp = [](const char* name, double celsius, int status = 0, int n = 1) {
        return MakeReply(n, {{name, status, celsius}});
    };
    auto sw = [](int word, int status = 0) {
        return MakeReply(1, {{"SW-1", status, 0, true, word}});
    };
    const auto two = MakeReply(2, {{"WAUX-1", 0, -40.0}, {"WAUX-3", 0, 0.0}});
    const auto truncated = MakeReply(2, {{"WAUX-1", 0, 25.0}, {"WAUX-3", 0, 25.0}}, 16 + 48 + 30);
    const struct {
        const char* what;
        std::vector<std::byte> datagram;
        int switchSelect;
        bool accepted;
        Values values;
        int switchState;
    } cases[] = {
        {"25.0 C", temp("WAUX-3", 25.0), 2, true, {kNo, kNo, 77.0f, kNo}, -1},
        {"two probes, one negative", two, 2, true, {-40.0f, kNo, 32.0f, kNo}, -1},
        {"status not 0", temp("WAUX-1", 25.0, 1), 2, true, none, -1},
        {"switch B on", sw(0x0002), 2, true, none, 1},
        {"switch not-B", sw(0x0002), -2, true, none, 0},
        {"switch A", sw(0x0002), 1, true, none, 0},
        {"switch H", sw(0x0080), 8, true, none, 1},
        {"no channel selected", sw(0xFFFF), 0, true, none, -1},
        {"switch status not 0", sw(0x0002, 3), 2, true, none, -1},
        {"names differ in case", temp("waux-3", 25.0), 2, true, none, -1},
        {"six entries", temp("WAUX-1", 25.0, 0, 6), 2, false, none, -1},
        {"negative count", temp("WAUX-1", 25.0, 0, -1), 2, false, none, -1},
        {"shorter than its head", MakeReply(1, {{"WAUX-1", 0, 25.0}}, 6), 2, false, none, -1},
        {"truncated second entry", truncated, 2, true, {77.0f, kNo, kNo, kNo}, -1},
        {"not a number", temp("WAUX-1", std::nan("")), 2, true, none, -1},
        {"out of float range", temp("WAUX-1", 1e300), 2, true, none, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppState state;
        state.config.oneWireProbes = ExampleProbes(c.switchSelect);
        state.oneWire.currentValues = {1, 2, 3, 4};
        state.oneWire.switchState = 1;
        EXPECT_EQ(ProcessOneWireReply(state, c.datagram, 1000), c.accepted);
        EXPECT_EQ(state.oneWire.currentValues, c.values);
        EXPECT_EQ(state.oneWire.switchState, c.switchState);
        EXPECT_EQ(state.oneWire.lastReceiveTime, 1000);
    }
}

TEST(OneWireReply, ANameIsNeverReadPastItsSeventeenBytes) {
    AppState state;
    // An id longer than the field: the reply's 17 name bytes run straight into bytes 17 and
    // 18 ("R" and NUL), which must not be taken as part of the name.
    state.config.oneWireProbes[0].id = "ABCDEFGHIJKLMNOPQR";
    std::vector<std::byte> d = MakeReply(1, {{"ABCDEFGHIJKLMNOPQ", 0, 25.0}});
    d[16 + 17] = std::byte{'R'};
    d[16 + 18] = std::byte{0};
    ProcessOneWireReply(state, d, 1);
    EXPECT_EQ(state.oneWire.currentValues[0], kNoReading);

    state.config.oneWireProbes[0].id = "ABCDEFGHIJKLMNOPQ";  // the full 17 bytes do match
    ProcessOneWireReply(state, d, 1);
    EXPECT_EQ(state.oneWire.currentValues[0], 77.0f);
}

}  // namespace
}  // namespace brennic
