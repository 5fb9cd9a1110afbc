#include "web/WebPublisher.h"

#include <gtest/gtest.h>

#include "support/PublisherFixture.h"

namespace brennic {
namespace {

using test::FileNames;
using test::kFakeJpeg;
using test::PublisherTest;
using test::ReadBytes;

using Names = std::vector<std::string>;

TEST_F(PublisherTest, CleanPublicationLeavesExactlyTheThreeFiles) {
    auto& ftp = StartServer();
    UseFtp();
    UseDisk();
    WebPublisher publisher(state, options);
    UseScreenShot(publisher);

    ASSERT_EQ(publisher.Publish(), 0) << publisher.Counters().lastErrorText;
    const Names published = {"BRN_Probes.htm", "BRN_Stats.htm", "ScreenShot.jpg"};
    EXPECT_EQ(FileNames(home / "www"), published);
    EXPECT_EQ(FileNames(local), published);

    const std::string stats = ReadBytes(home / "www" / "BRN_Stats.htm");
    EXPECT_EQ(stats, ReadBytes(local / "BRN_Stats.htm"));
    EXPECT_EQ(SampleNumber(stats), 1);
    const std::string probes = WriteProbesPage(TakePageSnapshot(state, {}, 1, 0));
    EXPECT_EQ(ReadBytes(home / "www" / "BRN_Probes.htm"), probes);
    EXPECT_EQ(ReadBytes(home / "www" / "ScreenShot.jpg"), kFakeJpeg);
    EXPECT_TRUE(FileNames(temp).empty()) << "the scratch JPEG is deleted";

    // One login; every file arrives as TEMP.htm; pages as text, the picture as binary.
    EXPECT_EQ(ftp.Count("PASS ******"), 1);
    EXPECT_EQ(ftp.Count("STOR TEMP.htm"), 3);
    Names types;
    for (const auto& c : ftp.Commands()) {
        if (c == "TYPE A" || c == "TYPE I") {
            types.push_back(c);
        }
    }
    EXPECT_EQ(types, (Names{"TYPE A", "TYPE I"}));

    // The targets did not exist: six delete attempts each, then the rename. Next time the
    // old target goes at the first attempt.
    EXPECT_EQ(ftp.Count("DELE BRN_Stats.htm"), 6);
    ASSERT_EQ(publisher.Publish(), 0);
    EXPECT_EQ(ftp.Count("DELE BRN_Stats.htm"), 7);
    EXPECT_EQ(SampleNumber(ReadBytes(home / "www" / "BRN_Stats.htm")), 2);
    EXPECT_EQ(FileNames(home / "www"), published);

    const WebCounters counters = publisher.Counters();
    EXPECT_EQ(counters.uploads, 2);
    EXPECT_EQ(counters.errors, 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PublisherTest, LoginFailuresAreCountedUnderFtpOther) {
    StartServer();
    struct Case {
        const char* what;
        std::string server;
        const char* password;
        const char* path;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {"wrong password", server->address(), "wrong", "www", 301, "User ID/Password unknown"},
        {"unknown host", "no-such-host.invalid", "secret", "www", 200, "Site ID unknown"},
        {"no server named", "", "secret", "www", 200, "Site ID unknown"},
        {"bad server path", server->address(), "secret", "no/such/dir", 303, "Bad server path"},
        {"nobody listening", "127.0.0.1:1", "secret", "www", 302, "Bad login information"},
    };
    for (const Case& c : cases) {
        UseFtp(c.path);
        state.config.ftpServer = c.server;
        state.config.ftpPassword = c.password;
        WebPublisher publisher(state, options);
        EXPECT_EQ(publisher.Publish(), c.code) << c.what;
        const WebCounters counters = publisher.Counters();
        EXPECT_EQ(counters.lastErrorText, c.message) << c.what;
        EXPECT_EQ(counters.errors, 1) << c.what;
        EXPECT_EQ(counters.loginErrors, 1) << c.what;
        EXPECT_EQ(counters.uploads, 0) << "no page was written: " << c.what;
        EXPECT_TRUE(FileNames(home / "www").empty()) << c.what;
    }
    EXPECT_TRUE(Boxes().empty()) << "no box unless asked for";
}

TEST_F(PublisherTest, ErrorBoxShowsServerCodeAndMessageWhenAskedFor) {
    StartServer();
    UseFtp();
    state.config.ftpPassword = "wrong";
    state.config.webShowErrors = 1;
    WebPublisher publisher(state, options);
    EXPECT_EQ(publisher.Publish(), 301);
    EXPECT_EQ(Boxes(), (Names{"FTP Error: Error: 530 User ID/Password unknown"}));
    EXPECT_EQ(publisher.Counters().lastErrorText, "Error: 530 User ID/Password unknown");
    EXPECT_EQ(publisher.Counters().lastErrorCode, 530);
}

TEST_F(PublisherTest, RefusedDeleteGetsSixAttemptsThenTheRename) {
    auto& ftp = StartServer({.refuse = "DELE"});
    UseFtp();
    WebPublisher publisher(state, options);
    for (int round = 1; round <= 2; ++round) {
        ASSERT_EQ(publisher.Publish(), 0) << publisher.Counters().lastErrorText;
        EXPECT_EQ(ftp.Count("DELE BRN_Stats.htm"), 6 * round);
        EXPECT_EQ(ftp.Count("DELE BRN_Probes.htm"), 6 * round);
        EXPECT_EQ(FileNames(home / "www"), (Names{"BRN_Probes.htm", "BRN_Stats.htm"}));
        // The rename replaced the old target.
        EXPECT_EQ(SampleNumber(ReadBytes(home / "www" / "BRN_Stats.htm")), round);
    }
}

TEST_F(PublisherTest, RefusedRenameReports601) {
    auto& ftp = StartServer({.refuse = "DELE,RNFR"});
    UseFtp();
    WebPublisher publisher(state, options);
    EXPECT_EQ(publisher.Publish(), 601);
    EXPECT_EQ(ftp.Count("DELE BRN_Stats.htm"), 6);
    EXPECT_EQ(ftp.Count("STOR TEMP.htm"), 1) << "the publication ends at the first file";
    EXPECT_EQ(FileNames(home / "www"), (Names{"TEMP.htm"}));
    const WebCounters counters = publisher.Counters();
    EXPECT_EQ(counters.lastErrorText, "Error renaming file");
    EXPECT_EQ(counters.fileErrors, 1);
    EXPECT_EQ(counters.lastErrorCode, 550);
}

TEST_F(PublisherTest, MissingLocalFolderFailsOnTheStatisticsPage) {
    auto& ftp = StartServer();
    UseFtp();
    UseDisk();
    state.config.webFolder = (scratch.path() / "missing").string();
    WebPublisher publisher(state, options);
    EXPECT_EQ(publisher.Publish(), 900);
    EXPECT_EQ(ftp.Count("STOR TEMP.htm"), 1);
    EXPECT_EQ(ftp.Count("RNFR TEMP.htm"), 0) << "no page is published";
    EXPECT_EQ(FileNames(home / "www"), (Names{"TEMP.htm"}));
    const WebCounters counters = publisher.Counters();
    EXPECT_EQ(counters.lastErrorText, "Error getting screen image");
    EXPECT_EQ(counters.screenFileErrors, 1);
    EXPECT_EQ(counters.lastErrorCode, ENOENT);
}

TEST_F(PublisherTest, SampleNumberGrowsByOneAlsoWhenAPublicationFails) {
    UseDisk();
    WebPublisher publisher(state, options);
    EXPECT_EQ(publisher.Publish(), 0);
    EXPECT_EQ(SampleNumber(ReadBytes(local / "BRN_Stats.htm")), 1);
    std::filesystem::rename(local, scratch.path() / "away");
    EXPECT_EQ(publisher.Publish(), 900);
    std::filesystem::rename(scratch.path() / "away", local);
    EXPECT_EQ(publisher.Publish(), 0);
    EXPECT_EQ(SampleNumber(ReadBytes(local / "BRN_Stats.htm")), 3);
    EXPECT_EQ(publisher.Counters().uploads, 3);
    EXPECT_EQ(publisher.Counters().errors, 1);
}

TEST_F(PublisherTest, ScreenShotRules) {
    UseDisk();
    WebPublisher publisher(state, options);
    UseScreenShot(publisher);

    publisher.SetConsoleAttached(false);  // pages only
    EXPECT_EQ(publisher.Publish(), 0);
    EXPECT_EQ(FileNames(local), (Names{"BRN_Probes.htm", "BRN_Stats.htm"}));
    EXPECT_EQ(screenShots, 0);

    publisher.SetConsoleAttached(true);
    publisher.SetScreenShot([](const std::string&) { return false; });
    EXPECT_EQ(publisher.Publish(), 900);
    EXPECT_EQ(publisher.Counters().screenFileErrors, 1);
    EXPECT_EQ(FileNames(local), (Names{"BRN_Probes.htm", "BRN_Stats.htm"}))
        << "a failed shot leaves no empty ScreenShot.jpg";
}

}  // namespace
}  // namespace brennic
