#include "http/HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <cstring>
#include <map>

#include "core/AppState.h"
#include "http/ApiJson.h"
#include "http/EmbeddedFiles.h"
#include "http/HistoryQuery.h"
#include "http/MetricsText.h"
#include "http/MhdLibrary.h"
#include "web/WebPages.h"

namespace brennic {

namespace {

// What a request's first call leaves for the following ones.
struct RequestMark {
    bool seen = false;
};

struct StaticFile {
    const char* url;
    const char* type;
};

const StaticFile kStaticFiles[] = {
    {"/", "text/html; charset=utf-8"},
    {"/dashboard.js", "text/javascript; charset=utf-8"},
    {"/dashboard.css", "text/css; charset=utf-8"},
    {"/uPlot.min.js", "text/javascript; charset=utf-8"},
    {"/uPlot.min.css", "text/css; charset=utf-8"},
    {"/uPlot-LICENSE.txt", "text/plain; charset=utf-8"},
};

MHD_Result Result(int r) {
    return r == MHD_YES ? MHD_YES : MHD_NO;
}

MHD_Result CollectArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* params = static_cast<std::map<std::string, std::string>*>(cls);
    (*params)[key] = value != nullptr ? value : "";
    return MHD_YES;
}

std::map<std::string, std::string> Arguments(MHD_Connection* c) {
    std::map<std::string, std::string> params;
    Mhd().get_connection_values(c, MHD_GET_ARGUMENT_KIND, CollectArgument, &params);
    return params;
}

std::string Header(MHD_Connection* c, const char* name) {
    const char* v = Mhd().lookup_connection_value(c, MHD_HEADER_KIND, name);
    return v != nullptr ? v : "";
}

// Compares without an early exit, so the time taken says nothing about the token.
bool SameSecret(const std::string& a, const std::string& b) {
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a[i] ^ b[i % (b.empty() ? 1 : b.size())]);
    }
    return diff == 0 && !b.empty();
}

}  // namespace

// The library's callbacks, with access to the server.
class HttpServerGlue {
  public:
    static MHD_Result Access(void* cls, MHD_Connection* c, const char* url, const char* method,
                             const char*, const char*, std::size_t* uploadSize, void** state) {
        auto* server = static_cast<HttpServer*>(cls);
        if (*state == nullptr) {
            // The first call carries the headers only; answer on it (no route reads a body).
            static RequestMark mark;
            *state = &mark;
            server->requests_.fetch_add(1);
            return Result(server->Handle(c, url, method, *uploadSize));
        }
        // A body after an answer was queued: discard it.
        *uploadSize = 0;
        return MHD_YES;
    }

    // Over the cap a new connection is closed at once, so that it is refused rather than
    // left waiting in the listen queue (where the library would leave it).
    static MHD_Result Admit(void* cls, const sockaddr*, socklen_t) {
        auto* server = static_cast<HttpServer*>(cls);
        if (server->open_.load() >= server->settings_.maxConnections) {
            server->overCap_.fetch_add(1);
            return MHD_NO;
        }
        return MHD_YES;
    }
    static void Notify(void* cls, MHD_Connection*, void**, MHD_ConnectionNotificationCode code) {
        auto* server = static_cast<HttpServer*>(cls);
        server->open_.fetch_add(code == MHD_CONNECTION_NOTIFY_STARTED ? 1 : -1);
    }

    static ssize_t ReadHistory(void* cls, std::uint64_t, char* buf, std::size_t max) {
        const std::size_t n = static_cast<HistoryAnswer*>(cls)->Read(buf, max);
        return n == 0 ? MHD_CONTENT_READER_END_OF_STREAM : static_cast<ssize_t>(n);
    }
    static void FreeHistory(void* cls) { delete static_cast<HistoryAnswer*>(cls); }

    struct StreamSubscription {
        HttpServer* server;
        std::shared_ptr<EventStream::Client> client;
    };
    static ssize_t ReadStream(void* cls, std::uint64_t, char* buf, std::size_t max) {
        auto* s = static_cast<StreamSubscription*>(cls);
        const long n = s->server->stream_.Read(*s->client, buf, max);
        return n < 0 ? MHD_CONTENT_READER_END_OF_STREAM : static_cast<ssize_t>(n);
    }
    static void FreeStream(void* cls) {
        auto* s = static_cast<StreamSubscription*>(cls);
        s->server->stream_.Unsubscribe(*s->client);
        delete s;
    }
};

