#include "links/TestDataFields.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>

namespace brennic {
namespace {

TEST(TestDataFields, ValuesReadAsACReaderReadsThemInAnyLocale) {
    const struct {
        const char* text;
        std::optional<double> value;
    } values[] = {{" 165.5", 165.5},  {"+2e1x", 20.0}, {"-0.25", -0.25},
                  {"", std::nullopt}, {"abc", {}},     {"+-1", {}},
                  {"1e999", {}},      {"nan", {}},     {"12,5", 12.0}};
    const struct {
        const char* text;
        std::optional<int> value;
    } integers[] = {{" 42", 42},
                    {"+7 s", 7},
                    {"-3600", -3600},
                    {"2147483648", {}},
                    {"-2147483648", -2147483647 - 1},
                    {"x1", {}},
                    {"", {}}};
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // comma decimals, where installed
    for (const auto& v : values) {
        EXPECT_EQ(ReadTestValue(v.text), v.value) << '"' << v.text << '"';
    }
    for (const auto& i : integers) {
        EXPECT_EQ(ReadTestInteger(i.text), i.value) << '"' << i.text << '"';
    }
    EXPECT_EQ(TestValueText(165.0), "165.00");
    EXPECT_EQ(TestValueText(-0.125), "-0.12");  // round half to even, as printf does
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace brennic
