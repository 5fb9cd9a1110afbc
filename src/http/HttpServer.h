#pragma once

#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "http/EventStream.h"
#include "http/HttpSettings.h"
#include "http/LiveSnapshot.h"

struct MHD_Daemon;
struct MHD_Connection;
struct MHD_Response;

namespace brennic {

// Where the server gets what it serves. Each function is called on a server thread, never
// with any lock of the server held; each takes the StateLock (or the station's copy) briefly
// itself, copies, and releases it before returning.
struct HttpSources {
    std::function<LiveSnapshot(std::time_t now)> snapshot;
    std::function<std::vector<Sample>(std::time_t from, std::time_t to)> history;
    // The window's picture as JPEG bytes; nullopt when it cannot be had. May be empty.
    std::function<std::optional<std::string>()> screenshot;
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };
    // The JSON of /api/v1/alerts; empty when the alerts are switched off.
    std::function<std::string()> alerts;
};

// Counters of the server, shown by /metrics. Any thread.
struct HttpCounters {
    std::uint64_t requests = 0;
    std::uint64_t refused = 0;  // answered with 4xx
    std::uint64_t streamClients = 0;
    std::uint64_t droppedStreams = 0;
    std::uint64_t overCap = 0;  // connections refused at the cap
};

// The dashboard and read-only API on libmicrohttpd: fixed routes, nothing of a request names a
// file. The library's own threads accept and serve connections with non-blocking sockets
// (epoll), so a slow or stuck client holds only its own connection; connections are capped
// and time out. Start and Stop on the owning thread; PublishSample / PublishLinks any thread
// (they only queue).
class HttpServer {
  public:
    HttpServer(HttpSettings settings, HttpSources sources);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Starts listening; false with `error` set when the address cannot be bound.
    bool Start(std::string& error);
    void Stop();

    // The port listened on (the chosen one when the settings said 0); 0 when not running.
    int Port() const { return port_; }
    std::string Url() const { return DashboardUrl(settings_, port_); }

    // The event stream's producers (the station's observer, or the window before it).
    void PublishSample(LiveSnapshot snapshot) { stream_.PublishSample(std::move(snapshot)); }
    void PublishLinks(LiveLinks links) { stream_.PublishLinks(links); }
    // A sample was processed; the stream takes the snapshot on its own thread. Only queues.
    void RequestSample() { stream_.RequestSample(); }

    HttpCounters Counters() const;

  private:
    friend class HttpServerGlue;  // the library's callbacks
    int Handle(MHD_Connection* c, const std::string& url, const std::string& method,
               std::size_t uploadSize);
    int Route(MHD_Connection* c, const std::string& url);
    int SendText(MHD_Connection* c, int status, const std::string& type, std::string body);
    int SendError(MHD_Connection* c, int status, const std::string& message);
    int SendHistory(MHD_Connection* c);
    int SendStream(MHD_Connection* c);
    int SendScreenshot(MHD_Connection* c);
    int SendHealth(MHD_Connection* c);
    bool Authorised(MHD_Connection* c) const;
    void AddCommonHeaders(MHD_Response* r, bool noStore) const;

    HttpSettings settings_;
    HttpSources sources_;
    EventStream stream_;
    MHD_Daemon* daemon_ = nullptr;
    std::atomic<bool> serving_{false};  // the stream reads the sources only while serving
    int port_ = 0;

    std::atomic<std::uint64_t> requests_{0};
    std::atomic<std::uint64_t> refused_{0};
    std::atomic<int> open_{0};  // connections the library holds
    std::atomic<std::uint64_t> overCap_{0};

    std::mutex screenshotMutex_;  // one picture at a time; guards the cache
    std::string screenshot_;
    std::time_t screenshotTime_ = 0;
};

// Sources that read the program's AppState under its StateLock; `links` is called with the
// lock held. For the window and the tests.
HttpSources AppStateSources(AppState& state, std::function<LiveLinks()> links);

}  // namespace brennic
