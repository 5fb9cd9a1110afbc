#include "ui/window/Startup.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontDialog>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>

#include "config/ConfigFile.h"
#include "support/BrennicProcess.h"
#include "support/ScopedTimeZone.h"
#include "support/WaitFor.h"
#include "ui/display/DisplayLayout.h"
#include "ui/window/HelpPages.h"
#include "ui/window/MainWindow.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What a new user meets first: the README's menu paths, the demo, the Font command, a stop
// signal and a machine without a display. The program itself runs as a child process where
// the behaviour belongs to it as a whole.
class FirstRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state_.config.configFolder = (dir_ / "config").string();
        state_.config.dataFolder = (dir_ / "data").string();
        state_.config.comPort = "/nonexistent/tty";
        state_.showMessage = [](const std::string&, const std::string&) {};
    }
    std::unique_ptr<MainWindow> Window(MainWindowOptions options = {}) {
        options.startPublisher = false;
        return std::make_unique<MainWindow>(state_, options);
    }

    // The program with `args` without a display, HOME in the test's folder.
    std::unique_ptr<testing::ChildProcess> Start(const std::string& args,
                                                 const std::vector<std::string>& extraEnv) {
        return testing::StartBrennic(dir_ / "config", args,
                                     testing::NoDisplayEnvironment(dir_.string(), extraEnv));
    }

    static std::string Output(testing::ChildProcess& child) {
        std::string all;
        while (auto line = child.ReadLine(200ms)) {
            all += *line + "\n";
        }
        return all;
    }

    testing::TempFolder folder_;
    const fs::path dir_ = folder_.Path();
    AppState state_;
};

QAction* FindMenuItem(QMainWindow& window, const QString& menuTitle, const QString& item) {
    for (QAction* top : window.menuBar()->actions()) {
        if (top->menu() == nullptr ||
            (!menuTitle.isEmpty() && QString(top->text()).remove('&') != menuTitle)) {
            continue;
        }
        for (QAction* a : top->menu()->actions()) {
            if (QString(a->text()).remove('&').trimmed() == item) {
                return a;
            }
        }
    }
    return nullptr;
}

// Every "**Menu > Item**" of the README names a real menu item, a key written after it is one
// of that item's shortcuts, and every "the X menu" is a real menu.
TEST_F(FirstRunTest, ReadmeMenuPathsAndKeysMatchTheWindow) {
    std::string text = testing::ReadAll(fs::path(BRENNIC_SOURCE_DIR) / "README.md");
    ASSERT_FALSE(text.empty());
    QString readme = QString::fromStdString(text);
    readme.replace(QRegularExpression("\\s*\\n\\s*"), " ");
    auto window = Window();
    int paths = 0;
    const QRegularExpression path(
        "\\*\\*(?:([A-Za-z]+) > )?([^*]+?)\\*\\*(?: \\(([A-Za-z0-9+]+)\\)|,? \\(?([A-Z][a-z]*\\+"
        "[A-Za-z0-9]|F[0-9]+)\\b)?");
    for (auto it = path.globalMatch(readme); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(1).isEmpty() && m.captured(3).isEmpty()) {
            continue;  // bold text that is no menu item
        }
        ++paths;
        QAction* action = FindMenuItem(*window, m.captured(1), m.captured(2));
        ASSERT_NE(action, nullptr) << m.captured(0).toStdString();
        const QString key = !m.captured(3).isEmpty() ? m.captured(3) : m.captured(4);
        if (!key.isEmpty()) {
            EXPECT_EQ(action->shortcut(), QKeySequence(key))
                << m.captured(0).toStdString() << ": the menu shows "
                << action->shortcut().toString().toStdString();
        }
    }
    EXPECT_GE(paths, 8);
    const QRegularExpression menu("the ([A-Z][a-z]+) menu");
    for (auto it = menu.globalMatch(readme); it.hasNext();) {
        const auto m = it.next();
        bool found = false;
        for (QAction* top : window->menuBar()->actions()) {
            found = found || QString(top->text()).remove('&') == m.captured(1);
        }
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
}

