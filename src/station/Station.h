#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/AppState.h"
#include "links/ComLink.h"
#include "links/LinkSink.h"
#include "links/OneWireLink.h"
#include "station/StationObserver.h"
#include "web/WebPublisher.h"

namespace brennic {

// How a station is set up. The defaults are the window's; the service turns on reconnect and
// a heartbeat; tests shorten the waits.
struct StationOptions {
    ComLinkTiming linkTiming{};
    bool startPublisher = true;  // tests leave the web publisher off
    WebPublisherOptions publisher;
    // The service keeps trying the port after a read failure or a failed start instead of
    // stopping: first after reconnectFirst, each further wait doubled up to reconnectMost.
    bool reconnect = false;
    std::chrono::milliseconds reconnectFirst{2000};
    std::chrono::milliseconds reconnectMost{60000};
    // Every heartbeat the station's loop calls OnHeartbeat of the observers (the service's
    // watchdog and status line); zero for none.
    std::chrono::milliseconds heartbeat{0};
};

// The one owner of acquisition, used by the window and by the service alike. It owns the
// serial and One-Wire links, the One-Wire polling timer and the web publisher, handles the
// links' events on its own thread in the order they arrive (processing each controller line
// and One-Wire reply, which writes the daily log and Summary.txt), carries out the commands,
// and raises every message as a StationMessage to its observers (see StationObserver.h).
//
// Threads: construct, AddObserver, SetScreenShot, Start and Shutdown on one controlling
// thread (the window's main thread, the service's main thread). The commands may be called
// from any thread but the station's own: each is run on the station's thread in turn with
// the events, and the caller waits for it. So the caller must not hold the StateLock, and
// nothing the station's thread waits for may wait for the caller. The station's thread
// never waits for the controlling thread: its messages go to the observers.
//
// While it lives, the station routes state.showMessage to its observers (the previous hook
// is put back by the destructor), so messages raised deep in the links and writers reach
// the window's box and the service's log alike without blocking the station's thread.
class Station : private LinkSink {
  public:
    Station(AppState& state, StationOptions options = {});
    // Shutdown, if it has not been called.
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Before Start. The station keeps the observer until it is destroyed.
    void AddObserver(std::shared_ptr<StationObserver> observer);
    // The publisher's screen shot and error box (see WebPublisher); before Start.
    void SetScreenShot(WebPublisher::ScreenShotFn fn);
    void SetPublisherErrorBox(MessageHook fn);

    // Starts the station's thread and the web publisher.
    void Start();

    // The orderly stop, in this order: logging off, daily log closed, a Summary Stop line
    // when the summary is on and this run wrote its Start line, the serial reader stopped, One-Wire
    // closed, the publisher asked to stop; then the station's thread ends, the links are released
    // and the observers are stopped. `serve` is called every 50 ms while the publisher finishes
    // (the window serves its event loop there, as the publisher may be waiting for a screen
    // shot). Controlling thread; the second call does nothing.
    void Shutdown(const std::function<void()>& serve = {});

    // ---- Commands. Any thread but the station's; each waits for its turn. A refused
    // command returns false and changes nothing (the window beeps).

    // "Start": opens the configured port and starts reading. Refused while running. A port
    // that does not open is shown ("Error") and returns false too; with reconnect the
    // service keeps trying it.
    bool StartAcquisition();
    // "Test Data Control": starts the reader in test-data mode when nothing runs; false when
    // something runs already (no refusal).
    bool StartTestData();
    // "Stop": refused when not running; closes One-Wire as well.
    bool StopAcquisition();
    // "Start One Wire": refused unless acquisition runs, One-Wire is enabled and closed.
    bool StartOneWire();
    // "Stop One Wire": refused when the link is not open.
    bool StopOneWire();
    // "Reset": refused while acquisition runs; clears the statistics as of now.
    bool Reset();
    // "Close Active Log File".
    void CloseLogFile();
    // A new configuration, as the configuration dialog's OK puts it into effect (saved with
    // `save` when given). Also restarts the One-Wire timer with its period.
    void ApplyConfiguration(const Config& edited, const std::function<void()>& save);
    // Runs `fn` on the station's thread in turn with the events and waits for it.
    void Call(const std::function<void()>& fn);

    // The One-Wire polling period changed: the next tick follows one new period from now.
    void RestartOneWireTimer();

    // ---- Queries, any thread.
    bool Running() const { return com_ && com_->Running(); }
    StationLinks Links() const;
    // Events and commands the station's thread has handled.
    std::size_t HandledEvents() const { return handled_.load(); }

    ComLink& Com() { return *com_; }
    OneWireLink& OneWire() { return *oneWire_; }
    WebPublisher* Publisher() const { return publisher_.get(); }

  private:
    struct Item;

    // LinkSink, link threads: queue the event.
    void OnControllerLine(std::string line) override;
    void OnReadTimeout() override;
    void OnReaderEnded() override;
    void OnReadFailure(int errorCode, std::string systemText) override;
    void OnOneWireReply(std::vector<std::byte> datagram) override;
    void OnOneWireReceiveFailure(SocketError error) override;
    void OnOneWireReceiverEnded() override;

    void Push(Item item);
    void Loop();
    void Handle(Item& item);
    void Notify(const StationEvent& event);
    void NotifyLinkState();
    void Raise(const std::string& text, const std::string& caption);
    void AfterStart();
    bool TryReconnect(bool reportFailure);
    void ScheduleReconnect();
    std::shared_ptr<const StationSnapshot> Snapshot();

    AppState& state_;
    StationOptions options_;
    MessageHook previousHook_;
    std::unique_ptr<ComLink> com_;
    std::unique_ptr<OneWireLink> oneWire_;
    std::unique_ptr<WebPublisher> publisher_;
    std::vector<std::shared_ptr<StationObserver>> observers_;

    std::mutex mutex_;  // the queue and the timers below
    std::condition_variable wake_;
    std::deque<Item> queue_;
    bool stop_ = false;
    std::chrono::steady_clock::time_point nextOneWireTick_;
    std::thread thread_;
    std::thread::id threadId_;
    std::atomic<std::size_t> handled_{0};
    bool started_ = false;
    bool shutDown_ = false;

    // Station thread only.
    bool refused_ = false;  // the link refused the command being run
    std::time_t lastLineTime_ = 0;
    std::chrono::steady_clock::time_point nextHeartbeat_;
    // Reconnect (service): the wait before the next try, and when it is due.
    std::atomic<bool> reconnecting_{false};
    std::chrono::milliseconds reconnectWait_{0};
    std::chrono::steady_clock::time_point reconnectDue_;
};

}  // namespace brennic
