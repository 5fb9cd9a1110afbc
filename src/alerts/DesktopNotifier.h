#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "alerts/Alert.h"

struct sd_bus;

namespace brennic {

// Shows each raise and clear as a desktop notification through the freedesktop notification
// service (org.freedesktop.Notifications on the session bus, over libsystemd's sd-bus). Runs
// on a thread of its own; the bus is opened at the first alert and again after a failure.
// Without a session bus (a system service, a console login) nothing is shown and nothing is
// reported; a bus whose notification service fails is reported once per stretch through
// `report`. A clear replaces the notification of its raise.
class DesktopNotifier {
  public:
    explicit DesktopNotifier(std::function<void(const std::string&)> report);
    // Ends the thread; notifications waiting are dropped.
    ~DesktopNotifier();
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // Queues one notification. Any thread; never waits for the bus.
    void Offer(const AlertChange& change);

    // Any thread: notifications the service took, and changes handled (shown or not).
    std::size_t Shown() const;
    std::size_t Handled() const;

  private:
    void Run();
    void Show(const AlertChange& change);  // notifier thread

    std::function<void(const std::string&)> report_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<AlertChange> queue_;
    std::size_t shown_ = 0;
    std::size_t handled_ = 0;
    bool stop_ = false;
    std::thread thread_;

    // Notifier thread only.
    sd_bus* bus_ = nullptr;
    bool failing_ = false;
    std::map<std::pair<int, std::string>, std::uint32_t> ids_;  // raised: its notification
};

inline constexpr std::size_t kNotificationBacklog = 100;

}  // namespace brennic
