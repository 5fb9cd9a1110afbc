#include "alerts/DesktopNotifier.h"

#include <systemd/sd-bus.h>

#include <cstring>

namespace brennic {

namespace {

constexpr std::uint64_t kCallTimeoutUsec = 5 * 1000 * 1000;

}  // namespace

DesktopNotifier::DesktopNotifier(std::function<void(const std::string&)> report)
    : report_(std::move(report)) {
    thread_ = std::thread([this] { Run(); });
}

DesktopNotifier::~DesktopNotifier() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void DesktopNotifier::Offer(const AlertChange& change) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (queue_.size() >= kNotificationBacklog) {
            return;  // the desktop is far behind; the window and the file have it
        }
        queue_.push_back(change);
    }
    wake_.notify_one();
}

std::size_t DesktopNotifier::Shown() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return shown_;
}

std::size_t DesktopNotifier::Handled() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return handled_;
}

void DesktopNotifier::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) {
            break;
        }
        const AlertChange change = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        Show(change);
        lock.lock();
        ++handled_;
    }
    lock.unlock();
    if (bus_ != nullptr) {
        sd_bus_flush_close_unref(bus_);
    }
}

void DesktopNotifier::Show(const AlertChange& change) {
    if (bus_ == nullptr) {
        if (sd_bus_open_user(&bus_) < 0) {
            bus_ = nullptr;  // no session bus: no desktop to tell
            return;
        }
        sd_bus_set_method_call_timeout(bus_, kCallTimeoutUsec);
    }
    const Alert& a = change.alert;
    const auto key = std::make_pair(static_cast<int>(a.rule), a.subject);
    std::uint32_t replaces = 0;
    if (auto it = ids_.find(key); it != ids_.end()) {
        replaces = it->second;
        ids_.erase(it);
    }
    const std::string summary =
        (change.raised ? "Brennic: " : "Brennic: cleared: ") + AlertTitle(a);
    const std::string body = change.raised ? AlertLine(a) : AlertValuesText(a.clearValues);
    // Urgency 2 (critical) keeps a raised alert on screen until it is dismissed.
    const int urgency = change.raised ? 2 : 1;
    sd_bus_error error{};  // SD_BUS_ERROR_NULL, without the C compound literal clang refuses
    sd_bus_message* reply = nullptr;
    const int r = sd_bus_call_method(
        bus_, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.Notifications", "Notify", &error, &reply, "susssasa{sv}i", "Brennic",
        replaces, change.raised ? "dialog-warning" : "dialog-information", summary.c_str(),
        body.c_str(), 0, 1, "urgency", "y", urgency, -1);
    std::uint32_t id = 0;
    if (r >= 0 && sd_bus_message_read(reply, "u", &id) >= 0) {
        if (change.raised) {
            ids_[key] = id;
        }
        std::lock_guard<std::mutex> guard(mutex_);
        ++shown_;
        failing_ = false;
    } else {
        if (!failing_ && report_) {
            report_(std::string("Desktop notifications failed: ") +
                    (error.message != nullptr ? error.message : std::strerror(-r)));
        }
        failing_ = true;
        // Open the bus afresh next time: the connection may be what failed.
        sd_bus_flush_close_unref(bus_);
        bus_ = nullptr;
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
}

}  // namespace brennic
