// What a new user meets first: the README's menu paths, the demo, the Font command, a stop
// signal and a machine without a display. The program itself runs as a child process where
// the behaviour belongs to it as a whole.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/ConfigFile.h"
#include "support/LinkTestSupport.h"
#include "ui/window/MainWindow.h"
#include "ui/window/Startup.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class FirstRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("brennic_firstrun_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        state_.config.configFolder = (dir_ / "config").string();
        state_.config.dataFolder = (dir_ / "data").string();
        state_.config.comPort = "/nonexistent/tty";
        state_.showMessage = [](const std::string&, const std::string&) {};
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<MainWindow> Window(MainWindowOptions options = {}) {
        options.startPublisher = false;
        return std::make_unique<MainWindow>(state_, options);
    }

    // The environment of the tests without any display, with HOME in the test's folder.
    std::vector<std::string> Environment(const std::vector<std::string>& extra) const {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM" &&
                name != "HOME") {
                env.push_back(entry);
            }
        }
        env.push_back("HOME=" + dir_.string());
        env.insert(env.end(), extra.begin(), extra.end());
        return env;
    }

    // The program with `args`, its standard error joined to the standard output.
    std::unique_ptr<testing::ChildProcess> Start(const std::string& args,
                                                 const std::vector<std::string>& extraEnv) {
        const std::string command = "exec '" BRENNIC_BINARY_DIR "/brennic' --config-dir '" +
                                    (dir_ / "config").string() + "' " + args + " 2>&1";
        return std::make_unique<testing::ChildProcess>(
            std::vector<std::string>{"/bin/sh", "-c", command}, Environment(extraEnv));
    }

    static std::string Output(testing::ChildProcess& child) {
        std::string all;
        while (auto line = child.ReadLine(200ms)) {
            all += *line + "\n";
        }
        return all;
    }

    fs::path dir_;
    AppState state_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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
    std::string text = ReadFile(fs::path(BRENNIC_SOURCE_DIR) / "README.md");
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
    const auto status = child->Wait(30s);
    ASSERT_TRUE(status) << output;
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status << "\n"
                                                                 << output;
    EXPECT_TRUE(fs::exists(dir_ / "pages" / "BRN_Stats.htm")) << output;
    EXPECT_EQ(output.find("can not be restored"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(dir_ / "config" / "Config.Txt"));
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
        fs::path log;
        for (int i = 0; i < 300 && log.empty(); ++i) {
            std::this_thread::sleep_for(50ms);
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(data, ec)) {
                if (entry.path().filename().string().starts_with("LOG-")) {
                    log = entry.path();
                }
            }
        }
        ASSERT_FALSE(log.empty()) << "no daily log was started";
        child->Signal(signal);
        const auto status = child->Wait(20s);
        ASSERT_TRUE(status) << "still running after the signal";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status;
        const std::string logText = ReadFile(log);
        EXPECT_FALSE(logText.empty()) << "the daily log was never flushed";
        EXPECT_EQ(logText.back(), '\n');
        const std::string summary = ReadFile(data / "Summary.txt");
        ASSERT_GE(summary.size(), 6u);
        EXPECT_EQ(summary.substr(summary.size() - 6), " Stop\n") << summary;
    }
}

}  // namespace
}  // namespace brennic
