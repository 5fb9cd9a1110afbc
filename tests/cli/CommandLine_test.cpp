#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace brennic {
namespace {

TEST(CommandLine, ParsesOptionsAndRejectsBadOnes) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
    };
    const Case cases[] = {
        {{}, true},
        {{"--config-dir"}, false},
        {{"--after", "x"}, false},
        {{"--after", "-1"}, false},
        {{"--bogus"}, false},
        {{"--replay-capture", "f.txt"}, false},
        {{"--replay-capture", "f.txt", "--start", "2009-06-01 06:00:00", "--interval", "360"},
         true},
        {{"--import"}, false},
        {{"--import", "--report", "month"}, false},
        {{"--report", "week"}, false},
        {{"--report", "day", "--format", "xml"}, false},
    };
    for (const auto& c : cases) {
        CommandLine cl;
        EXPECT_EQ(!ParseCommandLine(c.args, cl).has_value(), c.ok) << c.args.size();
    }
    CommandLine cl;
    ASSERT_FALSE(ParseCommandLine({"--demo", "--screenshot", "a.jpg", "--after", "3",
                                   "--config-dir", "/tmp/x", "--fast-access"},
                                  cl));
    EXPECT_TRUE(cl.demo);
    EXPECT_EQ(cl.screenshotFile, "a.jpg");
    EXPECT_EQ(cl.screenshotAfter, 3);
    EXPECT_EQ(cl.configDir, "/tmp/x");
    EXPECT_TRUE(cl.fastAccess);

    // --import takes every argument up to the next option.
    CommandLine import;
    ASSERT_FALSE(ParseCommandLine(
        {"--import", "a.txt", "b.txt", "--report", "year", "--format", "csv", "--plot", "y.svg"},
        import));
    EXPECT_EQ(import.importFiles, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(import.report, "year");
    EXPECT_EQ(import.reportFormat, "csv");
    EXPECT_EQ(import.plotFile, "y.svg");
}

}  // namespace
}  // namespace brennic
