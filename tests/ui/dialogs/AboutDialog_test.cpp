#include "ui/dialogs/AboutDialog.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace brennic {
namespace {

TEST(AboutDialog, TextsForNameVersionAndBuildTime) {
    ProgramIdentity id;
    id.name = "brennic";
    id.version = "0.1.0";
    EXPECT_EQ(AboutTitleText(id), "brennic Version 0.1.0");
    struct Case {
        long long t;
        const char* text;
    };
    const Case cases[] = {{0, "Jan 01 1970, 00:00:00 UTC"},
                          {1243865130, "Jun 01 2009, 14:05:30 UTC"},
                          {1798761599, "Dec 31 2026, 23:59:59 UTC"}};
    for (const auto& c : cases) {
        EXPECT_EQ(BuildTimeText(c.t), c.text);
    }
    AboutDialog dialog(id, 0, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "About");
    EXPECT_EQ(dialog.findChild<QLabel*>("aboutBuildTime")->text(), "Jan 01 1970, 00:00:00 UTC");
}

TEST(AboutDialog, WarningTextsPerCode) {
    EXPECT_TRUE(ModelWarningText(-2).endsWith("Vexin 2 control!"));
    EXPECT_TRUE(ModelWarningText(-3).endsWith("Vexin 2 BTU control"));
    ModelWarningDialog w(-3, nullptr);
    EXPECT_EQ(w.windowTitle(), "Warning");
    EXPECT_FALSE(w.isModal());
}

}  // namespace
}  // namespace brennic
