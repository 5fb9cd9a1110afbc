#include "http/EventStream.h"

#include <microhttpd.h>

#include <algorithm>
#include <cstring>

#include "http/ApiJson.h"
#include "http/MhdLibrary.h"

namespace brennic {

struct EventStream::Client {
    MHD_Connection* connection = nullptr;
    std::deque<std::shared_ptr<const std::string>> queue;
    std::size_t offset = 0;  // bytes of queue.front() already sent
    bool suspended = false;
    bool ended = false;  // dropped or closed: the next read ends the response
};

namespace {

bool SameLinks(const LiveLinks& a, const LiveLinks& b) {
    return a.page.comActive == b.page.comActive && a.page.oneWireActive == b.page.oneWireActive &&
           a.testData == b.testData;
}

std::string Event(const char* name, const std::string& data) {
    return std::string("event: ") + name + "\ndata: " + data + "\n\n";
}

}  // namespace

std::string LinksEventJson(const LiveLinks& links) {
    return nlohmann::json{
        {"serial",
         {{"active", links.page.comActive},
          {"testData", links.testData},
          {"timeouts", links.serialTimeouts}}},
        {"oneWire",
         {{"active", links.page.oneWireActive}, {"timeouts", links.page.oneWireTimeouts}}}}
        .dump();
}

EventStream::EventStream(std::function<std::optional<LiveSnapshot>()> poll,
                         std::chrono::milliseconds keepAlive)
    : poll_(std::move(poll)), keepAlive_(keepAlive) {
    thread_ = std::thread([this] { Run(); });
}

EventStream::~EventStream() {
    {
        std::lock_guard lock(inMutex_);
        stop_ = true;
    }
    inWake_.notify_all();
    thread_.join();
    Close();
}

void EventStream::PublishSample(LiveSnapshot snapshot) {
    {
        std::lock_guard lock(inMutex_);
        // A stalled formatter must not grow memory without bound: keep the newest.
        if (incoming_.size() >= kMaxQueued) {
            incoming_.pop_front();
        }
        incoming_.push_back(Item{std::move(snapshot), std::nullopt, false});
    }
    inWake_.notify_one();
}

void EventStream::PublishLinks(LiveLinks links) {
    {
        std::lock_guard lock(inMutex_);
        incoming_.push_back(Item{std::nullopt, links, false});
    }
    inWake_.notify_one();
}

void EventStream::RequestSample() {
    {
        std::lock_guard lock(inMutex_);
        incoming_.push_back(Item{std::nullopt, std::nullopt, true});
    }
    inWake_.notify_one();
}

void EventStream::Run() {
    using Clock = std::chrono::steady_clock;
    auto nextKeepAlive = Clock::now() + keepAlive_;
    auto nextPoll = Clock::now() + std::chrono::seconds(1);
    std::unique_lock lock(inMutex_);
    while (!stop_) {
        inWake_.wait_until(lock, std::min(nextKeepAlive, nextPoll),
                           [this] { return stop_ || !incoming_.empty(); });
        std::deque<Item> items;
        items.swap(incoming_);
        lock.unlock();
        for (Item& item : items) {
            if (item.fetch && poll_) {
                item.sample = poll_();
            }
            std::optional<LiveLinks> links = item.links;
            if (item.sample) {
                links = item.sample->links;
                Deliver(std::make_shared<const std::string>(
                    Event("sample", CurrentJson(*item.sample).dump())));
            }
            if (links && (!lastLinks_ || !SameLinks(*lastLinks_, *links))) {
                lastLinks_ = links;
                Deliver(std::make_shared<const std::string>(Event("link", LinksEventJson(*links))));
            }
        }
        const auto now = Clock::now();
        if (now >= nextPoll) {
            nextPoll = now + std::chrono::seconds(1);
            if (poll_ && ClientCount() > 0) {
                const auto snapshot = poll_();
                if (snapshot && (!lastLinks_ || !SameLinks(*lastLinks_, snapshot->links))) {
                    lastLinks_ = snapshot->links;
                    Deliver(std::make_shared<const std::string>(
                        Event("link", LinksEventJson(snapshot->links))));
                }
            }
        }
        if (now >= nextKeepAlive) {
            // A comment line keeps proxies and the client's time-out from closing an idle
            // stream, and lets the server notice clients that have gone.
            nextKeepAlive = now + keepAlive_;
            Deliver(std::make_shared<const std::string>(": keep-alive\n\n"));
        }
        lock.lock();
    }
}

void EventStream::Deliver(std::shared_ptr<const std::string> text) {
    std::lock_guard lock(clientsMutex_);
    events_.fetch_add(1);
    for (auto& c : clients_) {
        if (c->ended) {
            continue;
        }
        if (c->queue.size() >= kMaxQueued) {
            // This client does not read: drop it rather than hold memory for it.
            c->ended = true;
            dropped_.fetch_add(1);
        } else {
            c->queue.push_back(text);
        }
        if (c->suspended) {
            c->suspended = false;
            Mhd().resume_connection(c->connection);
        }
    }
}

std::shared_ptr<EventStream::Client> EventStream::Subscribe(MHD_Connection* connection) {
    auto c = std::make_shared<Client>();
    c->connection = connection;
    // The first bytes tell the browser how long to wait before it reconnects.
    c->queue.push_back(std::make_shared<const std::string>("retry: 3000\n\n"));
    std::lock_guard lock(clientsMutex_);
    c->ended = closed_;
    clients_.push_back(c);
    return c;
}

long EventStream::Read(Client& c, char* out, std::size_t max) {
    std::lock_guard lock(clientsMutex_);
    if (c.ended) {
        return -1;
    }
    std::size_t n = 0;
    while (n < max && !c.queue.empty()) {
        const std::string& front = *c.queue.front();
        const std::size_t take = std::min(max - n, front.size() - c.offset);
        std::memcpy(out + n, front.data() + c.offset, take);
        n += take;
        c.offset += take;
        if (c.offset == front.size()) {
            c.queue.pop_front();
            c.offset = 0;
        }
    }
    if (n == 0) {
        c.suspended = true;
        Mhd().suspend_connection(c.connection);
    }
    return static_cast<long>(n);
}

void EventStream::Unsubscribe(Client& c) {
    std::lock_guard lock(clientsMutex_);
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                  [&](const auto& p) { return p.get() == &c; }),
                   clients_.end());
}

void EventStream::Close() {
    std::lock_guard lock(clientsMutex_);
    closed_ = true;
    for (auto& c : clients_) {
        c->ended = true;
        if (c->suspended) {
            c->suspended = false;
            Mhd().resume_connection(c->connection);
        }
    }
}

std::size_t EventStream::ClientCount() const {
    std::lock_guard lock(clientsMutex_);
    return clients_.size();
}

}  // namespace brennic
