#include "ui/window/MainWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <sstream>

#include "alerts/AlertObserver.h"
#include "support/DialogTestSupport.h"
#include "support/PtyPair.h"
#include "support/ScopedTimeZone.h"
#include "ui/dialogs/AlertsDialog.h"
#include "ui/display/DisplayWidget.h"
#include "ui/window/DashboardServer.h"
#include "ui/window/WindowImage.h"
#include "web/WebPublisher.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state_.config.configFolder = (folder_.Path() / "config").string();
        state_.config.dataFolder = (folder_.Path() / "data").string();
        state_.config.comPort = "/nonexistent/tty";
        state_.showMessage = [this](const std::string& text, const std::string& caption) {
            messages_.push_back(caption + ": " + text);
        };
        options_.startPublisher = false;
        options_.linkTiming.readTimeout = std::chrono::milliseconds(5000);
        options_.linkTiming.endDelay = std::chrono::milliseconds(10);
    }
    // The window, made on first use with the options as the test left them.
    MainWindow& Window() {
        if (!window_) {
            window_ = std::make_unique<MainWindow>(state_, options_);
        }
        return *window_;
    }
    // The station's thread writes the counts; read them under the lock.
    int Samples() {
        StateGuard guard(state_.lock);
        return state_.processor.sampleCount;
    }

    testing::TempFolder folder_;
    AppState state_;
    std::vector<std::string> messages_;
    MainWindowOptions options_;
    std::unique_ptr<MainWindow> window_;
};

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions()) {
        texts << (a->isSeparator() ? QString("-") : a->text());
    }
    return texts;
}

// A refused command beeps and does nothing else: a Font chooser or a start would show.
TEST_F(MainWindowTest, CommandsNotAllowedNowOnlyBeep) {
    MainWindow& w = Window();
    struct Case {
        const char* what;
        bool running;
        int command;
        bool replay = false;
    };
    const Case cases[] = {
        {"Stop while stopped", false, kCmdStop},
        {"Start One Wire while stopped", false, kCmdStartOneWire},
        {"Stop One Wire while closed", false, kCmdStopOneWire},
        {"Open Dashboard while none is served", false, kCmdOpenDashboard},
        {"Font during a replay", false, kCmdFont, true},
        {"Start during a replay", false, kCmdStart, true},
        {"Start while running", true, kCmdStart},
        {"Reset while running", true, kCmdReset},
        {"Read Brennic File while running", true, kCmdReadOwnLog},
    };
    for (const auto& c : cases) {
        if (c.running && !w.Com().Running()) {
            w.StartTestData();
            ASSERT_TRUE(w.Com().Running());
        }
        if (!c.running && w.Com().Running()) {
            w.Run(kCmdStop);
            ASSERT_TRUE(testing::WaitForEvents([&] { return !w.Com().Running(); }));
        }
        state_.replay.active = c.replay;
        const int samplesBefore = Samples();
        const auto before = state_.messages.refusedCommands;
        w.Run(c.command);
        EXPECT_EQ(state_.messages.refusedCommands, before + 1) << c.what;
        EXPECT_EQ(Samples(), samplesBefore) << c.what;
        EXPECT_EQ(w.Com().Running(), c.running) << c.what;
    }
    state_.replay.active = false;
    EXPECT_TRUE(messages_.empty());
}

TEST_F(MainWindowTest, ACommandLineReplayKeepsItsStatisticsWhenTheWindowOpens) {
    struct Case {
        bool reset;
        int samplesAfter;
    };
    for (const Case c : {Case{true, 0}, Case{false, 7}}) {
        AppState state;
        state.processor.sampleCount = 7;
        MainWindowOptions options;
        options.startPublisher = false;
        options.resetStatistics = c.reset;
        MainWindow w(state, options);
        EXPECT_EQ(state.processor.sampleCount, c.samplesAfter) << c.reset;
    }
}

