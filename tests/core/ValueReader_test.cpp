#include "core/ValueReader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/LineTokens.h"
#include "core/Sample.h"

namespace brennic {
namespace {

TEST(ValueReader, ReadsWhatPercentFReadsForDecimalNumbers) {
    struct Case {
        const char* token;
        TokenValue kind;
        float value;
    };
    const Case cases[] = {
        {"+5", TokenValue::kNumber, 5.0f},
        {"-12.25", TokenValue::kNumber, -12.25f},
        {"1e2", TokenValue::kNumber, 100.0f},
        {"08.0", TokenValue::kNumber, 8.0f},
        {"12.5abc", TokenValue::kNumber, 12.5f},  // longest numeric prefix
        {"1e", TokenValue::kNumber, 1.0f},        // an exponent needs digits
        {".5", TokenValue::kNumber, 0.5f},
        {"0x1A", TokenValue::kNumber, 0.0f},   // decimal only: the prefix "0"
        {"1e-50", TokenValue::kNumber, 0.0f},  // too small for float: as good as 0
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

TEST(LineTokens, SplitsAtWhitespaceKeepsTwentyTokensOf31Characters) {
    const LineTokens t = Tokenise("  12:00\t150.2  120.5\r\n");
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t[0], "12:00");
    EXPECT_EQ(t[2], "120.5");

    std::string many;
    for (int i = 0; i < 25; ++i) {
        many += std::to_string(i) + " ";
    }
    const LineTokens m = Tokenise(many);
    ASSERT_EQ(m.count, kMaxTokens);
    EXPECT_EQ(m[19], "19");

    const std::string longLine = std::string(40, 'x') + " next";
    const LineTokens l = Tokenise(longLine);
    ASSERT_EQ(l.count, 2);
    EXPECT_EQ(l[0], std::string(31, 'x'));
    EXPECT_EQ(l[1], "next");
}

}  // namespace
}  // namespace brennic
