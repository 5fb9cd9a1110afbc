#include "config/LineScanner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brennic {
namespace {

TEST(LineScanner, IntegerConversions) {
    const struct {
        const char* text;
        bool anyBase;  // "%i" instead of "%d"
        bool ok;
        int value;
    } cases[] = {
        {"-2147483648", false, true, -2147483647 - 1},
        {"2147483648", false, false, 0},
        {"+-1", false, false, 0},
        {"010", false, true, 10},
        {"010", true, true, 8},
        {"-0x10", true, true, -16},
        {"09", true, true, 0},
        {"0x80000000", true, false, 0},
    };
    for (const auto& c : cases) {
        LineScanner s(c.text);
        int v = 0;
        EXPECT_EQ(c.anyBase ? s.IntAnyBase(v) : s.Int(v), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(LineScanner, RealsAndHex) {
    const struct {
        const char* text;
        bool ok;
        double value;
    } reals[] = {{"+2.5e1", true, 25.0},
                 {"-0.250", true, -0.25},
                 {"nan", false, 0.0},
                 {"1e999", false, 0.0},
                 {"5,000", true, 5.0}};
    for (const auto& c : reals) {
        LineScanner s(c.text);
        double v = 0.0;
        EXPECT_EQ(s.Double(v), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    LineScanner hex("0xDB7093,ff,0x");  // "0x" alone reads as 0, as scanf does
    for (const std::uint32_t expected : {0xDB7093u, 0xFFu, 0u}) {
        std::uint32_t h = 1;
        EXPECT_TRUE(hex.Hex(h));
        EXPECT_EQ(h, expected);
        hex.Literal(',');
    }
}

TEST(LineScanner, LinesOfAnyLength) {
    using namespace std::string_literals;
    std::istringstream in(std::string(5000, 'a') + "\nsecond\r\nthird\0hidden\nlast"s);
    std::string line;
    ASSERT_TRUE(ReadTextLine(in, line, 1023));
    EXPECT_EQ(line.size(), 1023u);
    for (const char* expected : {"second", "third", "last"}) {
        ASSERT_TRUE(ReadTextLine(in, line));
        EXPECT_EQ(line, expected);
    }
    EXPECT_FALSE(ReadTextLine(in, line));
}

TEST(LineScanner, CutKeepsUtf8Whole) {
    std::string text = "ab\xC3\xA9";  // "abé"
    CutText(text, 3);
    EXPECT_EQ(text, "ab");
    text = "ab\xC3\xA9";
    CutText(text, 4);
    EXPECT_EQ(text, "ab\xC3\xA9");
}

}  // namespace
}  // namespace brennic
