#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brennic {

// Where the "FTP Server" field points. Accepted forms: "host", "host:port", "[v6addr]:port",
// and the same after "ftp://", "ftps://" (TLS from the first byte, port 990 unless given) or
// "ftpes://" (plain connection upgraded with AUTH TLS before the login, port 21 unless given).
// A plain name keeps port 21 and plain FTP.
struct FtpEndpoint {
    std::string host;  // as it goes into a URL (IPv6 addresses keep their brackets)
    int port = 21;
    bool implicitTls = false;
    bool explicitTls = false;
};

// Nullopt when the field is empty or cannot name a server (bad port, stray characters).
std::optional<FtpEndpoint> ParseFtpServer(std::string_view field);

// URL of the directory `serverPath` on the endpoint, ending in "/". A path starting with "/"
// is absolute on the server; any other is relative to the login directory. Every path byte
// other than letters, digits, "-._~" and "/" is percent-encoded.
std::string FtpDirectoryUrl(const FtpEndpoint& endpoint, std::string_view serverPath);

// How an FTP step ended.
enum class FtpStatus {
    kOk,
    kNoSession,         // the client library could not set up a session
    kHostUnknown,       // the server name did not resolve (or the field names no server)
    kLoginRefused,      // the server refused the user name or the password
    kConnectFailed,     // any other failure to connect or log in (refused, time-out, TLS)
    kDirectoryRefused,  // the server path could not be made current
    kOpenFailed,        // the server would not take the file (nothing was sent)
    kWriteFailed,       // the connection failed while the bytes were being sent
    kCloseFailed,       // all bytes were sent but the server did not confirm the file
    kRefused,           // a DELE or RNFR/RNTO command was refused
    kCancelled,         // the cancel check asked to stop
};

struct FtpOptions {
    long connectTimeoutSeconds = 30;   // TCP and TLS connect
    long responseTimeoutSeconds = 60;  // longest wait for one server reply
    long stallSeconds = 60;            // a transfer below 1 byte/s for this long fails
    std::function<bool()> cancelled;   // polled during every step; true aborts the step
};

// A small FTP client on libcurl for the web publisher: one session (one control connection,
// reused by every step) from Connect to Close, passive mode, one current directory. Not
// thread-safe: one thread uses one client. No StateLock involvement.
class FtpClient {
  public:
    explicit FtpClient(FtpOptions options = {});
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Connects to `server` (the "FTP Server" field), logs in (anonymous when `user` is empty)
    // and makes `serverPath` the current directory when it is not empty.
    FtpStatus Connect(std::string_view server, const std::string& user, const std::string& password,
                      std::string_view serverPath);

    // Stores `data` under `name` in the current directory: ASCII transfer type when `ascii`,
    // else binary. With `deleteFirst` a DELE of `name` goes first; its failure is ignored.
    FtpStatus Store(const std::string& name, std::string_view data, bool ascii, bool deleteFirst);

    FtpStatus Delete(const std::string& name);
    FtpStatus Rename(const std::string& from, const std::string& to);

    // Ends the session (QUIT). Also done by the destructor.
    void Close();

    // The failure recorded by the last failed step: the server's reply code and text when
    // the server replied during that step, else the library's error code and text.
    long LastErrorCode() const;
    const std::string& LastErrorText() const;

  private:
    struct Session;
    FtpStatus Command(const std::vector<std::string>& commands);
    std::unique_ptr<Session> session_;
};

}  // namespace brennic
