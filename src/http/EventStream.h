#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "http/LiveSnapshot.h"

struct MHD_Connection;

namespace brennic {

// The Server-Sent Events behind /api/v1/stream. Producers hand owned snapshots to Publish,
// which only queues them; the stream's own thread formats each once and appends it to every
// subscriber's queue. A subscriber's connection is parked (suspended) in the server while its
// queue is empty and woken when an event arrives, so idle subscribers cost no thread. A
// subscriber that falls kMaxQueued events behind is dropped (counted), never waited for.
class EventStream {
  public:
    static constexpr std::size_t kMaxQueued = 64;

    struct Client;

    // `fetch` takes a snapshot of the live state; the stream's thread calls it for
    // RequestSample and about once a second while there are subscribers, so that a link change
    // is announced even without samples (may be empty).
    explicit EventStream(std::function<std::optional<LiveSnapshot>()> fetch = {},
                         std::chrono::milliseconds keepAlive = std::chrono::seconds(15));
    ~EventStream();
    EventStream(const EventStream&) = delete;
    EventStream& operator=(const EventStream&) = delete;

    // One processed sample ("sample" event) and, when they differ from the last ones, the
    // links ("link" event). Any thread; takes a short internal lock, never waits for clients.
    void PublishSample(LiveSnapshot snapshot);
    // A link state change alone ("link" event). Any thread; as PublishSample.
    void PublishLinks(LiveLinks links);
    // A sample was processed: the stream's thread fetches the snapshot itself. For callers
    // that must not take the StateLock (the station's observer). Any thread; only queues.
    void RequestSample();

    // Server side, on the server's threads.
    std::shared_ptr<Client> Subscribe(MHD_Connection* connection);
    // Copies queued bytes into `out`; returns 0 after suspending the connection when nothing
    // is queued, -1 when the client was dropped or the stream closes.
    long Read(Client& client, char* out, std::size_t max);
    void Unsubscribe(Client& client);
    // Ends every subscription and wakes the parked connections (before the server stops).
    void Close();

    std::size_t ClientCount() const;
    std::uint64_t DroppedCount() const { return dropped_.load(); }
    std::uint64_t EventCount() const { return events_.load(); }

  private:
    struct Item {
        std::optional<LiveSnapshot> sample;
        std::optional<LiveLinks> links;
        bool fetch = false;
    };
    void Run();
    void Deliver(std::shared_ptr<const std::string> text);

    std::function<std::optional<LiveSnapshot>()> poll_;
    std::chrono::milliseconds keepAlive_;

    std::mutex inMutex_;  // guards the incoming queue and the stop flag
    std::condition_variable inWake_;
    std::deque<Item> incoming_;
    bool stop_ = false;

    mutable std::mutex clientsMutex_;  // guards the subscribers and their queues
    std::vector<std::shared_ptr<Client>> clients_;
    bool closed_ = false;

    std::optional<LiveLinks> lastLinks_;  // stream thread only
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> events_{0};
    std::thread thread_;
};

// The data of a "link" event. Pure; any thread.
std::string LinksEventJson(const LiveLinks& links);

}  // namespace brennic
