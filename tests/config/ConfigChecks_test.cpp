#include "config/ConfigChecks.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace brennic {
namespace {

TEST(ConfigChecks, NumberFieldsReadWholeNumbersOnly) {
    const struct {
        const char* text;
        std::optional<int> value;
    } ints[] = {{" 12 ", 12},  {"-3", -3},  {"", std::nullopt},
                {"12abc", {}}, {"1.5", {}}, {"99999999999", {}}};
    for (const auto& c : ints) {
        EXPECT_EQ(ReadIntField(c.text), c.value) << '"' << c.text << '"';
    }
    const struct {
        const char* text;
        std::optional<double> value;
    } doubles[] = {{" -1.25 ", -1.25}, {"1e2", 100.0}, {"nan", {}},
                   {"5,0", {}},        {"", {}},       {"1.2.3", {}}};
    for (const auto& c : doubles) {
        EXPECT_EQ(ReadDoubleField(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(ConfigChecks, StoredTextDropsQuotesAndCutsWholeCharacters) {
    EXPECT_EQ(StoredText("a\"b\"c", 31), "abc");
    EXPECT_EQ(StoredText(std::string(40, 'x'), 31), std::string(31, 'x'));
    // 'ü' is two bytes: 15 of them fill 30 bytes, the 16th would need 32.
    std::string umlauts;
    for (int i = 0; i < 20; ++i) {
        umlauts += "\xC3\xBC";
    }
    EXPECT_EQ(StoredText(umlauts, 31).size(), 30u);
}

// Checks run in the order of the dialog: the first failing field is the one reported, and a
// warning met before it has already been shown.
TEST(ConfigChecks, FirstFailingCheckInDialogOrderIsReported) {
    GlycolTable glycol = BuiltInGlycolTable();
    std::vector<std::pair<std::string, std::string>> shown;
    ConfigPrompts prompts{[&](const std::string& text, const std::string& caption) {
                              shown.emplace_back(text, caption);
                          },
                          [&](const std::string& text, const std::string& caption) {
                              shown.emplace_back(text, caption);
                              return true;
                          }};
    ConfigNumberTexts t;
    t.fixedFlowGpm = "5";
    t.minFlowGpm = "2";  // a warning with a Vexin 2
    t.solarOffset = "";  // the first error
    t.solarGlycolPercent = "150";
    Config c;
    c.flowSource = 1;
    EXPECT_FALSE(CheckConfigNumbers(t, glycol, c, prompts));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].first, "Minimum flow rate non-zero with non-BTU Control");
    EXPECT_EQ(shown[1].first, "Solar loop offset must be specified");

    shown.clear();
    t.solarOffset = "0";
    t.fixedFlowGpm = "100.5";
    EXPECT_FALSE(CheckConfigNumbers(t, glycol, c, prompts));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Solar collector flow rate must be 0.5-100.0");
}

}  // namespace
}  // namespace brennic
