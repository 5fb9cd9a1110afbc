#include "station/Station.h"

#include <algorithm>
#include <ctime>
#include <future>
#include <variant>

#include "config/ConfigChecks.h"
#include "core/MessageProcessor.h"
#include "links/OneWireDatagram.h"
#include "logs/DailyLog.h"
#include "logs/SummaryFile.h"
#include "station/StationSnapshotBuild.h"

namespace brennic {

// One entry of the station's queue: a link event or a command.
struct Station::Item {
    enum class Kind {
        kLine,
        kTimeout,
        kReaderEnded,
        kReadFailure,
        kOneWireReply,
        kOneWireFailure,
        kOneWireEnded,
        kCommand,
    };
    Kind kind = Kind::kCommand;
    std::string text;
    std::vector<std::byte> datagram;
    int code = 0;
    std::function<void()> command;
};

Station::Station(AppState& state, StationOptions options)
    : state_(state), options_(std::move(options)) {
    previousHook_ = state_.showMessage;
    state_.showMessage = [this](const std::string& text, const std::string& caption) {
        Raise(text, caption);
    };
    auto refuse = [this] { refused_ = true; };
    com_ = std::make_unique<ComLink>(state_, static_cast<LinkSink&>(*this), refuse,
                                     options_.linkTiming);
    oneWire_ = std::make_unique<OneWireLink>(state_, static_cast<LinkSink&>(*this), refuse);
    if (options_.startPublisher) {
        publisher_ = std::make_unique<WebPublisher>(state_, options_.publisher);
        publisher_->SetLinkStatus([this] {
            LinkStatus s;
            s.comActive = com_->Running();
            s.oneWireActive = oneWire_->IsOpen();
            s.oneWireTimeouts = state_.oneWire.staleCount;
            return s;
        });
    }
}

Station::~Station() {
    Shutdown();
    state_.showMessage = previousHook_;
}

void Station::AddObserver(std::shared_ptr<StationObserver> observer) {
    observers_.push_back(std::move(observer));
}

void Station::SetScreenShot(WebPublisher::ScreenShotFn fn) {
    if (publisher_) {
        publisher_->SetScreenShot(std::move(fn));
    }
}

void Station::SetPublisherErrorBox(MessageHook fn) {
    if (publisher_) {
        publisher_->SetErrorBox(std::move(fn));
    }
}

void Station::Start() {
    if (started_) {
        return;
    }
    started_ = true;
    const auto now = std::chrono::steady_clock::now();
    {
        StateGuard guard(state_.lock);
        nextOneWireTick_ =
            now + std::chrono::milliseconds(std::max(100, state_.config.oneWireTimer));
    }
    nextHeartbeat_ = now + options_.heartbeat;
    thread_ = std::thread(&Station::Loop, this);
    threadId_ = thread_.get_id();
    if (publisher_) {
        publisher_->StartPublisher();
    }
}

void Station::Shutdown(const std::function<void()>& serve) {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    auto stopLinks = [this] {
        {
            StateGuard guard(state_.lock);
            state_.config.logData = 0;  // nothing more is logged while the station goes
            CloseDailyLog(state_.dailyLog);
            // A Stop line closes this run's Start line in Summary.txt.
            if (state_.config.summaryEnable != 0 && state_.dailyLog.summaryCountdown != -1) {
                WriteSummary(LogRecordsOf(state_), SummaryKind::kStop, std::time(nullptr));
            }
        }
        reconnecting_ = false;
        if (com_->Running()) {
            com_->Stop();
        }
        if (oneWire_->IsOpen()) {
            oneWire_->CloseLink();
        }
    };
    if (started_) {
        Call(stopLinks);
    } else {
        stopLinks();
    }
    if (publisher_) {
        publisher_->StopPublisher();
        while (!publisher_->Finished()) {
            if (serve) {
                serve();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(serve ? 1 : 20));
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    // The links' threads end here, without further events.
    com_.reset();
    oneWire_.reset();
    publisher_.reset();
    for (const auto& o : observers_) {
        o->StopObserver();
    }
}

void Station::Push(Item item) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(item));
    }
    wake_.notify_one();
}

