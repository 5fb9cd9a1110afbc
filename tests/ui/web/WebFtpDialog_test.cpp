#include "ui/web/WebFtpDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "support/DialogTestSupport.h"
#include "support/FtpTestServer.h"

namespace brennic {
namespace {

using testing::Edit;

bool Checked(QDialog& d, const char* name) {
    auto* box = d.findChild<QCheckBox*>(name);
    return box != nullptr && box->isChecked();
}

class WebFtpDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Config& c = state.config;
        c.webUploadFtp = 1;
        c.webShowErrors = 1;
        c.webIntervalMinutes = 15;
        c.ftpUserId = "solar";
        c.ftpPassword = "pw";
        c.ftpAccount = "acct";
        c.ftpServer = "ftpes://example.org:2121";
        c.ftpServerPath = "www";
        c.webFolder = "/srv/old";
        c.siteId = "Cabin";
        options.firstDelay = std::chrono::hours(1);
        options.minute = std::chrono::hours(1);
    }

    WebFtpDialog::SaveConfigFn CountSaves() {
        return [this](AppState& s) {
            ++saves;
            savedInterval = s.config.webIntervalMinutes;
        };
    }

    AppState state;
    WebPublisherOptions options;
    int saves = 0;
    int savedInterval = 0;
};

TEST_F(WebFtpDialogTest, ShowsTheSettingsAndThePublisherFigures) {
    // One failed publication: a local folder that is missing.
    state.config.webUploadFtp = 0;
    state.config.webWriteToDisk = 1;
    state.config.webShowErrors = 0;
    state.config.webFolder = "/nonexistent/brennic";
    WebPublisher publisher(state, options);
    ASSERT_EQ(publisher.Publish(), 900);
    state.config.webShowErrors = 1;

    WebFtpDialog d(state, publisher, CountSaves());
    EXPECT_EQ(d.windowTitle(), "CONFIGURATION - Web FTP Data");
    EXPECT_FALSE(Checked(d, "uploadFtp"));
    EXPECT_TRUE(Checked(d, "writeToDisk"));
    EXPECT_TRUE(Checked(d, "showErrors"));
    EXPECT_EQ(Edit(d, "userId")->text(), "solar");
    EXPECT_EQ(Edit(d, "password")->text(), "pw");
    EXPECT_EQ(Edit(d, "password")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Edit(d, "server")->text(), "ftpes://example.org:2121");
    EXPECT_EQ(Edit(d, "interval")->text(), "15");
    EXPECT_EQ(Edit(d, "folder")->text(), "/nonexistent/brennic");
    const std::pair<const char*, const char*> numbers[] = {
        {"uploads", "1"},          {"errorCount", "1"},    {"screenErrors", "0"},
        {"screenFileErrors", "1"}, {"connectErrors", "0"}, {"timeoutErrors", "0"},
        {"loginErrors", "0"},      {"fileErrors", "0"},
    };
    for (const auto& [name, value] : numbers) {
        EXPECT_EQ(Edit(d, name)->text(), value) << name;
        EXPECT_TRUE(Edit(d, name)->isReadOnly()) << name;
    }
    auto* lastError = d.findChild<QLabel*>("lastError");
    ASSERT_NE(lastError, nullptr);
    EXPECT_EQ(lastError->text(), "Error getting screen image: No such file or directory");
}

TEST_F(WebFtpDialogTest, OkStoresTheFieldsByTheRules) {
    struct Case {
        const char* interval;
        const char* path;
        int storedInterval;
        const char* storedPath;
    };
    const Case cases[] = {
        {"0", "www", 1, "www"},
        {"999999999999", "www", 999999999, "www"},  // cut to the field's nine digits
        {"30", "   www/solar ", 30, "www/solar "},
        {"7", "   ", 7, ""},
    };
    for (const Case& c : cases) {
        WebPublisher publisher(state, options);
        WebFtpDialog d(state, publisher, CountSaves());
        testing::SetChecked(d, "uploadFtp", false);
        testing::SetChecked(d, "writeToDisk", true);
        testing::SetChecked(d, "includeScreenShot", true);
        Edit(d, "interval")->setText(c.interval);
        Edit(d, "serverPath")->setText(c.path);
        Edit(d, "userId")->setText("new-user");
        Edit(d, "server")->setText("127.0.0.1:2121");
        Edit(d, "folder")->setText("/srv/web");
        saves = 0;
        d.accept();
        EXPECT_EQ(saves, 1);
        EXPECT_EQ(savedInterval, c.storedInterval) << "saved after the copy-back";
        const Config& cfg = state.config;
        EXPECT_EQ(cfg.webIntervalMinutes, c.storedInterval) << c.interval;
        EXPECT_EQ(cfg.ftpServerPath, c.storedPath) << c.path;
        EXPECT_EQ(cfg.webWriteToDisk, 1);
        EXPECT_EQ(cfg.webIncludeScreenShot, 1);
        EXPECT_EQ(cfg.ftpUserId, "new-user");
        EXPECT_EQ(cfg.ftpServer, "127.0.0.1:2121");
        EXPECT_EQ(cfg.webFolder, "/srv/web");
        EXPECT_EQ(cfg.siteId, "Cabin") << "the other settings stay";
        state.config.webIntervalMinutes = 15;
    }
}

TEST_F(WebFtpDialogTest, AShorterIntervalPublishesAtOnceALongerOneWaits) {
    WebPublisher publisher(state, options);
    state.config.webUploadFtp = 0;  // publications that write nothing, only count
    publisher.StartPublisher();
    {
        WebFtpDialog d(state, publisher, CountSaves());
        testing::SetChecked(d, "uploadFtp", false);
        Edit(d, "interval")->setText("20");
        d.accept();
    }
    EXPECT_FALSE(testing::WaitFor([&] { return publisher.Counters().uploads > 0; },
                                  std::chrono::milliseconds(300)))
        << "a longer interval does not wake the publisher";
    {
        WebFtpDialog d(state, publisher, CountSaves());
        Edit(d, "interval")->setText("5");
        d.accept();
    }
    EXPECT_TRUE(testing::WaitFor([&] { return publisher.Counters().uploads == 1; }));
}

TEST_F(WebFtpDialogTest, SelectFilePathFillsTheFolderOrBeeps) {
    WebPublisher publisher(state, options);
    WebFtpDialog d(state, publisher, CountSaves());
    QString offered;
    QString answer = "/srv/chosen";
    d.SetFolderChooser([&](QWidget*, const QString& current) {
        offered = current;
        return answer;
    });
    auto* select = d.findChild<QPushButton*>("selectFolder");
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->text(), "Select File Path");
    select->click();
    EXPECT_EQ(offered, "/srv/old");
    EXPECT_EQ(Edit(d, "folder")->text(), "/srv/chosen");
    EXPECT_EQ(d.Beeps(), 0);

    answer.clear();  // cancelled
    select->click();
    EXPECT_EQ(Edit(d, "folder")->text(), "/srv/chosen");
    EXPECT_EQ(d.Beeps(), 1);
    d.reject();  // cancel keeps the old settings
    EXPECT_EQ(state.config.webFolder, "/srv/old");
    EXPECT_EQ(saves, 0);
}

}  // namespace
}  // namespace brennic
