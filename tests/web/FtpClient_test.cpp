#include "web/FtpClient.h"

#include <gtest/gtest.h>

#include "support/FtpTestServer.h"

namespace brennic {
namespace {

TEST(FtpClient, ServerFieldForms) {
    struct Case {
        const char* field;
        const char* host;
        int port;
        bool implicitTls;
        bool explicitTls;
    };
    const Case cases[] = {
        {"ftp.example.com", "ftp.example.com", 21, false, false},
        {"ftp.example.com:2121", "ftp.example.com", 2121, false, false},
        {"ftp://ftp.example.com/", "ftp.example.com", 21, false, false},
        {"FTPS://secure.example.com", "secure.example.com", 990, true, false},
        {"ftpes://secure.example.com:2121", "secure.example.com", 2121, false, true},
        {"[::1]:2121", "[::1]", 2121, false, false},
        {"fe80::1", "[fe80::1]", 21, false, false},
    };
    for (const Case& c : cases) {
        const auto endpoint = ParseFtpServer(c.field);
        ASSERT_TRUE(endpoint.has_value()) << c.field;
        EXPECT_EQ(endpoint->host, c.host) << c.field;
        EXPECT_EQ(endpoint->port, c.port) << c.field;
        EXPECT_EQ(endpoint->implicitTls, c.implicitTls) << c.field;
        EXPECT_EQ(endpoint->explicitTls, c.explicitTls) << c.field;
    }
    for (const char* bad :
         {"", "ftp://", "host:0", "host:65536", "host/pub", "user@host", "[::1", "sftp://host"}) {
        EXPECT_FALSE(ParseFtpServer(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(FtpClient, DirectoryUrls) {
    const FtpEndpoint plain{"h", 21, false, false};
    const FtpEndpoint implicitTls{"h", 990, true, false};
    struct Case {
        const FtpEndpoint* endpoint;
        const char* path;
        const char* url;
    };
    const Case cases[] = {
        {&plain, "", "ftp://h:21/"},
        {&plain, "www", "ftp://h:21/www/"},
        {&plain, "/var/www", "ftp://h:21/%2Fvar/www/"},
        {&plain, "my site/#1", "ftp://h:21/my%20site/%231/"},
        {&implicitTls, "pub", "ftps://h:990/pub/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FtpDirectoryUrl(*c.endpoint, c.path), c.url) << c.path;
    }
}

// An ASCII transfer sends every line end as CR LF; a server on a CR LF platform keeps them,
// so binary data sent as text arrives changed. Binary keeps every byte. This is why the screen
// shot must not go up as text.
TEST(FtpClient, AsciiTransfersRewriteLineEndsBinaryKeepsBytes) {
    testing::TempFolder scratch;
    const auto home = scratch.Path() / "site";
    std::filesystem::create_directories(home / "in");
    test::FtpServerSetup setup;
    setup.keepLineEnds = true;
    test::FtpTestServer server(home, scratch.Path() / "ftp.log", setup);
    ASSERT_TRUE(server.Start());

    FtpClient ftp;
    ASSERT_EQ(ftp.Connect(server.address(), "brennic", "secret", "in"), FtpStatus::kOk);
    const std::string bytes("\xFF\xD8\r\n\x00\n\r\n\xFF\xD9", 10);
    EXPECT_EQ(ftp.Store("text.bin", bytes, true, true), FtpStatus::kOk);
    EXPECT_EQ(ftp.Store("image.bin", bytes, false, true), FtpStatus::kOk);
    EXPECT_EQ(ftp.Rename("image.bin", "image.jpg"), FtpStatus::kOk);
    EXPECT_EQ(ftp.Delete("nothing-here"), FtpStatus::kRefused);
    EXPECT_EQ(ftp.LastErrorCode(), 550);
    EXPECT_NE(ftp.LastErrorText().find("550 "), std::string::npos);
    ftp.Close();

    EXPECT_EQ(test::ReadAll(home / "in" / "text.bin"),
              std::string("\xFF\xD8\r\r\n\x00\r\n\r\r\n\xFF\xD9", 13));
    EXPECT_EQ(test::ReadAll(home / "in" / "image.jpg"), bytes);
    EXPECT_EQ(server.Count("PASS ******"), 1) << "one login for the whole session";
}

}  // namespace
}  // namespace brennic
