#include "station/Station.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <thread>

#include "support/LinkTestSupport.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Pty;

// Records what the station hands its observers; thread-safe.
class RecordingObserver : public StationObserver {
  public:
    void OnSample(const std::shared_ptr<const StationSnapshot>& s) override {
        std::lock_guard<std::mutex> lock(mutex_);
        samples.push_back(s);
    }
    void OnMessage(const StationMessage& m) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages.push_back(m);
    }
    void StopObserver() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++stops;
    }
    // Waits until `done` holds, read under the observer's lock.
    template <typename F>
    bool WaitFor(F done, std::chrono::milliseconds timeout = 5000ms) {
        return testing::WaitFor(
            [&] {
                std::lock_guard<std::mutex> lock(mutex_);
                return done();
            },
            timeout);
    }

    std::mutex mutex_;
    std::vector<std::shared_ptr<const StationSnapshot>> samples;
    std::vector<StationMessage> messages;
    int stops = 0;
};

class StationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        state_.config.configFolder = (dir_ / "config").string();
        state_.config.dataFolder = (dir_ / "data").string();
        state_.config.comPort = "/nonexistent/tty";
        options_.startPublisher = false;
        options_.linkTiming.endDelay = 10ms;
    }
    void TearDown() override { station_.reset(); }
    Station& Make() {
        station_ = std::make_unique<Station>(state_, options_);
        station_->AddObserver(observer_);
        station_->Start();
        return *station_;
    }
    testing::TempFolder folder_;
    const fs::path dir_ = folder_.Path();
    AppState state_;
    StationOptions options_;
    std::shared_ptr<RecordingObserver> observer_ = std::make_shared<RecordingObserver>();
    std::unique_ptr<Station> station_;
};

TEST_F(StationTest, LinesAreProcessedInArrivalOrderAndTheStopClosesTheLogAndSummary) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    state_.config.comPort = pty.path;
    state_.config.logData = 1;
    state_.config.logEveryNth = 1;
    state_.config.summaryEnable = 1;
    state_.config.summaryEveryNth = 1;
    Station& station = Make();
    ASSERT_TRUE(station.StartAcquisition());
    for (int i = 0; i < 5; ++i) {
        pty.Write(testing::MinuteLine(i, 150.0 + i));
    }
    ASSERT_TRUE(observer_->WaitFor([&] { return observer_->samples.size() >= 5; }));
    for (int i = 0; i < 5; ++i) {
        const auto& s = *observer_->samples[static_cast<std::size_t>(i)];
        EXPECT_EQ(s.current[kSlotCollector], 150.0f + static_cast<float>(i));
        EXPECT_EQ(s.sampleCount, i + 1);
        EXPECT_TRUE(s.links.comRunning);
    }
    EXPECT_NE(observer_->samples.back()->statusLines[StatusLines::kLastData], "");

    station.Shutdown();
    EXPECT_EQ(observer_->stops, 1);
    EXPECT_EQ(state_.dailyLog.file, nullptr);
    const std::string summary =
        testing::ReadAll(fs::path(state_.config.dataFolder) / "Summary.txt");
    ASSERT_GE(summary.size(), 6u);
    EXPECT_EQ(summary.substr(summary.size() - 6), " Stop\n") << summary;
}

TEST_F(StationTest, APortThatDoesNotOpenIsRaisedAsAnErrorMessage) {
    Station& station = Make();
    EXPECT_FALSE(station.StartAcquisition());
    ASSERT_TRUE(observer_->WaitFor([&] { return !observer_->messages.empty(); }));
    EXPECT_EQ(observer_->messages[0].caption, "Error");
    EXPECT_EQ(observer_->messages[0].severity, Severity::kError);
    EXPECT_NE(observer_->messages[0].text.find("/nonexistent/tty"), std::string::npos);
}

// The service's adapter is unplugged and plugged back in: a by-id link then points at a new
// device. One message each way, and the data flows again.
TEST_F(StationTest, TheServiceReconnectsWhenThePortComesBack) {
    auto first = std::make_unique<Pty>();
    const fs::path link = dir_ / "by-id";
    fs::create_symlink(first->path, link);
    state_.config.comPort = link.string();
    options_.reconnect = true;
    options_.reconnectFirst = 50ms;
    options_.reconnectMost = 200ms;
    Station& station = Make();
    ASSERT_TRUE(station.StartAcquisition());
    first->Write(testing::MinuteLine(0, 150.0));
    ASSERT_TRUE(observer_->WaitFor([&] { return observer_->samples.size() == 1; }));

    first.reset();  // unplugged: the device goes away
    ASSERT_TRUE(observer_->WaitFor([&] { return observer_->messages.size() == 1; }));
    std::this_thread::sleep_for(500ms);  // several failed tries, no further messages
    EXPECT_TRUE(observer_->WaitFor(
        [&] {
            return observer_->messages.size() == 1u &&
                   observer_->messages[0].severity == Severity::kWarning;
        },
        0ms));

    Pty second;
    fs::remove(link);
    fs::create_symlink(second.path, link);
    ASSERT_TRUE(observer_->WaitFor([&] { return station.Running(); }, 10000ms));
    second.Write(testing::MinuteLine(1, 151.0));
    ASSERT_TRUE(observer_->WaitFor([&] { return observer_->samples.size() == 2; }));
    EXPECT_EQ(observer_->samples.back()->current[kSlotCollector], 151.0f);
    std::lock_guard<std::mutex> lock(observer_->mutex_);
    ASSERT_EQ(observer_->messages.size(), 2u);
    EXPECT_NE(observer_->messages[1].text.find("back"), std::string::npos);
}

}  // namespace
}  // namespace brennic
