#include "web/FtpClient.h"

// Only the declarations: libcurl is loaded when the first session opens (LoadCurl).
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <sys/select.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include "core/SharedLibrary.h"

namespace brennic {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

std::optional<int> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

// Characters that would change the meaning of the URL (or of an FTP command) have no place in
// a host name.
bool HostIsClean(std::string_view host) {
    if (host.empty()) {
        return false;
    }
    return std::none_of(host.begin(), host.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F || std::strchr("/?#@\\%\"<>`{}|^", c) != nullptr;
    });
}

std::string Encode(std::string_view text, bool keepSlash) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~' ||
            (keepSlash && c == '/')) {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0x0F];
        }
    }
    return out;
}

// libcurl's functions, from the library loaded at the first session rather than at the
// program's start: with what it needs in turn (TLS, Kerberos, LDAP, SSH...) libcurl is 26
// shared libraries, which cost every start of the window a seventh of its time, for a
// publication that may not even be configured.
struct CurlFunctions {
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_multi_init) multi_init = nullptr;
    decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&::curl_multi_perform) multi_perform = nullptr;
    decltype(&::curl_multi_timeout) multi_timeout = nullptr;
    decltype(&::curl_multi_fdset) multi_fdset = nullptr;
    decltype(&::curl_multi_poll) multi_poll = nullptr;
    decltype(&::curl_multi_info_read) multi_info_read = nullptr;
    decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;
};

struct LoadedCurl {
    CurlFunctions functions;
    std::string error;  // why it could not be loaded; empty when it was
};

// Loads libcurl and initialises it, once for the program (any thread).
const LoadedCurl& LoadCurl() {
    static const LoadedCurl loaded = [] {
        LoadedCurl l;
        SharedLibrary library("libcurl.so.4");
        CurlFunctions& f = l.functions;
        library.Find(f.global_init, "curl_global_init");
        library.Find(f.easy_init, "curl_easy_init");
        library.Find(f.easy_setopt, "curl_easy_setopt");
        library.Find(f.easy_strerror, "curl_easy_strerror");
        library.Find(f.easy_cleanup, "curl_easy_cleanup");
        library.Find(f.multi_init, "curl_multi_init");
        library.Find(f.multi_add_handle, "curl_multi_add_handle");
        library.Find(f.multi_remove_handle, "curl_multi_remove_handle");
        library.Find(f.multi_perform, "curl_multi_perform");
        library.Find(f.multi_timeout, "curl_multi_timeout");
        library.Find(f.multi_fdset, "curl_multi_fdset");
        library.Find(f.multi_poll, "curl_multi_poll");  // 7.66
        library.Find(f.multi_info_read, "curl_multi_info_read");
        library.Find(f.multi_cleanup, "curl_multi_cleanup");
        library.Find(f.slist_append, "curl_slist_append");
        library.Find(f.slist_free_all, "curl_slist_free_all");
        l.error = library.Error();
        if (l.error.empty() && f.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            l.error = "libcurl cannot be initialised";
        }
        return l;
    }();
    return loaded;
}

// The functions of the loaded library: only once a session has opened (its handles exist).
const CurlFunctions& Curl() {
    return LoadCurl().functions;
}

// A curl string list that frees itself.
class CommandList {
  public:
    explicit CommandList(const std::vector<std::string>& commands) {
        for (const std::string& c : commands) {
            list_ = Curl().slist_append(list_, c.c_str());
        }
    }
    ~CommandList() { Curl().slist_free_all(list_); }
    CommandList(const CommandList&) = delete;
    CommandList& operator=(const CommandList&) = delete;
    curl_slist* get() const { return list_; }

  private:
    curl_slist* list_ = nullptr;
};

}  // namespace

std::optional<FtpEndpoint> ParseFtpServer(std::string_view field) {
    std::string_view rest = Trim(field);
    FtpEndpoint endpoint;
    if (StartsWithNoCase(rest, "ftp://")) {
        rest.remove_prefix(6);
    } else if (StartsWithNoCase(rest, "ftps://")) {
        rest.remove_prefix(7);
        endpoint.implicitTls = true;
        endpoint.port = 990;
    } else if (StartsWithNoCase(rest, "ftpes://")) {
        rest.remove_prefix(8);
        endpoint.explicitTls = true;
    }
    if (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }

    std::string_view host = rest;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = rest.substr(0, close + 1);
        std::string_view after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return std::nullopt;
            }
            port = after.substr(1);
            if (port.empty()) {
                return std::nullopt;
            }
        }
        if (!HostIsClean(host.substr(1, host.size() - 2))) {
            return std::nullopt;
        }
        endpoint.host = std::string(host);
    } else {
        const auto colons = std::count(rest.begin(), rest.end(), ':');
        if (colons == 1) {
            const auto colon = rest.find(':');
            host = rest.substr(0, colon);
            port = rest.substr(colon + 1);
            if (port.empty()) {
                return std::nullopt;
            }
        }
        if (!HostIsClean(host)) {
            return std::nullopt;
        }
        // A bare IPv6 address (two or more colons) takes no port; the URL needs brackets.
        endpoint.host = colons > 1 ? "[" + std::string(host) + "]" : std::string(host);
    }
    if (!port.empty()) {
        const auto number = ParsePort(port);
        if (!number) {
            return std::nullopt;
        }
        endpoint.port = *number;
    }
    return endpoint;
}