// The demo says in every caption that its data are simulated and opens no first-run help.
TEST_F(FirstRunTest, DemoCaptionSaysTheDataAreSimulated) {
    CommandLine demo;
    demo.demo = true;
    const MainWindowOptions options = WindowOptionsFor(demo, ConfigSource::kDefaults);
    EXPECT_FALSE(options.openFirstRunHelp);
    state_.config.siteId = "Roof";
    auto window = Window(options);
    EXPECT_TRUE(window->windowTitle().contains("simulated data"));
    EXPECT_TRUE(window->windowTitle().contains("Roof"));
    window->SetTitleSuffix();
    window->Run(kCmdReset);
    EXPECT_TRUE(window->windowTitle().contains("simulated data")) << "after Reset";

    const MainWindowOptions plain = WindowOptionsFor(CommandLine{}, ConfigSource::kDefaults);
    EXPECT_TRUE(plain.openFirstRunHelp);
    EXPECT_TRUE(plain.captionNote.empty());
}

// The chooser opens on the configured font, so OK without a change keeps it and saves nothing.
TEST_F(FirstRunTest, FontChooserOpensOnTheConfiguredFont) {
    DisplayFont mine;
    mine.set = true;
    mine.face = "DejaVu Serif";
    mine.height = -17;
    mine.weight = 700;
    mine.charSet = 1;
    mine.quality = 3;
    state_.font = mine;
    auto window = Window();
    window->show();
    QFont shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->currentFont();
        dialog->accept();
    });
    window->Run(kCmdFont);
    EXPECT_EQ(shown.family(), "DejaVu Serif");
    EXPECT_EQ(shown.weight(), QFont::Bold);
    EXPECT_EQ(state_.font, mine);
    EXPECT_FALSE(fs::exists(dir_ / "config" / "Config.Txt")) << "nothing changed, nothing saved";
}

