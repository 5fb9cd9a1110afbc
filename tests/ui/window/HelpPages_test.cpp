#include "ui/window/HelpPages.h"

#include <gtest/gtest.h>

namespace brennic {
namespace {

// Without a browser the user learns where the help is instead of nothing happening.
TEST(HelpPages, WithoutABrowserTheMessageSaysWhereTheHelpIs) {
    const QString folder = QStringLiteral(BRENNIC_BINARY_DIR);
    const QString page = folder + "/help/html/Brennic_Getting_Started.htm";
    const struct {
        const char* page;
        bool browser;
        bool opened;
        const char* says;  // nullptr: no message
    } cases[] = {
        {"html/Brennic_Getting_Started.htm", true, true, nullptr},
        {"html/Brennic_Getting_Started.htm", false, false, "No web browser"},
        {"html/Missing.htm", true, false, "is missing"},
    };
    for (const auto& c : cases) {
        QStringList told;
        QUrl asked;
        const bool opened = OpenHelpPage(
            folder, c.page,
            [&](const QUrl& url) {
                asked = url;
                return c.browser;
            },
            [&](const QString& text, const QString&) { told << text; });
        EXPECT_EQ(opened, c.opened) << c.page;
        if (c.says == nullptr) {
            EXPECT_TRUE(told.isEmpty());
            EXPECT_EQ(asked, QUrl::fromLocalFile(page));
            continue;
        }
        ASSERT_EQ(told.size(), 1) << c.page;
        EXPECT_TRUE(told[0].contains(c.says)) << told[0].toStdString();
        EXPECT_TRUE(told[0].contains(folder + "/help/" + c.page)) << told[0].toStdString();
    }
}

}  // namespace
}  // namespace brennic
