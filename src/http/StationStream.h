#pragma once

#include <memory>

#include "http/HttpServer.h"
#include "station/StationObserver.h"

namespace brennic {

// Watches the station for the event stream: after each sample and link change it only queues
// a request (station thread, no lock, no wait); the server's stream thread then copies the
// state. Holds the server, so a late call after the server stopped is harmless.
class StationStream : public StationObserver {
  public:
    explicit StationStream(std::shared_ptr<HttpServer> server) : server_(std::move(server)) {}
    void OnSample(const std::shared_ptr<const StationSnapshot>&) override {
        server_->RequestSample();
    }
    void OnLinkState(const std::shared_ptr<const StationSnapshot>&) override {
        server_->RequestSample();
    }

  private:
    std::shared_ptr<HttpServer> server_;
};

// The links as the server reports them, from the station's view. Any thread.
inline LiveLinks LiveLinksOf(const StationLinks& l, int expectedIntervalSeconds) {
    LiveLinks links;
    links.page.comActive = l.comRunning;
    links.page.oneWireActive = l.oneWireOpen;
    links.page.oneWireTimeouts = l.oneWireTimeouts;
    links.testData = l.testData;
    links.serialTimeouts = l.serialTimeouts;
    links.expectedIntervalSeconds = expectedIntervalSeconds;
    return links;
}

}  // namespace brennic