// Without a display the demo still writes its pages (rendered offscreen), shows no first-run
// warning and leaves no configuration behind.
TEST_F(FirstRunTest, DemoWritesPagesWithoutADisplayAndChangesNoConfiguration) {
    auto child = Start("--demo --after 1 --write-pages '" + (dir_ / "pages").string() + "'", {});
    ASSERT_TRUE(child->Started());
    const std::string output = Output(*child);
    EXPECT_EQ(testing::ExitCode(child->Wait(30s)), 0) << output;
    EXPECT_TRUE(fs::exists(dir_ / "pages" / "BRN_Stats.htm")) << output;
    EXPECT_EQ(output.find("can not be restored"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(dir_ / "config" / "Config.Txt"));
}

// The demo's picture after two seconds: the simulated day fills the 24-hour chart. Each hour
// column of the plot must hold pixels of the graphed temperature curves.
TEST_F(FirstRunTest, TheDemoPictureShowsCurvesAcrossTheDay) {
    const std::string picture = (dir_ / "demo.bmp").string();
    auto child =
        Start("--demo --screenshot '" + picture + "' --after 2", {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_TRUE(child->Started());
    const std::string output = Output(*child);
    ASSERT_EQ(testing::ExitCode(child->Wait(30s)), 0) << output;
    const QImage image(QString::fromStdString(picture));
    ASSERT_FALSE(image.isNull());

    // The plot as the display lays it out for this size with the default settings.
    const AppState state;
    DisplayLayout layout;
    const QImage probe(8, 8, QImage::Format_RGB32);
    Layout(layout, state.config, MeasureFont(MakeDisplayFont(state.font), &probe), image.width(),
           image.height());
    const Rect& plot = layout.plot;
    ASSERT_GT(plot.Width(), 240);
    const int curves[] = {kChCollector, kChStorage, kChAux1, kChAux2};
    int hoursWithCurves = 0;
    for (int hour = 0; hour < 24; ++hour) {
        const int left = plot.left + plot.Width() * hour / 24 + 1;
        const int right = plot.left + plot.Width() * (hour + 1) / 24 - 1;
        int pixels = 0;
        for (int x = left; x < right; ++x) {
            for (int y = plot.top; y < plot.bottom; ++y) {
                const QRgb c = image.pixel(x, y);
                for (const int id : curves) {
                    const Colour want = state.channels[id].colour;
                    pixels += qRed(c) == RedOf(want) && qGreen(c) == GreenOf(want) &&
                              qBlue(c) == BlueOf(want);
                }
            }
        }
        hoursWithCurves += pixels >= 10;
    }
    EXPECT_GE(hoursWithCurves, 20);
}

// SIGTERM, SIGINT and SIGHUP end the program as File > Exit does: the daily log is closed
// whole and Summary.txt gets its Stop line.
TEST_F(FirstRunTest, StopSignalsEndTheProgramInOrder) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        const fs::path data = dir_ / ("data" + std::to_string(signal));
        state_.config.dataFolder = data.string();
        state_.config.logData = 1;
        state_.config.logEveryNth = 1;
        state_.config.summaryEnable = 1;
        ASSERT_TRUE(SaveConfig(state_));
        auto child = Start("--demo", {"QT_QPA_PLATFORM=offscreen"});
        ASSERT_TRUE(child->Started());
        ASSERT_TRUE(testing::WaitFor([&] { return !testing::DailyLogFiles(data).empty(); }, 15s))
            << "no daily log was started";
        child->Signal(signal);
        EXPECT_EQ(testing::ExitCode(child->Wait(20s)), 0);
        const std::string logText = testing::ReadAll(testing::DailyLogFiles(data).back());
        EXPECT_FALSE(logText.empty()) << "the daily log was never flushed";
        EXPECT_EQ(logText.back(), '\n');
        const std::string summary = testing::ReadAll(data / "Summary.txt");
        ASSERT_GE(summary.size(), 6u);
        EXPECT_EQ(summary.substr(summary.size() - 6), " Stop\n") << summary;
    }
}

// The identity comes from the executable. Without a Glycol.txt of its own the program has the
// six built-in mixes; the configuration folder's file adds its own.
TEST(Startup, IdentityConfigDirOptionAndGlycolFileOfTheConfigFolder) {
    const std::string exe = QCoreApplication::applicationFilePath().toStdString();
    const testing::TempFolder folder;
    CommandLine options;
    options.configDir = folder.File("none");
    AppState plain;
    PrepareState(plain, options, exe);
    EXPECT_EQ(plain.identity.name, "brennic_ui_tests");
    EXPECT_FALSE(plain.identity.folder.empty());
    EXPECT_EQ(plain.glycol.count, 6);
    EXPECT_EQ(plain.testData.lineFormat, plain.config.controllerType);

    ASSERT_FALSE(fs::exists(fs::path(plain.identity.folder) / "Glycol.txt"));
    options.configDir = folder.Path().string();
    folder.Write("Glycol.txt", "Mine 0 100 1 0 0 0 0 0 0 0 0 0\n");
    folder.Write("Config.Txt", "Version: 7\n/dev/ttyACM0 1 0\n");
    AppState state;
    EXPECT_EQ(PrepareState(state, options, exe), ConfigSource::kConfigFolder);
    EXPECT_EQ(state.config.configFolder, options.configDir);
    EXPECT_EQ(state.config.comPort, "/dev/ttyACM0");
    EXPECT_EQ(state.glycol.count, 7);
    EXPECT_EQ(state.glycol.mix[6].name, "Mine");
}

// The icon is a resource of a static library, registered only when asked for.
TEST(Startup, WindowsGetTheApplicationIcon) {
    SetApplicationIcon();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());
}

TEST(Startup, IdentityRules) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"/opt/my programs/brennic", "/opt/my programs", "brennic"},
        {"/opt/my programs/Brennic Solar.bin", "/opt/my programs", "Brennic Solar"},
        {"/usr/bin/brennic.v2.exe", "/usr/bin", "brennic.v2"},
        {"/home/u/.brennic", "/home/u", ".brennic"},
    };
    for (const auto& c : cases) {
        const ProgramIdentity id = IdentityFromPath(c.path);
        EXPECT_EQ(id.folder, c.folder) << c.path;
        EXPECT_EQ(id.name, c.name) << c.path;
    }
}

// From 11:00 to 12:00 is an hour also on the days the clocks change, before and after the
// change (Lord Howe Island moves them by half an hour).
TEST(Startup, HourLengthAcrossADaylightSavingChange) {
    const struct {
        const char* zone;
        int month, day;
    } days[] = {{"America/Chicago", 3, 8},
                {"America/Chicago", 11, 1},
                {"Australia/Lord_Howe", 10, 4},
                {"Australia/Lord_Howe", 4, 5}};
    for (const auto& d : days) {
        ScopedTimeZone zone(d.zone);
        for (int hour : {0, 3, 12, 23}) {
            EXPECT_EQ(MeasureHourLength(LocalTimeT(2009, d.month, d.day, hour, 30, 0)), 3600)
                << d.zone << " " << d.month << "/" << d.day << " " << hour << ":30";
        }
    }
}

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