TEST_F(MainWindowTest, OneWireEnableRemovesItsItemsAndRestoresThemInPlace) {
    state_.config.oneWireEnable = 1;
    MainWindow& w = Window();
    const QStringList file = MenuTexts(w.FileMenu());
    const QStringList configure = MenuTexts(w.ConfigureMenu());
    EXPECT_EQ(file.mid(0, 5),
              QStringList({"&Start", "Start One &Wire", "Stop", "Stop One Wire", "Reset"}));
    EXPECT_EQ(configure.indexOf("Configure One Wire"), 3);
    EXPECT_TRUE(w.Action(kCmdOneWireEnable)->isChecked());

    w.Run(kCmdOneWireEnable);
    EXPECT_EQ(state_.config.oneWireEnable, 0);
    EXPECT_EQ(MenuTexts(w.FileMenu()).mid(0, 6),
              QStringList({"&Start", "Stop", "Reset", "Statistics", "Test Data Control", "-"}));
    EXPECT_FALSE(MenuTexts(w.ConfigureMenu()).contains("Configure One Wire"));
    EXPECT_FALSE(w.Action(kCmdOneWireEnable)->isChecked());

    w.Run(kCmdOneWireEnable);
    EXPECT_EQ(MenuTexts(w.FileMenu()), file);
    EXPECT_EQ(MenuTexts(w.ConfigureMenu()), configure);
    EXPECT_TRUE(fs::exists(fs::path(state_.config.configFolder) / "Config.Txt")) << "saved";
}

TEST_F(MainWindowTest, OverwrittenGuardWordIsReportedOnceWithTheLastFiveEvents) {
    MainWindow& w = Window();
    QCoreApplication::processEvents();
    const std::array<int, 5> before = w.MessageHistory();
    state_.processor.guard7 = 1;
    for (int i = 0; i < 3; ++i) {
        AppEvent timeout(kReadTimeoutEvent);
        QCoreApplication::sendEvent(&w, &timeout);
    }
    ASSERT_EQ(messages_.size(), 1u);
    std::ostringstream expected;
    expected << "Error: SUN Data Corrupted\n " << 0x8001 << " " << before[0] << " " << before[1]
             << " " << before[2] << " " << before[3];
    EXPECT_EQ(messages_[0], expected.str());
    EXPECT_EQ(w.MessageHistory()[2], 0x8001);
    state_.processor.guard7 = kGuardWord;
}

TEST_F(MainWindowTest, MessageCountersSeparateQueuedFromDirectEvents) {
    MainWindow& w = Window();
    QCoreApplication::processEvents();
    const auto queued = state_.messages.dispatched;
    const auto all = state_.messages.windowProcedure;
    w.PostAppEvent(kTestDataChangedEvent);
    QCoreApplication::processEvents();
    EXPECT_GE(state_.messages.dispatched, queued + 1);
    AppEvent direct(kTestDataChangedEvent);
    const auto queuedAfter = state_.messages.dispatched;
    QCoreApplication::sendEvent(&w, &direct);
    EXPECT_EQ(state_.messages.dispatched, queuedAfter);
    EXPECT_GT(state_.messages.windowProcedure, all + 1);
}

TEST_F(MainWindowTest, ReadFailureStopsAcquisitionWithItsMessage) {
    auto pty = std::make_unique<testing::Pty>();
    state_.config.comPort = pty->path;
    MainWindow& w = Window();
    w.Run(kCmdStart);
    ASSERT_TRUE(w.Com().Running());
    pty.reset();  // the device disappears
    ASSERT_TRUE(testing::WaitForEvents([&] { return !w.Com().Running(); }));
    ASSERT_TRUE(testing::WaitForEvents([&] { return !messages_.empty(); }));
    EXPECT_EQ(messages_.back(), "Error: Communications with QMX Control Aborted");
    // Start works again afterwards (the refusal count does not move).
    const auto refused = state_.messages.refusedCommands;
    w.Run(kCmdReset);
    EXPECT_EQ(state_.messages.refusedCommands, refused);
}

// Alt+C is Copy Window Image's key; a menu mnemonic on the same letter made the key
// ambiguous, and then it did nothing.
TEST_F(MainWindowTest, AltCCopiesTheWindowImage) {
    MainWindow& w = Window();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(QGuiApplication::clipboard()->image().isNull());
    QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), w.Display()->size());
}

TEST_F(MainWindowTest, ScrollCommandsMoveTheChartView) {
    MainWindow& w = Window();
    {
        StateGuard guard(state_.lock);
        state_.config.xAxisHours = 4;
        state_.config.autoScroll = true;
        Sample s;
        for (int i = 0; i < 24 * 60; ++i) {
            s.time = 1243814400 + i * 60;  // one sample a minute for a day
            state_.processor.history.Append(s, 20000);
        }
        state_.processor.history.oldestTime = 1243814400;
    }
    w.Relayout();
    QImage picture(1000, 700, QImage::Format_RGB32);
    w.Display()->RenderTo(picture);  // a render places the view
    const std::time_t end = state_.chart.viewStart;
    EXPECT_TRUE(state_.chart.atEnd);
    w.Run(kCmdScrollRight);  // at the newest hour already: no move, still following
    EXPECT_EQ(state_.chart.viewStart, end);
    EXPECT_TRUE(state_.chart.atEnd);
    w.Run(kCmdScrollLeft);
    EXPECT_EQ(state_.chart.viewStart, end - 3600);
    EXPECT_FALSE(state_.chart.atEnd);
    w.Run(kCmdScrollRight);
    EXPECT_EQ(state_.chart.viewStart, end);
    EXPECT_TRUE(state_.chart.atEnd);
}

