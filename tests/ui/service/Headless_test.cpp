#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "config/ConfigFile.h"
#include "core/AppState.h"
#include "support/BrennicProcess.h"
#include "support/WaitFor.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::DailyLogText;
using testing::ExitCode;
using testing::ReadAll;

std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// `brennic --headless` on a pty, logging every sample into the test's folder.
class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(pty.path.empty());
        fs::create_directories(dir.Path() / "config");
        state.config.configFolder = dir.File("config");
        state.config.dataFolder = dir.File("data");
        state.config.comPort = pty.path;
        state.config.logData = 1;
        state.config.logEveryNth = 1;
        state.config.webWriteToDisk = 0;
    }
    // The service with its output in the file `out`.
    std::unique_ptr<testing::ChildProcess> Start(const std::string& out) {
        return testing::StartBrennic(dir.Path() / "config", "--headless >>'" + dir.File(out) + "'",
                                     testing::NoDisplayEnvironment());
    }
    std::string Logs() const { return DailyLogText(dir.Path() / "data"); }
    // Lines written before the port is open are lost: writes until `count` records with
    // `collector` are logged.
    bool FeedUntilLogged(double collector, std::size_t count) {
        char value[16];
        std::snprintf(value, sizeof value, "%.1f", collector);
        int minute = 0;
        return testing::WaitFor(
            [&] {
                pty.Write(testing::MinuteLine(minute++ % 60, collector));
                std::this_thread::sleep_for(100ms);
                return CountOf(Logs(), value) >= count;
            },
            10s);
    }

    testing::TempFolder dir;
    testing::Pty pty;
    AppState state;
};

TEST_F(HeadlessTest, LogsWithoutADisplayReloadsOnHupRefusesASecondInstanceAndStopsOnTerm) {
    state.config.summaryEnable = 1;
    state.config.summaryEveryNth = 1;
    ASSERT_TRUE(SaveConfig(state));
    auto service = Start("first.err");
    ASSERT_TRUE(service->Started());
    ASSERT_TRUE(FeedUntilLogged(150.0, 1)) << ReadAll(dir.File("first.err"));

    // A second instance on the same folder refuses with its message.
    auto second = Start("second.err");
    EXPECT_EQ(ExitCode(second->Wait(5000ms)), 1);
    EXPECT_NE(ReadAll(dir.File("second.err")).find("already running"), std::string::npos)
        << ReadAll(dir.File("second.err"));

    // "Log every nth sample" 2 after SIGHUP: four lines give two records.
    state.config.logEveryNth = 2;
    ASSERT_TRUE(SaveConfig(state));
    service->Signal(SIGHUP);
    ASSERT_TRUE(testing::WaitFor(
        [&] { return ReadAll(dir.File("first.err")).find("read again") != std::string::npos; },
        10s));
    for (int i = 0; i < 4; ++i) {
        pty.Write(testing::MinuteLine(i, 161.0 + i));
    }
    auto logged = [&] {
        const std::string logs = Logs();
        return CountOf(logs, "161.0") + CountOf(logs, "162.0") + CountOf(logs, "163.0") +
               CountOf(logs, "164.0");
    };
    ASSERT_TRUE(testing::WaitFor([&] { return logged() >= 2; }, 10s));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(logged(), 2u) << Logs();

    const auto stopAsked = std::chrono::steady_clock::now();
    service->Signal(SIGTERM);
    EXPECT_EQ(ExitCode(service->Wait(5000ms)), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, 5s);
    const std::string summary = ReadAll(dir.Path() / "data" / "Summary.txt");
    ASSERT_GE(summary.size(), 6u);
    EXPECT_EQ(summary.substr(summary.size() - 6), " Stop\n") << summary;
}

// Killed while logging (power cut, OOM): what was written stays, and a new start logs on.
TEST_F(HeadlessTest, AKilledServiceLosesNothingWrittenAndTheNextStartLogsOn) {
    ASSERT_TRUE(SaveConfig(state));
    std::string before;
    {
        auto first = Start("first.err");
        ASSERT_TRUE(FeedUntilLogged(171.0, 3)) << ReadAll(dir.File("first.err"));
        first->Signal(SIGKILL);
        EXPECT_EQ(ExitCode(first->Wait(5000ms)), 128 + SIGKILL);
        before = Logs();
    }
    auto second = Start("second.err");
    ASSERT_TRUE(FeedUntilLogged(172.0, 3)) << ReadAll(dir.File("second.err"));
    // The first run's file is still there whole; the second run logs into a new one.
    EXPECT_NE(Logs().find(before), std::string::npos);
    second->Signal(SIGTERM);
    EXPECT_EQ(ExitCode(second->Wait(5000ms)), 0);
}

}  // namespace
}  // namespace brennic
