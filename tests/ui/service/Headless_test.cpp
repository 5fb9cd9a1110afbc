#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "config/ConfigFile.h"
#include "support/LinkTestSupport.h"

extern char** environ;

namespace brennic {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// `brennic --headless` as a child process with no display, its standard error in a file.
class Service {
  public:
    Service(const fs::path& configDir, const fs::path& errFile) {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string v = *e;
            if (v.rfind("DISPLAY=", 0) != 0 && v.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
                v.rfind("QT_QPA_PLATFORM=", 0) != 0 && v.rfind("NOTIFY_SOCKET=", 0) != 0 &&
                v.rfind("JOURNAL_STREAM=", 0) != 0) {
                env.push_back(v);
            }
        }
        std::vector<char*> envp;
        for (auto& v : env) {
            envp.push_back(v.data());
        }
        envp.push_back(nullptr);
        std::string exe = std::string(BRENNIC_BINARY_DIR) + "/brennic";
        std::string dir = configDir.string();
        std::vector<std::string> args = {exe, "--headless", "--config-dir", dir};
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Service() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    void Signal(int sig) const { kill(pid_, sig); }
    // The exit status, or -1 when the process has not ended within `timeout`.
    int Wait(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }
    bool Started() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The text of the day's log file(s) in `folder`.
std::string DailyLogs(const fs::path& folder) {
    std::string text;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().rfind("LOG-", 0) == 0) {
            text += ReadAll(entry.path());
        }
    }
    return text;
}

std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

template <typename F>
bool WaitFor(F done, std::chrono::milliseconds timeout = 10000ms) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(20ms);
    }
    return done();
}

std::string Line(int minute, double collector) {
    char text[96];
    std::snprintf(text, sizeof text, "12:%02d %.1f 120.0 10.0 180.0 140.0 130.0 ON OFF\r\n", minute,
                  collector);
    return text;
}

TEST(Headless, LogsWithoutADisplayReloadsOnHupRefusesASecondInstanceAndStopsOnTerm) {
    const fs::path dir =
        fs::temp_directory_path() / ("brennic_headless_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "config");
    testing::Pty pty;
    ASSERT_FALSE(pty.path.empty());
    AppState state;
    state.config.configFolder = (dir / "config").string();
    state.config.dataFolder = (dir / "data").string();
    state.config.comPort = pty.path;
    state.config.logData = 1;
    state.config.logEveryNth = 1;
    state.config.summaryEnable = 1;
    state.config.summaryEveryNth = 1;
    state.config.webWriteToDisk = 0;
    ASSERT_TRUE(SaveConfig(state));

    Service service(dir / "config", dir / "first.err");
    ASSERT_TRUE(service.Started());
    // Lines written before the port is open are lost; write until one arrives.
    int minute = 0;
    ASSERT_TRUE(WaitFor([&] {
        pty.Write(Line(minute++ % 60, 150.0));
        std::this_thread::sleep_for(100ms);
        return CountOf(DailyLogs(dir / "data"), "150.0") >= 1;
    })) << ReadAll(dir / "first.err");

    // A second instance on the same folder refuses with its message.
    Service second(dir / "config", dir / "second.err");
    EXPECT_EQ(second.Wait(5000ms), 1);
    EXPECT_NE(ReadAll(dir / "second.err").find("already running"), std::string::npos)
        << ReadAll(dir / "second.err");

    // "Log every nth sample" 2 after SIGHUP: four lines give two records.
    state.config.logEveryNth = 2;
    ASSERT_TRUE(SaveConfig(state));
    service.Signal(SIGHUP);
    ASSERT_TRUE(WaitFor(
        [&] { return ReadAll(dir / "first.err").find("read again") != std::string::npos; }));
    for (int i = 0; i < 4; ++i) {
        pty.Write(Line(i, 161.0 + i));
    }
    ASSERT_TRUE(WaitFor([&] {
        const std::string logs = DailyLogs(dir / "data");
        return CountOf(logs, "161.0") + CountOf(logs, "162.0") + CountOf(logs, "163.0") +
                   CountOf(logs, "164.0") >=
               2;
    }));
    std::this_thread::sleep_for(500ms);
    const std::string logs = DailyLogs(dir / "data");
    EXPECT_EQ(CountOf(logs, "161.0") + CountOf(logs, "162.0") + CountOf(logs, "163.0") +
                  CountOf(logs, "164.0"),
              2u)
        << logs;

    const auto stopAsked = std::chrono::steady_clock::now();
    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(5000ms), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, 5s);
    const std::string summary = ReadAll(dir / "data" / "Summary.txt");
    ASSERT_GE(summary.size(), 6u);
    EXPECT_EQ(summary.substr(summary.size() - 6), " Stop\n") << summary;
    fs::remove_all(dir);
}

// Killed while logging (power cut, OOM): what was written stays, and a new start logs on.
TEST(Headless, AKilledServiceLosesNothingWrittenAndTheNextStartLogsOn) {
    const fs::path dir =
        fs::temp_directory_path() / ("brennic_headless_kill_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "config");
    testing::Pty pty;
    ASSERT_FALSE(pty.path.empty());
    AppState state;
    state.config.configFolder = (dir / "config").string();
    state.config.dataFolder = (dir / "data").string();
    state.config.comPort = pty.path;
    state.config.logData = 1;
    state.config.logEveryNth = 1;
    ASSERT_TRUE(SaveConfig(state));
    auto feedUntilLogged = [&](double collector) {
        char value[16];
        std::snprintf(value, sizeof value, "%.1f", collector);
        int minute = 0;
        return WaitFor([&] {
            pty.Write(Line(minute++ % 60, collector));
            std::this_thread::sleep_for(100ms);
            return CountOf(DailyLogs(dir / "data"), value) >= 3;
        });
    };

    std::string before;
    {
        Service first(dir / "config", dir / "first.err");
        ASSERT_TRUE(feedUntilLogged(171.0)) << ReadAll(dir / "first.err");
        first.Signal(SIGKILL);
        EXPECT_EQ(first.Wait(5000ms), 128 + SIGKILL);
        before = DailyLogs(dir / "data");
    }
    Service second(dir / "config", dir / "second.err");
    ASSERT_TRUE(feedUntilLogged(172.0)) << ReadAll(dir / "second.err");
    const std::string after = DailyLogs(dir / "data");
    // The first run's file is still there whole; the second run logs into a new one.
    EXPECT_NE(after.find(before), std::string::npos);
    second.Signal(SIGTERM);
    EXPECT_EQ(second.Wait(5000ms), 0);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace brennic