HttpServer::HttpServer(HttpSettings settings, HttpSources sources)
    : settings_(std::move(settings)),
      sources_(std::move(sources)),
      stream_([this]() -> std::optional<LiveSnapshot> {
          if (!sources_.snapshot || !serving_) {
              return std::nullopt;
          }
          return sources_.snapshot(sources_.clock());
      }) {}

HttpServer::~HttpServer() {
    Stop();
}

bool HttpServer::Start(std::string& error) {
    if (daemon_ != nullptr) {
        return true;
    }
    if (const MhdFunctions& library = Mhd(); !library.error.empty()) {
        error = library.error;
        return false;
    }
    sockaddr_storage address{};
    unsigned flags = MHD_USE_AUTO_INTERNAL_THREAD | MHD_USE_ITC | MHD_ALLOW_SUSPEND_RESUME;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET, settings_.bind.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(settings_.port));
    } else if (inet_pton(AF_INET6, settings_.bind.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(settings_.port));
        flags |= MHD_USE_IPv6;
    } else {
        error = "the address \"" + settings_.bind + "\" is not an IP address";
        return false;
    }
    daemon_ = Mhd().start_daemon(
        flags, 0, &HttpServerGlue::Admit, this, &HttpServerGlue::Access, this,  //
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&address), MHD_OPTION_THREAD_POOL_SIZE,
        static_cast<unsigned>(settings_.threads), MHD_OPTION_NOTIFY_CONNECTION,
        &HttpServerGlue::Notify, this,
        // The library divides its own limit among its threads; the cap itself is Admit's.
        MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(settings_.maxConnections * settings_.threads + 8),
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<unsigned>(settings_.maxConnectionsPerIp),
        MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(settings_.timeoutSeconds),
        // Request line and headers must fit in 16 KiB; larger ones get 431 from the library.
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<std::size_t>(16 * 1024),
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 128u, MHD_OPTION_END);
    if (daemon_ == nullptr) {
        error = "cannot listen on " + settings_.bind + " port " + std::to_string(settings_.port) +
                " (in use, or not an address of this machine)";
        return false;
    }
    const MHD_DaemonInfo* info = Mhd().get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info != nullptr ? info->port : settings_.port;
    serving_ = true;
    return true;
}

void HttpServer::Stop() {
    if (daemon_ == nullptr) {
        return;
    }
    serving_ = false;
    // Parked stream connections must be woken before the library may stop.
    stream_.Close();
    Mhd().stop_daemon(daemon_);
    daemon_ = nullptr;
    port_ = 0;
}

HttpCounters HttpServer::Counters() const {
    HttpCounters c;
    c.requests = requests_.load();
    c.refused = refused_.load();
    c.streamClients = stream_.ClientCount();
    c.droppedStreams = stream_.DroppedCount();
    c.overCap = overCap_.load();
    return c;
}

void HttpServer::AddCommonHeaders(MHD_Response* r, bool noStore) const {
    Mhd().add_response_header(r, "X-Content-Type-Options", "nosniff");
    if (noStore) {
        Mhd().add_response_header(r, "Cache-Control", "no-store");
    }
    if (!settings_.allowOrigin.empty()) {
        Mhd().add_response_header(r, "Access-Control-Allow-Origin", settings_.allowOrigin.c_str());
        Mhd().add_response_header(r, "Vary", "Origin");
    }
}

int HttpServer::SendText(MHD_Connection* c, int status, const std::string& type, std::string body) {
    MHD_Response* r =
        Mhd().create_response_from_buffer(body.size(), body.data(), MHD_RESPMEM_MUST_COPY);
    Mhd().add_response_header(r, "Content-Type", type.c_str());
    AddCommonHeaders(r, true);
    if (status == MHD_HTTP_METHOD_NOT_ALLOWED) {
        Mhd().add_response_header(r, "Allow", "GET, HEAD, OPTIONS");
    }
    if (status == MHD_HTTP_UNAUTHORIZED) {
        Mhd().add_response_header(r, "WWW-Authenticate", "Bearer");
    }
    const int result = Mhd().queue_response(c, static_cast<unsigned>(status), r);
    Mhd().destroy_response(r);
    return result;
}

int HttpServer::SendError(MHD_Connection* c, int status, const std::string& message) {
    refused_.fetch_add(1);
    return SendText(c, status, "application/json", ErrorJson(status, message));
}