std::string FtpDirectoryUrl(const FtpEndpoint& endpoint, std::string_view serverPath) {
    std::string url = endpoint.implicitTls ? "ftps://" : "ftp://";
    url += endpoint.host + ":" + std::to_string(endpoint.port) + "/";
    if (serverPath.empty()) {
        return url;
    }
    const bool absolute = serverPath.front() == '/';
    while (!serverPath.empty() && serverPath.front() == '/') {
        serverPath.remove_prefix(1);
    }
    while (!serverPath.empty() && serverPath.back() == '/') {
        serverPath.remove_suffix(1);
    }
    // In an FTP URL a leading "%2F" makes the path absolute; plain segments are relative to
    // the login directory.
    if (absolute) {
        url += "%2F";
    }
    if (!serverPath.empty()) {
        url += Encode(serverPath, true) + "/";
    } else if (absolute) {
        url += "/";
    }
    return url;
}

namespace {

bool IsTransportFailure(CURLcode rc) {
    switch (rc) {
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_COULDNT_CONNECT:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
        case CURLE_SSL_CONNECT_ERROR:
            return true;
        default:
            return false;
    }
}

}  // namespace

struct FtpClient::Session {
    FtpOptions options;
    CURL* curl = nullptr;
    // The steps run on a multi handle of our own, which also keeps the control connection
    // between them (see Perform).
    CURLM* multi = nullptr;
    std::string directoryUrl;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    std::string lastReply;   // last reply line of the current step, without CR LF
    long lastReplyCode = 0;  // its three-digit code; 0 when the server said nothing
    long lastErrorCode = 0;  // recorded by the last failed step
    std::string lastErrorText;

    // The bytes of the running upload.
    std::string_view upload;
    std::size_t offset = 0;
    bool readCalled = false;

    static std::size_t OnReply(char* data, std::size_t size, std::size_t count, void* user) {
        auto* s = static_cast<Session*>(user);
        const std::size_t n = size * count;
        std::string line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        if (!line.empty()) {
            s->lastReply = line;
            s->lastReplyCode = 0;
            if (line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                std::isdigit(static_cast<unsigned char>(line[1])) &&
                std::isdigit(static_cast<unsigned char>(line[2]))) {
                s->lastReplyCode = std::stol(line.substr(0, 3));
            }
        }
        return n;
    }