void Station::Call(const std::function<void()>& fn) {
    if (!started_ || std::this_thread::get_id() == threadId_) {
        fn();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    Item item;
    item.command = [&fn, &done] {
        fn();
        done.set_value();
    };
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) {
            return;
        }
        queue_.push_back(std::move(item));
    }
    wake_.notify_one();
    finished.wait();
}

// ---- LinkSink: link threads.

void Station::OnControllerLine(std::string line) {
    Item item;
    item.kind = Item::Kind::kLine;
    item.text = std::move(line);
    Push(std::move(item));
}
void Station::OnReadTimeout() {
    Item item;
    item.kind = Item::Kind::kTimeout;
    Push(std::move(item));
}
void Station::OnReaderEnded() {
    Item item;
    item.kind = Item::Kind::kReaderEnded;
    Push(std::move(item));
}
void Station::OnReadFailure(int errorCode, std::string systemText) {
    Item item;
    item.kind = Item::Kind::kReadFailure;
    item.code = errorCode;
    item.text = std::move(systemText);
    Push(std::move(item));
}
void Station::OnOneWireReply(std::vector<std::byte> datagram) {
    Item item;
    item.kind = Item::Kind::kOneWireReply;
    item.datagram = std::move(datagram);
    Push(std::move(item));
}
void Station::OnOneWireReceiveFailure(SocketError error) {
    Item item;
    item.kind = Item::Kind::kOneWireFailure;
    item.code = error.code;
    Push(std::move(item));
}
void Station::OnOneWireReceiverEnded() {
    Item item;
    item.kind = Item::Kind::kOneWireEnded;
    Push(std::move(item));
}

// ---- The station's thread.

void Station::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        const auto now = std::chrono::steady_clock::now();
        // Timers that fall due go first, so a flood of lines cannot starve them.
        const bool oneWireDue = now >= nextOneWireTick_;
        const bool heartbeatDue = options_.heartbeat.count() > 0 && now >= nextHeartbeat_;
        const bool reconnectDue = reconnecting_ && now >= reconnectDue_;
        if (!oneWireDue && !heartbeatDue && !reconnectDue) {
            if (queue_.empty()) {
                auto due = nextOneWireTick_;
                if (options_.heartbeat.count() > 0) {
                    due = std::min(due, nextHeartbeat_);
                }
                if (reconnecting_) {
                    due = std::min(due, reconnectDue_);
                }
                wake_.wait_until(lock, due);
                continue;
            }
            Item item = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            Handle(item);
            ++handled_;
            lock.lock();
            continue;
        }
        lock.unlock();
        if (oneWireDue) {
            oneWire_->TimerTick(std::time(nullptr));
            int period = 0;
            {
                StateGuard guard(state_.lock);
                period = std::max(100, state_.config.oneWireTimer);
            }
            std::lock_guard<std::mutex> timers(mutex_);
            nextOneWireTick_ = now + std::chrono::milliseconds(period);
        }
        if (reconnectDue && reconnecting_ && !TryReconnect(false)) {
            ScheduleReconnect();
        }
        if (heartbeatDue) {
            nextHeartbeat_ = now + options_.heartbeat;
            const auto snapshot = Snapshot();
            for (const auto& o : observers_) {
                o->OnHeartbeat(snapshot);
            }
        }
        lock.lock();
    }
}

