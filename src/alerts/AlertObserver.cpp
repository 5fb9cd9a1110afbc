#include "alerts/AlertObserver.h"

#include "config/Config.h"
#include "core/Channels.h"

namespace brennic {

AlertInput AlertInputOf(const StationSnapshot& s, bool newSample) {
    AlertInput in;
    in.now = s.taken;
    in.newSample = newSample;
    in.current = s.current;
    in.differential = s.differential;
    in.highLimit = s.highLimit;
    for (int id = kChCollector; id <= kChWAux4; ++id) {
        const ChannelEntry& entry = CatalogueEntry(id);
        const bool listed = s.status[static_cast<std::size_t>(id)] != 0;
        // Aux-3 comes only with the BTU model's line and Aux-4 with no live line.
        const bool supplied = (id != kChAux3 || s.controllerType == kVexin2Btu) && id != kChAux4 &&
                              (!entry.oneWire || s.links.oneWireOpen);
        if (listed && supplied) {
            in.sensors.push_back({entry.shortName, entry.slot});
        }
    }
    // A service retrying a lost port still means to acquire: its silence counts.
    in.acquiring = s.links.comRunning || s.links.reconnecting;
    in.lastLineTime = s.lastLineTime;
    in.oneWireOpen = s.links.oneWireOpen;
    in.oneWireLastReply = s.oneWire.lastReceiveTime;
    in.receivedLines = s.receivedLines;
    in.dataErrors = s.dataErrors;
    return in;
}

AlertObserver::AlertObserver(AlertSettings settings, std::string alertsFile, Report report)
    : engine_(std::move(settings)), report_(std::move(report)), file_(std::move(alertsFile)) {
    thread_ = std::thread([this] { Run(); });
}

AlertObserver::~AlertObserver() {
    StopObserver();
}

void AlertObserver::AddSink(Sink sink) {
    std::lock_guard<std::mutex> guard(mutex_);
    sinks_.push_back(std::move(sink));
}

void AlertObserver::OnSample(const std::shared_ptr<const StationSnapshot>& snapshot) {
    Evaluate(AlertInputOf(*snapshot, true));
}

void AlertObserver::OnLinkState(const std::shared_ptr<const StationSnapshot>& snapshot) {
    Evaluate(AlertInputOf(*snapshot, false));
}

void AlertObserver::OnHeartbeat(const std::shared_ptr<const StationSnapshot>& snapshot) {
    Evaluate(AlertInputOf(*snapshot, false));
}

void AlertObserver::Evaluate(const AlertInput& input) {
    std::vector<AlertChange> changes = engine_.Evaluate(input);
    if (changes.empty()) {
        return;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    active_ = engine_.Active();
    for (AlertChange& change : changes) {
        if (change.raised) {
            history_.push_back(change.alert);
            if (history_.size() > kAlertHistory) {
                history_.pop_front();
            }
        } else {
            for (auto it = history_.rbegin(); it != history_.rend(); ++it) {
                if (it->rule == change.alert.rule && it->subject == change.alert.subject &&
                    it->raised == change.alert.raised) {
                    *it = change.alert;
                    break;
                }
            }
        }
        queue_.push_back(std::move(change));
        ++queued_;
    }
    wake_.notify_one();
}

void AlertObserver::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;  // stopping, and everything is written
        }
        AlertChange change = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        Record(change);
        lock.lock();
        ++done_;
    }
}

void AlertObserver::Record(const AlertChange& change) {
    const std::string news = file_.Append(AlertFileLine(change));
    if (report_) {
        if (!news.empty()) {
            report_(news);
        }
        report_(std::string(change.raised ? "Alert: " : "Alert cleared: ") +
                AlertTitle(change.alert) + " (" +
                AlertValuesText(change.raised ? change.alert.values : change.alert.clearValues) +
                ")");
    }
    // The list is fixed once the station runs, so it is read without the lock.
    for (const Sink& sink : sinks_) {
        sink(change);
    }
}

void AlertObserver::StopObserver() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
    // The outputs end their own threads as they go (a command running is waited for).
    sinks_.clear();
}

std::vector<Alert> AlertObserver::Active() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return active_;
}

std::vector<Alert> AlertObserver::History() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return {history_.begin(), history_.end()};
}

std::size_t AlertObserver::Queued() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return queued_;
}

std::size_t AlertObserver::Done() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return done_;
}

}  // namespace brennic