    static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* s = static_cast<Session*>(user);
        return s->options.cancelled && s->options.cancelled() ? 1 : 0;
    }

    static std::size_t OnRead(char* buffer, std::size_t size, std::size_t count, void* user) {
        auto* s = static_cast<Session*>(user);
        s->readCalled = true;
        const std::size_t n = std::min(size * count, s->upload.size() - s->offset);
        std::memcpy(buffer, s->upload.data() + s->offset, n);
        s->offset += n;
        return n;
    }

    // One step, driven like curl_easy_perform but without its idle wait: right after the
    // passive-mode reply the library has no socket to wait on yet (the data connection is
    // opened on the next turn) and curl_easy_perform then sleeps a whole second before it
    // goes on. Here a turn with nothing to wait on is followed by the next one at once.
    CURLcode Perform() {
        errorBuffer[0] = '\0';
        lastReply.clear();
        lastReplyCode = 0;
        if (Curl().multi_add_handle(multi, curl) != CURLM_OK) {
            return CURLE_FAILED_INIT;
        }
        CURLcode result = CURLE_OK;
        int running = 1;
        while (running != 0) {
            if (Curl().multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            if (running == 0) {
                break;
            }
            long timeout = -1;
            Curl().multi_timeout(multi, &timeout);
            fd_set readSet;
            fd_set writeSet;
            fd_set errorSet;
            FD_ZERO(&readSet);
            FD_ZERO(&writeSet);
            FD_ZERO(&errorSet);
            int maxFd = -1;
            Curl().multi_fdset(multi, &readSet, &writeSet, &errorSet, &maxFd);
            // No socket to wait on: a short nap (a socket beyond FD_SETSIZE also shows as
            // none; it is then polled every millisecond). Otherwise wait for the sockets or
            // the library's next timer, at most a second, as curl_easy_perform does.
            const long cap = maxFd < 0 ? 1 : 1000;
            timeout = timeout < 0 || timeout > cap ? cap : timeout;
            if (Curl().multi_poll(multi, nullptr, 0, static_cast<int>(timeout), nullptr) !=
                CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
        }
        int queued = 0;
        while (CURLMsg* message = Curl().multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl) {
                result = message->data.result;
            }
        }
        Curl().multi_remove_handle(multi, curl);
        return result;
    }

    // A refusal by the server is worth more to the user than the library's summary of it.
    // A connection that failed or went silent is not a refusal, even when an earlier command
    // of the same step was refused (the "*DELE" before a STOR): the library says what happened.
    void RecordFailure(CURLcode rc) {
        if (lastReplyCode >= 400 && !IsTransportFailure(rc)) {
            lastErrorCode = lastReplyCode;
            lastErrorText = lastReply;
        } else {
            lastErrorCode = rc;
            lastErrorText = errorBuffer[0] != '\0' ? errorBuffer : Curl().easy_strerror(rc);
        }
    }

    bool Cancelled() const { return options.cancelled && options.cancelled(); }
};

FtpClient::FtpClient(FtpOptions options) : session_(std::make_unique<Session>()) {
    session_->options = std::move(options);
}

FtpClient::~FtpClient() {
    Close();
}

long FtpClient::LastErrorCode() const {
    return session_->lastErrorCode;
}

const std::string& FtpClient::LastErrorText() const {
    return session_->lastErrorText;
}

FtpStatus FtpClient::Connect(std::string_view server, const std::string& user,
                             const std::string& password, std::string_view serverPath) {
    Session& s = *session_;
    Close();
    const auto endpoint = ParseFtpServer(server);
    if (!endpoint) {
        s.lastErrorCode = CURLE_URL_MALFORMAT;
        s.lastErrorText = "No FTP server named by \"" + std::string(server) + "\"";
        return FtpStatus::kHostUnknown;
    }
    if (const LoadedCurl& loaded = LoadCurl(); !loaded.error.empty()) {
        s.lastErrorCode = CURLE_FAILED_INIT;
        s.lastErrorText = loaded.error;
        return FtpStatus::kNoSession;
    }
    s.curl = Curl().easy_init();
    s.multi = Curl().multi_init();
    if (s.curl == nullptr || s.multi == nullptr) {
        s.lastErrorCode = CURLE_FAILED_INIT;
        s.lastErrorText = Curl().easy_strerror(CURLE_FAILED_INIT);
        return FtpStatus::kNoSession;
    }
    CURL* c = s.curl;
    Curl().easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    Curl().easy_setopt(c, CURLOPT_ERRORBUFFER, s.errorBuffer);
    Curl().easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
    Curl().easy_setopt(c, CURLOPT_HEADERFUNCTION, &Session::OnReply);
    Curl().easy_setopt(c, CURLOPT_HEADERDATA, &s);
    Curl().easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Session::OnProgress);
    Curl().easy_setopt(c, CURLOPT_XFERINFODATA, &s);
    Curl().easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    Curl().easy_setopt(c, CURLOPT_READFUNCTION, &Session::OnRead);
    Curl().easy_setopt(c, CURLOPT_READDATA, &s);
    Curl().easy_setopt(c, CURLOPT_CONNECTTIMEOUT, s.options.connectTimeoutSeconds);
    Curl().easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, s.options.responseTimeoutSeconds);
    Curl().easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    Curl().easy_setopt(c, CURLOPT_LOW_SPEED_TIME, s.options.stallSeconds);
    // One CWD to the whole path, as a user would type it.
    Curl().easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    if (!user.empty()) {
        Curl().easy_setopt(c, CURLOPT_USERNAME, user.c_str());
        Curl().easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
    }
    if (endpoint->explicitTls) {
        Curl().easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    }
    s.directoryUrl = FtpDirectoryUrl(*endpoint, serverPath);

    // A request without a body on the directory: connect, log in, change directory, nothing
    // else. The connection stays open for the following steps.
    Curl().easy_setopt(c, CURLOPT_URL, s.directoryUrl.c_str());
    Curl().easy_setopt(c, CURLOPT_NOBODY, 1L);
    const CURLcode rc = s.Perform();
    if (rc == CURLE_OK) {
        return FtpStatus::kOk;
    }
    s.RecordFailure(rc);
    switch (rc) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return FtpStatus::kHostUnknown;
        case CURLE_LOGIN_DENIED:
            return FtpStatus::kLoginRefused;
        case CURLE_REMOTE_ACCESS_DENIED:
            return FtpStatus::kDirectoryRefused;
        case CURLE_ABORTED_BY_CALLBACK:
            return FtpStatus::kCancelled;
        case CURLE_OUT_OF_MEMORY:
        case CURLE_FAILED_INIT:
            return FtpStatus::kNoSession;
        default:
            return FtpStatus::kConnectFailed;
    }
}