void Station::Handle(Item& item) {
    StationEvent event;
    switch (item.kind) {
        case Item::Kind::kCommand:
            refused_ = false;
            item.command();
            return;
        case Item::Kind::kLine: {
            event.kind = StationEventKind::kControllerLine;
            const std::time_t now = std::time(nullptr);
            {
                StateGuard guard(state_.lock);
                const int samplesBefore = state_.processor.sampleCount;
                event.mismatch = ProcessLiveLine(state_, item.text, now);
                event.newSample = state_.processor.sampleCount != samplesBefore;
            }
            lastLineTime_ = now;
            Notify(event);
            if (event.newSample && !observers_.empty()) {
                const auto snapshot = Snapshot();
                for (const auto& o : observers_) {
                    o->OnSample(snapshot);
                }
            }
            return;
        }
        case Item::Kind::kTimeout:
            event.kind = StationEventKind::kReadTimeout;
            Notify(event);
            return;
        case Item::Kind::kReaderEnded:
            com_->ReaderFinished();
            event.kind = StationEventKind::kReaderEnded;
            Notify(event);
            NotifyLinkState();
            return;
        case Item::Kind::kReadFailure:
            com_->ReaderFinished();
            if (oneWire_->IsOpen()) {
                oneWire_->CloseLink();
            }
            event.kind = StationEventKind::kReadFailure;
            Notify(event);
            if (options_.reconnect) {
                Raise(
                    "Serial port " + state_.config.comPort + " lost (" + item.text + "); retrying",
                    "Warning");
                reconnectWait_ = std::chrono::milliseconds(0);
                ScheduleReconnect();
            } else {
                Raise("Communications with QMX Control Aborted", "Error");
            }
            NotifyLinkState();
            return;
        case Item::Kind::kOneWireReply:
            event.kind = StationEventKind::kOneWireReply;
            event.changed = ProcessOneWireReply(state_, item.datagram);
            Notify(event);
            return;
        case Item::Kind::kOneWireFailure:
            event.kind = StationEventKind::kOneWireFailure;
            Notify(event);
            return;
        case Item::Kind::kOneWireEnded:
            event.kind = StationEventKind::kOneWireEnded;
            Notify(event);
            return;
    }
}

void Station::Notify(const StationEvent& event) {
    for (const auto& o : observers_) {
        o->OnStationEvent(event);
    }
}

void Station::NotifyLinkState() {
    if (observers_.empty()) {
        return;
    }
    const auto snapshot = Snapshot();
    for (const auto& o : observers_) {
        o->OnLinkState(snapshot);
    }
}

void Station::Raise(const std::string& text, const std::string& caption) {
    const StationMessage message{caption, text, SeverityOfCaption(caption)};
    if (observers_.empty()) {
        // Nobody listens (a station without a view): the previous hook shows it.
        if (previousHook_) {
            previousHook_(text, caption);
        }
        return;
    }
    for (const auto& o : observers_) {
        o->OnMessage(message);
    }
}

StationLinks Station::Links() const {
    StationLinks l;
    if (!com_ || !oneWire_) {
        return l;  // shut down
    }
    l.comRunning = com_->Running();
    l.testData = com_->Mode() == kModeTestData;
    l.serialTerminating = com_->Running() && com_->Mode() == kModeStopped;
    l.serialTimeouts = com_->TimeoutCount();
    l.reconnecting = reconnecting_.load();
    l.oneWireOpen = oneWire_->IsOpen();
    l.oneWirePackets = oneWire_->ReceivedCount();
    return l;
}

std::shared_ptr<const StationSnapshot> Station::Snapshot() {
    StationLinks links = Links();
    WebCounters web;
    if (publisher_) {
        web = publisher_->Counters();
    }
    auto snapshot = std::make_shared<StationSnapshot>();
    StateGuard guard(state_.lock);
    links.oneWireTimeouts = state_.oneWire.staleCount;
    BuildSnapshot(state_, links, web, lastLineTime_, std::time(nullptr), *snapshot);
    return snapshot;
}

// ---- Commands.

void Station::AfterStart() {
    const std::time_t t = std::time(nullptr);
    StateGuard guard(state_.lock);
    ProcessorState& p = state_.processor;
    if (p.history.Empty()) {
        p.firstSampleTime = t;
    }
    p.current.time = t + 1;
    p.consecutiveFirstLines = 0;
    p.strayGpmLines = 0;
    p.mismatchWarned = false;
    p.historyCountdown = 0;
    p.newSample = false;
}

