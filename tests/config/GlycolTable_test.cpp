#include "config/GlycolTable.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace brennic {
namespace {

TEST(GlycolTable, FileCases) {
    const testing::TempFolder folder;
    const std::string good = "MyMix 10 60 1 0 0 0 0 0 0 0 0 0\n";
    struct Case {
        const char* what;
        std::string text;
        int count;
    };
    const Case cases[] = {
        {"two records then a record one number short",
         good + good + "Bad 1 2 3 4 5 6 7 8 9 10 11\n" + good, 8},
        {"name longer than 32 characters", std::string(40, 'N') + " 10 60 1 0 0 0 0 0 0 0 0 0\n",
         6},
        {"more than four records stop at the capacity", good + good + good + good + good + good,
         10},
        {"records spread across lines", "Split 10\n60 1 0 0 0\n0 0 0 0 0 0\n", 7},
    };
    for (const auto& c : cases) {
        GlycolTable t;
        LoadGlycolTable(t, folder.Write("Glycol.txt", c.text));
        EXPECT_EQ(t.count, c.count) << c.what;
        EXPECT_EQ(t.mix[0].name, "Fixed") << c.what;
    }
}

// A record named Water is appended, not put in place of the built-in one; without a file the
// built-ins stay.
TEST(GlycolTable, FileRecordsFollowTheBuiltIns) {
    const testing::TempFolder folder;
    GlycolTable t;
    LoadGlycolTable(t, folder.Write("Glycol.txt", "Water 0 100 2 0 0 0 0 0 0 0 0 0\n"));
    ASSERT_EQ(t.count, 7);
    EXPECT_EQ(t.mix[6].name, "Water");
    EXPECT_EQ(t.mix[6].coef[0], 2.0);
    EXPECT_EQ(t.mix[1].coef[0], 1.00846082605449);
    EXPECT_FALSE(t.mix[6].flag);
    EXPECT_TRUE(t.mix[4].flag);
    EXPECT_EQ(t.mix[3].name, "NOBURST HD");
    EXPECT_EQ(t.mix[3].maxPercent, 70);

    GlycolTable none;
    LoadGlycolTable(none, "/nonexistent/Glycol.txt");
    EXPECT_EQ(none.count, 6);
}

TEST(GlycolTable, HeatFactorValues) {
    const GlycolTable t = BuiltInGlycolTable();
    EXPECT_EQ(HeatFactor(t, 10.0, 250.0, 0, 37), 1.0);
    EXPECT_NEAR(HeatFactor(t, 100.0, 100.0, 1, 0), 0.991074, 1e-6);
    EXPECT_EQ(HeatFactor(t, 100.0, 100.0, 1, 0), HeatFactor(t, 100.0, 100.0, 1, 80));
    EXPECT_EQ(HeatFactor(t, 90.0, 110.0, 4, 50), HeatFactor(t, 100.0, 100.0, 4, 50));
}

}  // namespace
}  // namespace brennic
