#include "ui/dialogs/StatisticsDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <chrono>
#include <memory>
#include <thread>

#include "support/DialogTestSupport.h"

namespace brennic {
namespace {

using namespace std::chrono_literals;

using testing::Click;
using testing::WaitFor;

QString Line(QWidget& dialog, int number) {
    auto* line = dialog.findChild<QLabel*>(QString("statusLine%1").arg(number));
    return line != nullptr ? line->text() : "(missing)";
}

QString Counter(QWidget& dialog, const char* name) {
    return testing::Edit(dialog, name)->text();
}

// Status texts in the display's order, each naming itself.
void NameTheLines(AppState& state) {
    state.statusLines.line = {"time",           "last data",        "high limit",
                              "collector pump", "heat assist pump", "samples"};
}

TEST(StatisticsDialog, BeforeDataOnlyTheTopLineAndTheCountersAreFilled) {
    AppState state;
    state.messages.dispatched = 7;
    state.messages.windowProcedure = 10;
    NameTheLines(state);
    StatisticsDialog dialog(state);
    int dropped = 2;
    dialog.SetDroppedDatagramSource([&dropped] { return dropped; });
    EXPECT_EQ(dialog.windowTitle(), "Statistics");
    ASSERT_TRUE(dialog.Open());
    EXPECT_FALSE(dialog.Open()) << "a second open is refused; the main window beeps";

    EXPECT_EQ(Line(dialog, 1), "time");
    for (int n = 2; n <= 6; ++n) {
        EXPECT_EQ(Line(dialog, n), "") << n;
    }
    EXPECT_EQ(Counter(dialog, "blocks"), "0");
    EXPECT_EQ(Counter(dialog, "queued"), "7");
    EXPECT_EQ(Counter(dialog, "unqueued"), "3");
    EXPECT_EQ(Counter(dialog, "dropped"), "2");

    // Data arrives: nothing changes until Refresh, which shows the collector-pump line
    // before the high-limit line.
    state.processor.newSample = true;
    state.messages.dispatched = 8;
    state.messages.windowProcedure = 20;
    state.dailyLog.logFault.lost = 5;
    state.dailyLog.summaryFault.lost = 2;
    dropped = 5;
    EXPECT_EQ(Line(dialog, 2), "");
    EXPECT_EQ(Counter(dialog, "queued"), "7");
    Click(dialog, "refresh");
    const char* shown[] = {"time",       "last data",        "collector pump",
                           "high limit", "heat assist pump", "samples"};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(Line(dialog, n).toStdString(), shown[n - 1]) << n;
    }
    EXPECT_EQ(Counter(dialog, "queued"), "8");
    EXPECT_EQ(Counter(dialog, "unqueued"), "12");
    EXPECT_EQ(Counter(dialog, "notWritten"), "7");
    EXPECT_EQ(Counter(dialog, "dropped"), "5");

    Click(dialog, "cancel");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.Open()) << "the kept instance opens again";
    dialog.close();
}

TEST(StatisticsDialog, LockTestMakesAnotherThreadWaitAndRefreshShowsTheBlock) {
    AppState state;
    StatisticsDialog dialog(state, nullptr, 300ms);
    ASSERT_TRUE(dialog.Open());
    const std::uint32_t before = state.lock.BlockedCount();

    Click(dialog, "lockTest");
    ASSERT_TRUE(WaitFor([&] { return dialog.LockTest().Holding() == 1; }));
    std::thread other([&] { StateGuard guard(state.lock); });  // needs the state meanwhile
    other.join();
    EXPECT_EQ(Counter(dialog, "blocks"), QString::number(before)) << "no refresh by itself";

    ASSERT_TRUE(WaitFor([&] { return dialog.LockTest().Running() == 0; }));
    Click(dialog, "refresh");
    EXPECT_EQ(Counter(dialog, "blocks"), QString::number(before + 1));
    dialog.close();
}

TEST(StatisticsDialog, RefreshDuringALockTestDoesNotWaitAndClosingLeavesTheTestRunning) {
    AppState state;
    NameTheLines(state);
    auto dialog = std::make_unique<StatisticsDialog>(state, nullptr, 60s);
    state.processor.newSample = true;
    ASSERT_TRUE(dialog->Open());

    Click(*dialog, "lockTest");
    ASSERT_TRUE(WaitFor([&] { return dialog->LockTest().Holding() == 1; }));
    std::thread other([&] { StateGuard guard(state.lock); });
    ASSERT_TRUE(WaitFor([&] { return state.lock.BlockedCount() == 1; }));

    // The texts need the lock and stay as they were; the counters do not need it.
    state.statusLines.line[StatusLines::kSamples] = "samples changed";
    state.messages.dispatched = 5;
    Click(*dialog, "refresh");
    EXPECT_EQ(dialog->LockTest().Holding(), 1) << "Refresh returned while the test holds on";
    EXPECT_EQ(Line(*dialog, 6), "samples");
    EXPECT_EQ(Counter(*dialog, "blocks"), "1");
    EXPECT_EQ(Counter(*dialog, "queued"), "5");

    Click(*dialog, "cancel");
    EXPECT_EQ(dialog->LockTest().Running(), 1) << "the test outlives the closed window";
    // Destroying the dialog (program exit) cuts the minute short instead of waiting for it.
    dialog.reset();
    other.join();
}

}  // namespace
}  // namespace brennic