bool Station::StartAcquisition() {
    bool started = false;
    Call([this, &started] {
        refused_ = false;
        reconnecting_ = false;
        if (options_.reconnect && !com_->Running()) {
            // The service waits for a missing port instead of giving up.
            started = TryReconnect(true);
            if (!started) {
                reconnectWait_ = std::chrono::milliseconds(0);
                ScheduleReconnect();
                started = true;  // accepted: it starts when the port appears
            }
            return;
        }
        started = com_->Start();
        if (started) {
            AfterStart();
            NotifyLinkState();
        }
    });
    return started;
}

bool Station::StartTestData() {
    bool started = false;
    Call([this, &started] {
        started = com_->StartTestData();
        if (started) {
            AfterStart();
            NotifyLinkState();
        }
    });
    return started;
}

bool Station::StopAcquisition() {
    bool stopped = false;
    Call([this, &stopped] {
        if (reconnecting_ && !com_->Running()) {
            reconnecting_ = false;
            stopped = true;
            return;
        }
        reconnecting_ = false;
        stopped = com_->Stop();
        if (stopped && oneWire_->IsOpen()) {
            oneWire_->CloseLink();
        }
        if (stopped) {
            NotifyLinkState();
        }
    });
    return stopped;
}

bool Station::StartOneWire() {
    bool refused = false;
    Call([this, &refused] {
        refused_ = false;
        const bool open = oneWire_->StartLink(com_->Running());
        refused = refused_;
        if (open) {
            NotifyLinkState();
        }
    });
    return !refused;  // a link that failed to open has shown its message
}

bool Station::StopOneWire() {
    bool stopped = false;
    Call([this, &stopped] {
        if (!oneWire_->IsOpen()) {
            return;
        }
        oneWire_->CloseLink();
        stopped = true;
        NotifyLinkState();
    });
    return stopped;
}

bool Station::Reset() {
    bool done = false;
    Call([this, &done] {
        if (com_->Running()) {
            return;
        }
        StateGuard guard(state_.lock);
        state_.processor.newSample = false;
        ResetStatistics(state_, std::time(nullptr));
        done = true;
    });
    return done;
}

void Station::CloseLogFile() {
    Call([this] {
        StateGuard guard(state_.lock);
        CloseDailyLog(state_.dailyLog);
    });
}

void Station::ApplyConfiguration(const Config& edited, const std::function<void()>& save) {
    Call([this, &edited, &save] {
        AcceptConfig(state_, edited, save, std::time(nullptr));
        RestartOneWireTimer();
    });
}

void Station::RestartOneWireTimer() {
    int period = 0;
    {
        StateGuard guard(state_.lock);
        period = std::max(100, state_.config.oneWireTimer);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        nextOneWireTick_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(period);
    }
    wake_.notify_one();
}

// ---- Reconnect (service): station thread.

bool Station::TryReconnect(bool reportFailure) {
    std::string port;
    {
        StateGuard guard(state_.lock);
        port = state_.config.comPort;
    }
    std::string failure;
    if (!com_->OpenPort(port, &failure)) {
        if (reportFailure) {
            Raise(failure + "\nretrying", "Warning");
        }
        return false;
    }
    const bool wasReconnecting = reconnecting_.exchange(false);
    com_->StartThread(kModeSerial);
    AfterStart();
    bool oneWire = false;
    {
        StateGuard guard(state_.lock);
        oneWire = state_.config.oneWireEnable != 0;
    }
    if (wasReconnecting && oneWire && !oneWire_->IsOpen()) {
        oneWire_->StartLink(true);  // One-Wire went with the serial link; it comes back too
    }
    if (wasReconnecting) {
        Raise("Serial port " + port + " is back; reading again", "");
    }
    NotifyLinkState();
    return true;
}

void Station::ScheduleReconnect() {
    if (!reconnecting_) {
        reconnecting_ = true;
        reconnectWait_ = options_.reconnectFirst;
    } else {
        reconnectWait_ = std::min(reconnectWait_ * 2, options_.reconnectMost);
    }
    reconnectDue_ = std::chrono::steady_clock::now() + reconnectWait_;
    wake_.notify_one();
}

}  // namespace brennic