// The main window hands its own picture to the web publisher, whose thread waits while the
// main thread renders it (the copy command's: AltCCopiesTheWindowImage).
TEST_F(MainWindowTest, PublisherScreenShotUsesTheWindowPicture) {
    // The publisher's first publication comes at once and writes its screen shot to disk.
    state_.config.webWriteToDisk = 1;
    state_.config.webIncludeScreenShot = 1;
    state_.config.webFolder = folder_.Path().string();
    options_.startPublisher = true;
    options_.publisher.firstDelay = std::chrono::milliseconds(0);
    options_.publisher.tempFolder = folder_.Path().string();
    MainWindow& w = Window();
    w.show();

    // The publisher's thread asks for the picture; this (the main) thread renders it.
    QImage shot;
    ASSERT_TRUE(testing::WaitForEvents(
        [&] {
            if (w.Publisher()->Counters().uploads > 0) {
                shot = QImageReader(QString::fromStdString(folder_.File("ScreenShot.jpg")), "jpeg")
                           .read();
            }
            return !shot.isNull();
        },
        std::chrono::seconds(20)));
    const QImage picture = WindowImage(state_, w, *w.Display()).WindowPicture();
    EXPECT_EQ(shot.size(), picture.size());
    EXPECT_GT(picture.height(), w.Display()->height());  // the menu bar is in it
    EXPECT_TRUE(messages_.empty()) << messages_.front();
}

// The dashboard starts after the window's first paint, so that it does not delay the first
// picture, and a window that is never drawn (started minimised) still gets it.
TEST_F(MainWindowTest, TheDashboardStartsAfterTheFirstPaintOrWithoutOne) {
    fs::create_directories(state_.config.configFolder);
    testing::WriteFile(fs::path(state_.config.configFolder) / "brennic.toml",
                       "[http]\nport = 0\n");  // any free port
    options_.startPublisher = true;
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "shown" : "never shown");
        window_.reset();
        MainWindow& w = Window();
        ASSERT_NE(w.Dashboard(), nullptr);
        EXPECT_FALSE(w.Dashboard()->Running());
        if (shown) {
            w.show();
        }
        EXPECT_TRUE(testing::WaitForEvents([&] { return w.Dashboard()->Running(); },
                                           std::chrono::seconds(10)));
    }
}

// A raised alert shows above the display and in View > Alerts; its clear hides the line and
// leaves the row with its times. The window's own station judges the samples.
TEST_F(MainWindowTest, AlertLineShowsRaisedAlertsAndTheListKeepsTheirHistory) {
    ScopedTimeZone zone("UTC0");
    fs::create_directories(state_.config.configFolder);
    testing::WriteFile(fs::path(state_.config.configFolder) / "brennic.toml",
                       "[alerts.freeze]\nminutes = 0\n");
    MainWindow& window = Window();
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
    const auto waitFor = [](const std::function<bool()>& done) {
        return testing::WaitForEvents(done, std::chrono::seconds(20));
    };
    sample(t0, 31.0f);
    ASSERT_TRUE(waitFor([&] { return !window.AlertLine()->isHidden(); }));
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
    ASSERT_TRUE(waitFor([&] { return window.AlertLine()->isHidden(); }));
    ASSERT_TRUE(waitFor([&] { return table->item(0, 1)->text() != "active"; }));
    EXPECT_EQ(table->item(0, 0)->text(), "2026-06-22 09:00:00");
    EXPECT_EQ(table->item(0, 1)->text(), "2026-06-22 09:01:00");

    ASSERT_TRUE(waitFor([&] { return window.Alerts()->Done() == 2; }));
    EXPECT_EQ(testing::ReadAll(folder_.File("data/Alerts.txt")),
              "2026-06-22 09:00:00UTC\traised\tFreeze risk\tcollector 31 °F\n"
              "2026-06-22 09:01:00UTC\tcleared\tFreeze risk\tcollector 45 °F\n");
}

}  // namespace
}  // namespace brennic
