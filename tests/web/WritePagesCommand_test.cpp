#include "web/WritePagesCommand.h"

#include <gtest/gtest.h>

#include "core/AppState.h"
#include "support/FtpTestServer.h"

namespace brennic {
namespace {

TEST(WritePagesCommand, WritesBothPagesIntoANewFolder) {
    testing::TempFolder scratch;
    AppState state;
    state.config.siteId = "Demo";
    state.processor.current[kSlotStorage] = 99.5f;
    const auto folder = scratch.Path() / "out" / "pages";
    ASSERT_EQ(WritePagesCommand(state, folder.string(), {true, false, 0}), 0);
    EXPECT_EQ(test::FileNames(folder),
              (std::vector<std::string>{"BRN_Probes.htm", "BRN_Stats.htm"}));
    EXPECT_EQ(test::ReadAll(folder / "BRN_Probes.htm"),
              WriteProbesPage(TakePageSnapshot(state, {}, 1, 0)));
    const std::string stats = test::ReadAll(folder / "BRN_Stats.htm");
    EXPECT_NE(
        stats.find("\"site\" \"Site Name\" \"Demo\"\n\"ftpsample\" \"FTP Sample Number\" \"1\"\n"),
        std::string::npos);
    EXPECT_NE(stats.find("\"com_state\" \"Comm Port State\" \"Active\"\n"), std::string::npos);
}

TEST(WritePagesCommand, AFolderThatCannotBeMadeIsReported) {
    testing::TempFolder scratch;
    test::WriteFile(scratch.Path() / "file", "x");
    AppState state;
    std::vector<std::string> messages;
    state.showMessage = [&](const std::string& text, const std::string& caption) {
        messages.push_back(caption + ": " + text);
    };
    EXPECT_EQ(WritePagesCommand(state, (scratch.Path() / "file" / "sub").string()), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Error: Cannot create the folder ", 0), 0u) << messages[0];
}

}  // namespace
}  // namespace brennic
