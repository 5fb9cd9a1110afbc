#include <gtest/gtest.h>

#include "support/PublisherFixture.h"
#include "web/WebPublisher.h"

namespace brennic {
namespace {

using test::PublisherTest;
using testing::WaitFor;

using std::chrono::hours;
using std::chrono::milliseconds;

TEST_F(PublisherTest, ThreadPublishesAfterTheFirstDelayAndThenEveryInterval) {
    UseDisk();
    options.firstDelay = milliseconds(30);
    state.config.webIntervalMinutes = 2;  // 40 ms with this test's minute
    WebPublisher publisher(state, options);
    EXPECT_TRUE(publisher.Finished());
    publisher.StartPublisher();
    EXPECT_FALSE(publisher.Finished());
    // The page is replaced whole (a scratch file and a rename), so it can be read meanwhile.
    const auto pageNumber = [&] { return SampleNumber(test::ReadAll(local / "BRN_Stats.htm")); };
    EXPECT_TRUE(WaitFor([&] { return pageNumber() >= 3; }));
    publisher.StopPublisher();
    EXPECT_TRUE(WaitFor([&] { return publisher.Finished(); }));
    // A publication counts once it has logged in; one the stop cuts short before its page is
    // written leaves the previous page in place.
    const int uploads = publisher.Counters().uploads;
    const int onPage = pageNumber();  // at least 3: the page is only ever replaced
    EXPECT_TRUE(onPage == uploads || onPage == uploads - 1) << onPage << " of " << uploads;
}

TEST_F(PublisherTest, WakeEndsTheWaitAndStopEndsTheThread) {
    options.firstDelay = hours(1);
    options.minute = hours(1);
    WebPublisher publisher(state, options);
    publisher.StartPublisher();
    publisher.StartPublisher();  // a second start while running does nothing
    for (int expected = 1; expected <= 2; ++expected) {
        publisher.WakePublisher();
        EXPECT_TRUE(WaitFor([&] { return publisher.Counters().uploads == expected; }));
    }
    publisher.StopPublisher();
    EXPECT_TRUE(WaitFor([&] { return publisher.Finished(); }));
    EXPECT_EQ(publisher.Counters().uploads, 2) << "a stop does not publish";

    publisher.StartPublisher();  // the shell may start it again
    publisher.WakePublisher();
    EXPECT_TRUE(WaitFor([&] { return publisher.Counters().uploads == 3; }));
}

TEST_F(PublisherTest, StopCutsTheDeleteRetriesShort) {
    auto& ftp = StartServer({.refuse = "DELE"});
    UseFtp();
    state.config.webShowErrors = 1;
    options.retryDelay = hours(1);
    WebPublisher publisher(state, options);
    publisher.StartPublisher();
    ASSERT_TRUE(WaitFor([&] { return ftp.Count("DELE BRN_Stats.htm") == 1; }));
    publisher.StopPublisher();
    EXPECT_TRUE(WaitFor([&] { return publisher.Finished(); }));
    EXPECT_EQ(ftp.Count("DELE BRN_Stats.htm"), 1);
    EXPECT_EQ(publisher.Counters().errors, 0) << "an ending program reports nothing";
    EXPECT_TRUE(Boxes().empty());
}

// The server goes away while the screen shot is taken, in the middle of a publication: that
// publication ends with a file error; once the server is back (restarted while the error box
// is open) the next interval publishes everything again.
TEST_F(PublisherTest, ServerStoppedMidPublicationThenTheNextIntervalPublishes) {
    auto& ftp = StartServer();
    UseFtp();
    state.config.webShowErrors = 1;
    state.config.webIncludeScreenShot = 1;
    options.minute = milliseconds(100);
    WebPublisher publisher(state, options);
    std::atomic<int> shots{0};
    publisher.SetScreenShot([&](const std::string& path) {
        if (++shots == 1) {
            ftp.Stop();
        }
        test::WriteFile(path, test::kFakeJpeg);
        return true;
    });
    std::atomic<bool> restarted{false};
    publisher.SetErrorBox([&](const std::string&, const std::string&) { restarted = ftp.Start(); });
    publisher.StartPublisher();
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(home / "www" / "ScreenShot.jpg"); }));
    publisher.StopPublisher();
    EXPECT_TRUE(WaitFor([&] { return publisher.Finished(); }));
    EXPECT_TRUE(restarted);
    const WebCounters counters = publisher.Counters();
    EXPECT_EQ(counters.errors, 1);
    EXPECT_EQ(counters.fileErrors, 1);
    EXPECT_GE(counters.uploads, 2);
    EXPECT_EQ(SampleNumber(test::ReadAll(home / "www" / "BRN_Stats.htm")), 2);
    EXPECT_EQ(test::ReadAll(home / "www" / "ScreenShot.jpg"), test::kFakeJpeg);
}

}  // namespace
}  // namespace brennic
