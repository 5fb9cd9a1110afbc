#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "core/AppState.h"
#include "http/HttpServer.h"
#include "station/StationObserver.h"

namespace brennic {

class MainWindow;
class DisplayWidget;

// The window's side of the dashboard server: reads [http] from brennic.toml, starts the server
// with sources that read the AppState under the StateLock, serves the window picture, and
// watches the station so that each processed sample and link change reaches the event stream.
// Main thread only, except the observer (see StationObserver.h).
class DashboardServer {
  public:
    // `alerts` gives the JSON of /api/v1/alerts (empty: alerts off). The server is set up but
    // not started, so that its observer can join the station before the station starts.
    DashboardServer(AppState& state, MainWindow& window, DisplayWidget& display,
                    std::function<std::string()> alerts, std::function<LiveLinks()> links);
    // Starts serving; later calls do nothing (a failure is reported once and kept in
    // Description()).
    void Start();
    // Stops the server while the event loop keeps running (a request may wait for the
    // window's picture on the main thread).
    ~DashboardServer();

    bool Running() const { return server_ != nullptr && server_->Port() != 0; }
    // The dashboard's address, or why it does not run.
    QString Description() const;
    QString Url() const;

    // For Station::AddObserver: on the station's thread it only queues a request; the
    // server's stream thread then copies the state under the StateLock.
    std::shared_ptr<StationObserver> Observer() const;

  private:
    AppState& state_;
    std::function<LiveLinks()> links_;
    std::shared_ptr<HttpServer> server_;  // shared with the station's observer
    bool started_ = false;
    QString why_;
};

}  // namespace brennic