bool HttpServer::Authorised(MHD_Connection* c) const {
    if (settings_.token.empty()) {
        return true;
    }
    const std::string auth = Header(c, MHD_HTTP_HEADER_AUTHORIZATION);
    if (auth.rfind("Bearer ", 0) == 0 && SameSecret(auth.substr(7), settings_.token)) {
        return true;
    }
    const char* query = Mhd().lookup_connection_value(c, MHD_GET_ARGUMENT_KIND, "token");
    return query != nullptr && SameSecret(query, settings_.token);
}

int HttpServer::Handle(MHD_Connection* c, const std::string& url, const std::string& method,
                       std::size_t uploadSize) {
    if (method == "OPTIONS") {
        // A CORS preflight: nothing to do but say what is allowed.
        MHD_Response* r = Mhd().create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
        AddCommonHeaders(r, true);
        Mhd().add_response_header(r, "Allow", "GET, HEAD, OPTIONS");
        if (!settings_.allowOrigin.empty()) {
            Mhd().add_response_header(r, "Access-Control-Allow-Methods", "GET, HEAD, OPTIONS");
            Mhd().add_response_header(r, "Access-Control-Allow-Headers", "Authorization");
        }
        const int result = Mhd().queue_response(c, MHD_HTTP_NO_CONTENT, r);
        Mhd().destroy_response(r);
        return result;
    }
    if (method != "GET" && method != "HEAD") {
        return SendError(c, MHD_HTTP_METHOD_NOT_ALLOWED,
                         "method " + method + " not allowed: the server is read-only");
    }
    const std::string length = Header(c, MHD_HTTP_HEADER_CONTENT_LENGTH);
    if (uploadSize > 0 || (!length.empty() && length != "0") ||
        !Header(c, MHD_HTTP_HEADER_TRANSFER_ENCODING).empty()) {
        return SendError(c, MHD_HTTP_CONTENT_TOO_LARGE, "a GET request carries no body");
    }
    // The page and its script, style and chart library hold no data: they load without the
    // token, so that a link with ?token= opens the dashboard.
    for (const StaticFile& f : kStaticFiles) {
        if (url == f.url) {
            const auto bytes = FindEmbeddedFile(url);
            if (!bytes) {
                break;
            }
            MHD_Response* r = Mhd().create_response_from_buffer(
                bytes->size(), const_cast<char*>(bytes->data()), MHD_RESPMEM_PERSISTENT);
            Mhd().add_response_header(r, "Content-Type", f.type);
            Mhd().add_response_header(r, "Content-Security-Policy",
                                      "default-src 'self'; style-src 'self' 'unsafe-inline'");
            AddCommonHeaders(r, false);
            const int result = Mhd().queue_response(c, MHD_HTTP_OK, r);
            Mhd().destroy_response(r);
            return result;
        }
    }
    if (!Authorised(c)) {
        return SendError(c, MHD_HTTP_UNAUTHORIZED, "a valid token is needed");
    }
    return Route(c, url);
}

int HttpServer::Route(MHD_Connection* c, const std::string& url) {
    const auto snapshot = [this] { return sources_.snapshot(sources_.clock()); };
    if (url == "/api/v1/current") {
        return SendText(c, MHD_HTTP_OK, "application/json", CurrentJson(snapshot()).dump() + "\n");
    }
    if (url == "/api/v1/statistics") {
        return SendText(c, MHD_HTTP_OK, "application/json",
                        StatisticsJson(snapshot()).dump() + "\n");
    }
    if (url == "/api/v1/history") {
        return SendHistory(c);
    }
    if (url == "/api/v1/stream") {
        return SendStream(c);
    }
    if (url == "/api/v1/alerts") {
        return SendText(
            c, MHD_HTTP_OK, "application/json",
            (sources_.alerts
                 ? sources_.alerts()
                 : std::string(R"({"enabled":false,"rules":{},"active":[],"history":[]})")) +
                "\n");
    }
    if (url == "/metrics") {
        return SendText(c, MHD_HTTP_OK, "text/plain; version=0.0.4; charset=utf-8",
                        MetricsText(snapshot()));
    }
    if (url == "/healthz") {
        return SendHealth(c);
    }
    if (url == "/BRN_Stats.htm") {
        return SendText(c, MHD_HTTP_OK, "text/html", WriteStatsPage(snapshot().page));
    }
    if (url == "/BRN_Probes.htm") {
        return SendText(c, MHD_HTTP_OK, "text/html", WriteProbesPage(snapshot().page));
    }
    if (url == "/screenshot.jpg") {
        return SendScreenshot(c);
    }
    return SendError(c, MHD_HTTP_NOT_FOUND, "no such route: " + url);
}

