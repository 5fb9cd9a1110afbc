#pragma once

#include <atomic>
#include <ctime>
#include <mutex>
#include <thread>

#include "links/LinkSink.h"
#include "links/OneWireDatagram.h"
#include "links/SocketError.h"
#include "links/UdpSocket.h"
#include "links/WakeEvent.h"

namespace brennic {

struct AppState;

// The UDP link to the One-Wire server. On every timer tick the main thread sends one
// request naming the configured probes; a receive thread hands each reply from the server to
// the LinkSink, and the main thread applies it with ProcessOneWireReply. A reply counts as
// the server's when it comes from the server's address and port, or from another address
// with the server's port and a complete reply body (a server bound to all addresses answers
// from whichever its host routes by); every other datagram is dropped and counted. All methods are
// for the main thread and take the StateLock themselves where they need it (the caller may but need
// not hold it); the counters and IsOpen may be read from any thread.
class OneWireLink {
  public:
    OneWireLink(AppState& state, LinkSink& sink, RefuseHook refuse);
    // Closes the link without the receiver's end notice.
    ~OneWireLink();
    OneWireLink(const OneWireLink&) = delete;
    OneWireLink& operator=(const OneWireLink&) = delete;

    // "Start One Wire": refused (RefuseHook, nothing else) unless the controller link runs,
    // the link is closed and One-Wire is enabled. Clears the readings, restarts the stale
    // clock and opens the link to config.oneWireServerIp:oneWirePort from any local port.
    // A failure is shown with caption "WINSOCK error". Returns true when the link is open.
    bool StartLink(bool controllerRunning);

    // Opens the socket, binds it to `local` and starts the receive thread. On failure records
    // the error (see LastError) and returns false; nothing is shown.
    bool OpenLink(const Endpoint& local, const Endpoint& server);

    // Closes the socket and ends the receive thread (at once). Always true.
    bool CloseLink();

    // The polling timer: lets the readings turn stale after 2 x oneWireTimer without a reply
    // (counting staleCount while open), then sends the request when open. A failed send is
    // shown every time. Takes the StateLock for the readings and the probe rows.
    void TimerTick(std::time_t now);
    void TimerTick() { TimerTick(std::time(nullptr)); }

    // Shows the last error: "WINSOCK Error code: %i %s\n%s at line %i", "WINSOCK error".
    void ShowSocketError() const;

    bool IsOpen() const { return open_.load(); }
    int ReceivedCount() const { return receivedCount_.load(); }
    int SentCount() const { return sentCount_.load(); }
    int ForeignCount() const { return foreignCount_.load(); }  // dropped: not from the server
    SocketError LastError() const;
    Endpoint LocalAddress() const { return localAddress_; }
    Endpoint ServerAddress() const { return serverAddress_; }
    const OneWireBlock& RequestBlock() const { return request_; }

  private:
    void ReceiveMain();
    bool FromServer(const Endpoint& from, std::span<const std::byte> datagram) const;
    void Record(SocketError error);

    AppState& state_;
    LinkSink& sink_;
    RefuseHook refuse_;

    std::atomic<bool> open_{false};
    std::atomic<bool> receiveRunning_{false};
    std::atomic<bool> closing_{false};
    std::atomic<int> receivedCount_{0};
    std::atomic<int> sentCount_{0};
    std::atomic<int> foreignCount_{0};
    mutable std::mutex errorMutex_;
    SocketError lastError_;
    Endpoint serverAddress_;
    Endpoint localAddress_;
    UdpSocket socket_;
    long lastResult_ = 0;  // result of the last send
    std::thread thread_;
    WakeEvent wake_;
    OneWireBlock request_{};  // reused for every request
};

}  // namespace brennic