FtpStatus FtpClient::Store(const std::string& name, std::string_view data, bool ascii,
                           bool deleteFirst) {
    Session& s = *session_;
    if (s.curl == nullptr) {
        s.lastErrorCode = CURLE_FAILED_INIT;
        s.lastErrorText = "Not connected";
        return FtpStatus::kOpenFailed;
    }
    CURL* c = s.curl;
    const std::string url = s.directoryUrl + Encode(name, false);
    // "*" makes the DELE's failure harmless; a pre-quote runs after the CWD, in the right
    // directory.
    CommandList pre({"*DELE " + name});
    s.upload = data;
    s.offset = 0;
    s.readCalled = false;
    Curl().easy_setopt(c, CURLOPT_URL, url.c_str());
    Curl().easy_setopt(c, CURLOPT_NOBODY, 0L);
    Curl().easy_setopt(c, CURLOPT_UPLOAD, 1L);
    Curl().easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(data.size()));
    Curl().easy_setopt(c, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    Curl().easy_setopt(c, CURLOPT_PREQUOTE, deleteFirst ? pre.get() : nullptr);
    const CURLcode rc = s.Perform();
    Curl().easy_setopt(c, CURLOPT_PREQUOTE, nullptr);
    Curl().easy_setopt(c, CURLOPT_UPLOAD, 0L);
    Curl().easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);
    s.upload = {};
    if (rc == CURLE_OK) {
        return FtpStatus::kOk;
    }
    s.RecordFailure(rc);
    if (rc == CURLE_ABORTED_BY_CALLBACK || s.Cancelled()) {
        return FtpStatus::kCancelled;
    }
    if (!s.readCalled) {
        return FtpStatus::kOpenFailed;
    }
    return s.offset < data.size() ? FtpStatus::kWriteFailed : FtpStatus::kCloseFailed;
}

FtpStatus FtpClient::Delete(const std::string& name) {
    return Command({"DELE " + name});
}

FtpStatus FtpClient::Rename(const std::string& from, const std::string& to) {
    return Command({"RNFR " + from, "RNTO " + to});
}

FtpStatus FtpClient::Command(const std::vector<std::string>& commands) {
    Session& s = *session_;
    if (s.curl == nullptr) {
        s.lastErrorCode = CURLE_FAILED_INIT;
        s.lastErrorText = "Not connected";
        return FtpStatus::kRefused;
    }
    CURL* c = s.curl;
    // After-transfer commands of a request without a body run after the CWD.
    CommandList post(commands);
    Curl().easy_setopt(c, CURLOPT_URL, s.directoryUrl.c_str());
    Curl().easy_setopt(c, CURLOPT_NOBODY, 1L);
    Curl().easy_setopt(c, CURLOPT_POSTQUOTE, post.get());
    const CURLcode rc = s.Perform();
    Curl().easy_setopt(c, CURLOPT_POSTQUOTE, nullptr);
    if (rc == CURLE_OK) {
        return FtpStatus::kOk;
    }
    s.RecordFailure(rc);
    return rc == CURLE_ABORTED_BY_CALLBACK ? FtpStatus::kCancelled : FtpStatus::kRefused;
}

void FtpClient::Close() {
    Session& s = *session_;
    if (s.multi != nullptr) {
        if (s.curl != nullptr) {
            // The QUIT at clean-up should not hold a stopping program for long. The multi
            // handle sends it with the time-outs of the handle added last, hence the turn.
            Curl().easy_setopt(s.curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 5L);
            Curl().multi_add_handle(s.multi, s.curl);
            Curl().multi_remove_handle(s.multi, s.curl);
        }
        Curl().multi_cleanup(s.multi);
        s.multi = nullptr;
    }
    if (s.curl != nullptr) {
        Curl().easy_cleanup(s.curl);
        s.curl = nullptr;
    }
}

}  // namespace brennic