int HttpServer::SendHealth(MHD_Connection* c) {
    const LiveSnapshot s = sources_.snapshot(sources_.clock());
    const long long limit = 3LL * s.links.expectedIntervalSeconds;
    std::string reason;
    if (s.links.testData) {
        reason = "test data runs";
    } else if (!s.page.links.comActive) {
        reason = "the serial link is stopped";
    } else if (s.page.sampleCount == 0) {
        reason = "no controller line yet";
    } else if (s.now - s.page.current.time > limit) {
        reason = "no controller line for " + std::to_string(s.now - s.page.current.time) +
                 " s (expected within " + std::to_string(limit) + " s)";
    }
    const bool ok = s.links.testData || reason.empty();
    nlohmann::json body = {{"status", ok ? "ok" : "unhealthy"}};
    if (!reason.empty()) {
        body["reason"] = reason;
    }
    if (s.page.sampleCount > 0) {
        body["lastSample"] = {{"iso", IsoTime(s.page.current.time)},
                              {"epoch", s.page.current.time}};
    }
    return SendText(c, ok ? MHD_HTTP_OK : MHD_HTTP_SERVICE_UNAVAILABLE, "application/json",
                    body.dump() + "\n");
}

int HttpServer::SendHistory(MHD_Connection* c) {
    std::string error;
    const auto query =
        ParseHistoryQuery(Arguments(c), Header(c, MHD_HTTP_HEADER_ACCEPT), sources_.clock(), error);
    if (!query) {
        return SendError(c, MHD_HTTP_BAD_REQUEST, error);
    }
    auto* writer = new HistoryAnswer(*query, sources_.history(query->from, query->to));
    MHD_Response* r = Mhd().create_response_from_callback(MHD_SIZE_UNKNOWN, 64 * 1024,
                                                          &HttpServerGlue::ReadHistory, writer,
                                                          &HttpServerGlue::FreeHistory);
    Mhd().add_response_header(r, "Content-Type", writer->ContentType());
    AddCommonHeaders(r, true);
    const int result = Mhd().queue_response(c, MHD_HTTP_OK, r);
    Mhd().destroy_response(r);
    return result;
}

int HttpServer::SendStream(MHD_Connection* c) {
    auto* s = new HttpServerGlue::StreamSubscription{this, stream_.Subscribe(c)};
    MHD_Response* r = Mhd().create_response_from_callback(
        MHD_SIZE_UNKNOWN, 4096, &HttpServerGlue::ReadStream, s, &HttpServerGlue::FreeStream);
    Mhd().add_response_header(r, "Content-Type", "text/event-stream");
    AddCommonHeaders(r, true);
    const int result = Mhd().queue_response(c, MHD_HTTP_OK, r);
    Mhd().destroy_response(r);
    return result;
}

int HttpServer::SendScreenshot(MHD_Connection* c) {
    if (!sources_.screenshot) {
        return SendError(c, MHD_HTTP_SERVICE_UNAVAILABLE, "no window picture in this mode");
    }
    std::string jpeg;
    {
        // Many viewers at once share one picture a second instead of queueing renders.
        std::lock_guard lock(screenshotMutex_);
        const std::time_t now = sources_.clock();
        if (screenshot_.empty() || now != screenshotTime_) {
            auto picture = sources_.screenshot();
            if (!picture || picture->empty()) {
                return SendError(c, MHD_HTTP_SERVICE_UNAVAILABLE, "the picture failed");
            }
            screenshot_ = std::move(*picture);
            screenshotTime_ = now;
        }
        jpeg = screenshot_;
    }
    return SendText(c, MHD_HTTP_OK, "image/jpeg", std::move(jpeg));
}

HttpSources AppStateSources(AppState& state, std::function<LiveLinks()> links) {
    HttpSources s;
    s.snapshot = [&state, links](std::time_t now) {
        StateGuard guard(state.lock);
        return TakeLiveSnapshot(state, links ? links() : LiveLinks{}, now);
    };
    s.history = [&state](std::time_t from, std::time_t to) {
        StateGuard guard(state.lock);
        return CopyHistory(state, from, to);
    };
    return s;
}

}  // namespace brennic
