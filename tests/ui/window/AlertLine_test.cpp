#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTableWidget>

#include "alerts/AlertObserver.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include "ui/dialogs/AlertsDialog.h"
#include "ui/window/MainWindow.h"

namespace brennic {
namespace {

bool WaitInWindow(const std::function<bool()>& done) {
    return testing::WaitFor(done, std::chrono::seconds(20),
                            [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
}

// A raised alert shows above the display and in View > Alerts; its clear hides the line and
// leaves the row with its times. The window's own station judges the samples.
TEST(AlertLine, ShowsRaisedAlertsAndListsThemWithTheirHistory) {
    ScopedTimeZone zone("UTC0");
    testing::TempFolder folder;
    AppState state;
    state.config.configFolder = folder.Path().string();
    state.config.dataFolder = (folder.Path() / "data").string();
    state.showMessage = [](const std::string&, const std::string&) {};
    testing::WriteFile(folder.File("brennic.toml"), "[alerts.freeze]\nminutes = 0\n");
    MainWindowOptions options;
    options.startPublisher = false;
    MainWindow window(state, options);
    ASSERT_NE(window.Alerts(), nullptr);
    EXPECT_TRUE(window.AlertLine()->isHidden());

    const std::time_t t0 = 1782118800;  // 2026-06-22 09:00:00 UTC
    auto sample = [&](std::time_t t, float collector) {
        AlertInput in;
        in.now = t;
        in.newSample = true;
        in.current[kSlotCollector] = collector;
        in.current[kSlotStorage] = 90.0f;
        window.StationCore().Call([&] { window.Alerts()->Evaluate(in); });
    };
    sample(t0, 31.0f);
    ASSERT_TRUE(WaitInWindow([&] { return !window.AlertLine()->isHidden(); }));
    EXPECT_EQ(window.AlertLine()->text(), "Freeze risk since 09:00 (collector 31 °F)");
    EXPECT_TRUE(window.AlertLine()->styleSheet().contains("8a1f00"));

    window.Run(kCmdAlerts);
    ASSERT_NE(window.AlertList(), nullptr);
    EXPECT_TRUE(window.AlertList()->isVisible());
    QTableWidget* table = window.AlertList()->Table();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 1)->text(), "active");
    EXPECT_EQ(table->item(0, 2)->text(), "Freeze risk");

    sample(t0 + 60, 45.0f);
    ASSERT_TRUE(WaitInWindow([&] { return window.AlertLine()->isHidden(); }));
    ASSERT_TRUE(WaitInWindow([&] { return table->item(0, 1)->text() != "active"; }));
    EXPECT_EQ(table->item(0, 0)->text(), "2026-06-22 09:00:00");
    EXPECT_EQ(table->item(0, 1)->text(), "2026-06-22 09:01:00");

    ASSERT_TRUE(WaitInWindow([&] { return window.Alerts()->Done() == 2; }));
    EXPECT_EQ(testing::ReadAll(folder.File("data/Alerts.txt")),
              "2026-06-22 09:00:00UTC\traised\tFreeze risk\tcollector 31 °F\n"
              "2026-06-22 09:01:00UTC\tcleared\tFreeze risk\tcollector 45 °F\n");
}

}  // namespace
}  // namespace brennic
