#include "history/HistorySettings.h"

#include <gtest/gtest.h>

#include <toml++/toml.h>

#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

TEST(HistorySettings, ReadsKeysAndNamesEveryProblem) {
    struct Case {
        const char* text;
        bool enabled;
        int retention;
        const char* path;
        std::size_t problems;
    } const cases[] = {
        {"", true, 3650, "", 0},
        {"[history]\nenabled = false\nminute_retention_days = 30\npath = \"/x/h.sqlite\"\n", false,
         30, "/x/h.sqlite", 0},
        {"[history]\nenabled = \"yes\"\nminute_retention_days = 0\n", true, 3650, "", 2},
        {"[history]\nminute_retention_days = 1.5\npath = \"\"\nsize = 3\n", true, 3650, "", 3},
    };
    for (const Case& c : cases) {
        const toml::table file = toml::parse(c.text);
        std::vector<std::string> problems;
        const HistorySettings s = ReadHistorySettings(file["history"].as_table(), problems);
        EXPECT_EQ(s.enabled, c.enabled) << c.text;
        EXPECT_EQ(s.minuteRetentionDays, c.retention) << c.text;
        EXPECT_EQ(s.path, c.path) << c.text;
        EXPECT_EQ(problems.size(), c.problems) << c.text;
    }
}

TEST(HistorySettings, FileAndStorePath) {
    testing::TempFolder folder;
    std::vector<std::string> problems;
    EXPECT_EQ(HistoryStorePath(LoadHistorySettings(folder.File("none.toml"), problems), "/data"),
              "/data/history.sqlite");
    const std::string broken = folder.Write("brennic.toml", "[history\n");
    LoadHistorySettings(broken, problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind(broken + ": ", 0), 0u) << problems[0];
}

}  // namespace
}  // namespace brennic
