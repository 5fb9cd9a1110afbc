#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

#include "support/DialogTestSupport.h"
#include "support/ReplayTestSupport.h"
#include "ui/replay/CaptureStartDialog.h"
#include "ui/replay/RecordErrorDialog.h"
#include "ui/replay/RecordRangeDialog.h"
#include "ui/replay/ReplayRunner.h"

namespace brennic {
namespace {

using testing::Local;
using testing::TempFolder;

TEST(RecordRangeDialog, UncheckingTheWholeFileEnablesTheRangeAndFastAccess) {
    ScopedTimeZone zone("America/Chicago");
    RecordRangeDialog dialog(nullptr, true);
    dialog.wholeFileBox()->click();
    EXPECT_TRUE(dialog.fastAccessBox()->isEnabled());
    EXPECT_TRUE(dialog.startEdit()->isEnabled());
    EXPECT_TRUE(dialog.endEdit()->isEnabled());
    dialog.fastAccessBox()->click();
    dialog.startEdit()->setDateTime(QDateTime(QDate(2009, 6, 1), QTime(14, 5, 30)));
    dialog.endEdit()->setDateTime(QDateTime(QDate(2009, 6, 2), QTime(1, 0, 0)));
    const RecordRange range = dialog.Range();
    EXPECT_TRUE(range.useRange);
    EXPECT_FALSE(range.fastAccess);
    EXPECT_EQ(range.startTime, Local(2009, 6, 1, 14, 5, 30));
    EXPECT_EQ(range.endTime, Local(2009, 6, 2, 1, 0, 0));
    dialog.wholeFileBox()->click();
    EXPECT_FALSE(dialog.fastAccessBox()->isEnabled());
    EXPECT_FALSE(dialog.startEdit()->isEnabled());
}

TEST(RecordErrorDialog, EachButtonGivesItsAnswer) {
    struct Case {
        QPushButton* (RecordErrorDialog::*button)() const;
        RecordErrorChoice choice;
    } cases[] = {{&RecordErrorDialog::continueButton, RecordErrorChoice::kContinue},
                 {&RecordErrorDialog::suppressButton, RecordErrorChoice::kSuppressErrors},
                 {&RecordErrorDialog::abortButton, RecordErrorChoice::kAbort}};
    for (const auto& c : cases) {
        RecordErrorDialog dialog(nullptr, "Data error");
        EXPECT_EQ(dialog.windowTitle(), "Error Reading Log File");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("message")->text(), "Data error");
        EXPECT_TRUE(dialog.continueButton()->isDefault());
        EXPECT_EQ(dialog.suppressButton()->text(), "SUPPRESS ERRORS");
        QTimer::singleShot(0, &dialog, [&] { (dialog.*c.button)()->click(); });
        dialog.exec();
        EXPECT_EQ(dialog.Choice(), c.choice);
    }
    RecordErrorDialog closed(nullptr, "Data error");
    QTimer::singleShot(0, &closed, [&] { closed.reject(); });
    closed.exec();
    EXPECT_EQ(closed.Choice(), RecordErrorChoice::kContinue);
}

TEST(CaptureStartDialog, PresetsTheStartAndTwoSeconds) {
    ScopedTimeZone zone("America/Chicago");
    const std::time_t start = Local(2009, 6, 1, 6, 0, 0);
    CaptureStartDialog dialog(nullptr, start);
    EXPECT_EQ(dialog.windowTitle(), "Read Hyper Terminal Log");
    EXPECT_EQ(dialog.Start(), start);
    EXPECT_EQ(dialog.Interval(), 2u);
    dialog.intervalEdit()->setText("360");
    EXPECT_EQ(dialog.Interval(), 360u);
    dialog.intervalEdit()->setText("abc");
    EXPECT_EQ(dialog.Interval(), 0u);
}

class FakeWindow : public ReplayWindow {
  public:
    void BeginReplay() override {}  // only the file-dialog start calls it
    void SetReplayLine(int line, const std::string& text) override {
        lines.push_back(std::to_string(line) + ":" + text);
    }
    void SetTitleSuffix(const std::string& text) override { titles.push_back(text); }
    void EndReplay(bool received) override {
        ended = true;
        dataReceived = received;
    }
    void Beep() override { ++beeps; }

    int beeps = 0;
    bool ended = false;
    bool dataReceived = false;
    std::vector<std::string> lines;
    std::vector<std::string> titles;
};

TEST(ReplayRunner, ReplaysOnItsThreadAndReportsOnTheMainThread) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const std::string path = folder.Write("dr.txt",
                                          "DATE CST +DST\n"
                                          "06/01/2009 14:00:00 1:00 120.0 100.0 12.0 180.0 110.0 "
                                          "95.0 OFF OFF\n"
                                          "06/01/2009 14:00:02 BAD 1 2 3 4 5 6 ON OFF\n");
    AppState state;
    FakeWindow window;
    ReplayRunner runner(state, nullptr, window);
    ASSERT_TRUE(runner.StartReplay(ReplayRunner::Kind::kDataRecorder, path, RecordRange{}));
    EXPECT_FALSE(runner.StartReplay(ReplayRunner::Kind::kDataRecorder, path, RecordRange{}));
    ASSERT_TRUE(testing::WaitForEvents([&] { return window.ended; }, std::chrono::seconds(10)));
    EXPECT_FALSE(runner.Running());
    EXPECT_TRUE(window.dataReceived);
    EXPECT_EQ(window.beeps, 0);
    ASSERT_FALSE(window.titles.empty());
    EXPECT_EQ(window.titles.back(), "dr.txt Mon Jun 01 14:00:00 2009-Mon Jun 01 14:00:02 2009");
    // Without a display the record error dialog is answered CONTINUE; line 6 shows the record.
    EXPECT_EQ(window.lines.back(),
              "6:Error in record  2: \"06/01/2009 14:00:02 BAD 1 2 3 4 5 6 ON OFF\"");

    FakeWindow missing;
    ReplayRunner second(state, nullptr, missing);
    ASSERT_TRUE(
        second.StartReplay(ReplayRunner::Kind::kOwnLog, folder.File("none.txt"), RecordRange{}));
    ASSERT_TRUE(testing::WaitForEvents([&] { return missing.ended; }, std::chrono::seconds(10)));
    EXPECT_EQ(missing.beeps, 1);
    EXPECT_FALSE(missing.dataReceived);
}

}  // namespace
}  // namespace brennic
