#include "web/WebPublisher.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "support/PublisherFixture.h"

namespace brennic {
namespace {

using test::FileNames;
using test::FtpServerSetup;
using test::kFakeJpeg;
using test::PublisherTest;
using test::ReadAll;

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

    const std::string stats = ReadAll(home / "www" / "BRN_Stats.htm");
    EXPECT_EQ(stats, ReadAll(local / "BRN_Stats.htm"));
    EXPECT_EQ(SampleNumber(stats), 1);
    const std::string probes = WriteProbesPage(TakePageSnapshot(state, {}, 1, 0));
    EXPECT_EQ(ReadAll(home / "www" / "BRN_Probes.htm"), probes);
    EXPECT_EQ(ReadAll(home / "www" / "ScreenShot.jpg"), kFakeJpeg);
    EXPECT_TRUE(std::filesystem::is_empty(temp)) << "the scratch JPEG and its folder are gone";

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
    EXPECT_EQ(SampleNumber(ReadAll(home / "www" / "BRN_Stats.htm")), 2);
    EXPECT_EQ(FileNames(home / "www"), published);

    const WebCounters counters = publisher.Counters();
    EXPECT_EQ(counters.uploads, 2);
    EXPECT_EQ(counters.errors, 0);
    EXPECT_TRUE(Boxes().empty());
}

// A server on 127.0.0.1 that accepts connections, sends `greeting` and then says nothing.
class SilentServer {
  public:
    explicit SilentServer(std::string greeting) : greeting_(std::move(greeting)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(fd_, 4), 0);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            for (int c; (c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                ::send(c, greeting_.data(), greeting_.size(), MSG_NOSIGNAL);
                held_.push_back(c);  // only this thread touches it until the join
            }
        });
    }
    ~SilentServer() {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
        for (int c : held_) {
            ::close(c);
        }
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    std::string greeting_;
    int fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port_ = 0;
    std::thread thread_;
    std::vector<int> held_;
};

// Another local user plants a link at the name the scratch picture once had: it is not
// followed, and nothing is left behind.
TEST_F(PublisherTest, AScratchNameLinkIsLeftUntouched) {
    const auto victim = scratch.Path() / "victim.txt";
    test::WriteFile(victim, "keep");
    const auto planted = temp / "Brennic_Screen_Shot.jpg";
    std::filesystem::create_symlink(victim, planted);
    UseDisk();
    WebPublisher publisher(state, options);
    UseScreenShot(publisher);
    ASSERT_EQ(publisher.Publish(), 0) << publisher.Counters().lastErrorText;
    EXPECT_EQ(ReadAll(victim), "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(planted));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp), {}), 1);
    EXPECT_EQ(ReadAll(local / "ScreenShot.jpg"), kFakeJpeg);
}

// Every login fault keeps its code and counter, and the last error text names the real cause
// after the code's message: a refused connection and a silent server are no bad login.
TEST_F(PublisherTest, LoginFailuresAreCountedUnderFtpOther) {
    StartServer();
    SilentServer silent("");
    SilentServer greeter("220 Hello\r\n");
    options.ftp.responseTimeoutSeconds = 1;
    struct Case {
        const char* what;
        std::string server;
        const char* password;
        const char* path;
        int code;
        const char* message;
        const char* cause;  // in the text after the message
    };
    const Case cases[] = {
        {"wrong password", server->address(), "wrong", "www", 301, "User ID/Password unknown",
         ": 530 "},
        {"unknown host", "no-such-host.invalid", "secret", "www", 200, "Site ID unknown",
         ": Could not resolve host"},
        {"no server named", "", "secret", "www", 200, "Site ID unknown",
         ": No FTP server named by"},
        {"bad server path", server->address(), "secret", "no/such/dir", 303, "Bad server path",
         ": 550 "},
        {"nobody listening", "127.0.0.1:1", "secret", "www", 302, "Bad login information",
         ": Failed to connect to 127.0.0.1 port 1"},
        {"silent server", silent.Address(), "secret", "www", 302, "Bad login information",
         ": server response timeout"},
        {"stalls after the greeting", greeter.Address(), "secret", "www", 302,
         "Bad login information", ": server response timeout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseFtp(c.path);
        state.config.ftpServer = c.server;
        state.config.ftpPassword = c.password;
        WebPublisher publisher(state, options);
        EXPECT_EQ(publisher.Publish(), c.code);
        const WebCounters counters = publisher.Counters();
        EXPECT_EQ(counters.lastErrorText.rfind(c.message, 0), 0u) << counters.lastErrorText;
        EXPECT_NE(counters.lastErrorText.find(c.cause), std::string::npos)
            << counters.lastErrorText;
        EXPECT_EQ(counters.errors, 1);
        EXPECT_EQ(counters.loginErrors, 1);
        EXPECT_EQ(counters.uploads, 0) << "no page was written";
        EXPECT_TRUE(FileNames(home / "www").empty());
    }
    EXPECT_TRUE(Boxes().empty()) << "no box unless asked for";

    // Asked for, the box shows the server's code and message.
    UseFtp();
    state.config.ftpPassword = "wrong";
    state.config.webShowErrors = 1;
    WebPublisher publisher(state, options);
    EXPECT_EQ(publisher.Publish(), 301);
    const std::string text = "Error: 530 User ID/Password unknown: 530 Authentication failed.";
    EXPECT_EQ(Boxes(), (Names{"FTP Error: " + text}));
    EXPECT_EQ(publisher.Counters().lastErrorText, text);
    EXPECT_EQ(publisher.Counters().lastErrorCode, 530);
}

// A STOR the server never answers: the upload fails on the time-out, not on the refusal of
// the DELE that went before it in the same step.
TEST_F(PublisherTest, AStorNeverAnsweredSaysItTimedOut) {
    FtpServerSetup setup;
    setup.silent = "STOR";
    StartServer(setup);
    UseFtp();
    options.ftp.responseTimeoutSeconds = 1;
    WebPublisher publisher(state, options);
    EXPECT_EQ(publisher.Publish(), 400);
    const WebCounters counters = publisher.Counters();
    EXPECT_EQ(counters.fileErrors, 1);
    EXPECT_EQ(counters.lastErrorText, "Error opening file: server response timeout");
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
    EXPECT_EQ(counters.lastErrorText, "Error renaming file: 550 RNFR refused by the test server.");
    EXPECT_EQ(counters.fileErrors, 1);
    EXPECT_EQ(counters.lastErrorCode, 550);
}

TEST_F(PublisherTest, MissingLocalFolderFailsOnTheStatisticsPage) {
    auto& ftp = StartServer();
    UseFtp();
    UseDisk();
    state.config.webFolder = (scratch.Path() / "missing").string();
    WebPublisher publisher(state, options);
    EXPECT_EQ(publisher.Publish(), 900);
    EXPECT_EQ(ftp.Count("STOR TEMP.htm"), 1);
    EXPECT_EQ(ftp.Count("RNFR TEMP.htm"), 0) << "no page is published";
    EXPECT_EQ(FileNames(home / "www"), (Names{"TEMP.htm"}));
    const WebCounters counters = publisher.Counters();
    EXPECT_EQ(counters.lastErrorText, "Error getting screen image: No such file or directory");
    EXPECT_EQ(counters.screenFileErrors, 1);
    EXPECT_EQ(counters.lastErrorCode, ENOENT);
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
