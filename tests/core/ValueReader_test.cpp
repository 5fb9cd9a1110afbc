#include "core/ValueReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "core/LineTokens.h"
#include "core/Sample.h"

namespace brennic {
namespace {

// Plain decimals (signs, leading zeros, a leading point) are in the strtof test below.
TEST(ValueReader, ReadsWhatPercentFReadsForDecimalNumbers) {
    struct Case {
        const char* token;
        TokenValue kind;
        float value;
    };
    const Case cases[] = {
        {"+5", TokenValue::kNumber, 5.0f},
        {"1e2", TokenValue::kNumber, 100.0f},
        {"12.5abc", TokenValue::kNumber, 12.5f},  // longest numeric prefix
        {"1e", TokenValue::kNumber, 1.0f},        // an exponent needs digits
        {"0x1A", TokenValue::kNumber, 0.0f},      // decimal only: the prefix "0"
        {"1e-50", TokenValue::kNumber, 0.0f},     // too small for float: as good as 0
        {"OPEN.S", TokenValue::kOpenSensor, kNoReading},
        {"-", TokenValue::kBad, kBadToken},
        {"+-5", TokenValue::kBad, kBadToken},
        {".", TokenValue::kBad, kBadToken},
        {"ON", TokenValue::kBad, kBadToken},
        {"OPEN.S2", TokenValue::kBad, kBadToken},
        // Non-finite values would poison every total: they do not convert.
        {"nan", TokenValue::kBad, kBadToken},
        {"inf", TokenValue::kBad, kBadToken},
        {"1e50", TokenValue::kBad, kBadToken},
    };
    for (const auto& c : cases) {
        float out = 123.0f;
        EXPECT_EQ(ReadValueToken(c.token, out), c.kind) << c.token;
        EXPECT_FLOAT_EQ(out, c.value) << c.token;
    }
}

// Every short decimal reads to the very float strtof gives (bit for bit): the common readings
// take a shorter way than the general conversion, which must not change a single value.
TEST(ValueReader, ShortDecimalsReadBitForBitAsStrtof) {
    const char* const edges[] = {"0.1",     "16777215", "9999999",   "1234567.",  "0.0000001",
                                 "-0.0",    "99999.99", "0000001.5", "3.4028235", "7.0000005",
                                 "8388609", "0.3",      "-180.7",    "12,5",      "1e5"};
    std::vector<std::string> tokens(std::begin(edges), std::end(edges));
    std::uint32_t seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int digits = 1 + static_cast<int>(seed >> 29);  // 1..8
        std::string t = std::to_string((seed >> 3) % 100000000u).substr(0, digits);
        const std::size_t point = (seed >> 11) % (t.size() + 1);
        if ((seed & 3u) != 0) {
            t.insert(point, ".");
        }
        tokens.push_back((seed & 64u) != 0 ? "-" + t : t);
    }
    for (const std::string& t : tokens) {
        float out = 0.0f;
        ASSERT_EQ(ReadValueToken(t, out), TokenValue::kNumber) << t;
        const float expected = std::strtof(t.c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&out, &expected, sizeof out), 0)
            << t << " " << out << " " << expected;
    }
}

TEST(ValueReader, IgnoresANumericLocale) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 not installed";
    }
    float out = 0.0f;
    const bool ok = ReadDecimal("12.5", out);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_TRUE(ok);
    EXPECT_FLOAT_EQ(out, 12.5f);
}

// The tokeniser looks at 64 characters at a time: tokens across and at the edges of those
// windows, every blank kind, bytes above 127 and NUL (not blanks) split as a plain loop over
// isspace would split them, at most 20 tokens of at most 31 characters.
TEST(LineTokens, SplitsLikeAPlainLoopAtEveryLengthAndWindowEdge) {
    const char alphabet[] = {' ', ' ',  '\t',   '\n',   '\v',   '\f',   '\r',   'a', '1',
                             '.', '\0', '\x80', '\xff', '\x08', '\x0e', '\x1f', '!'};
    std::srand(7);
    for (int round = 0; round < 20000; ++round) {
        std::string line(static_cast<std::size_t>(std::rand() % 200), 'x');
        const int spread = 1 + std::rand() % 16;  // how often blanks come
        for (char& c : line) {
            c = std::rand() % spread == 0 ? alphabet[std::rand() % 7]
                                          : alphabet[7 + std::rand() % 10];
        }
        std::vector<std::string_view> expected;
        std::size_t i = 0;
        while (expected.size() < 20u) {
            while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) != 0) {
                ++i;
            }
            if (i == line.size()) {
                break;
            }
            const std::size_t start = i;
            while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])) == 0) {
                ++i;
            }
            expected.push_back(
                std::string_view(line).substr(start, std::min<std::size_t>(i - start, 31)));
        }
        const LineTokens t = Tokenise(line);
        ASSERT_EQ(t.count, static_cast<int>(expected.size())) << round;
        for (int k = 0; k < t.count; ++k) {
            ASSERT_EQ(t[k].data(), expected[static_cast<std::size_t>(k)].data()) << round;
            ASSERT_EQ(t[k], expected[static_cast<std::size_t>(k)]) << round;
        }
    }
}

}  // namespace
}  // namespace brennic
