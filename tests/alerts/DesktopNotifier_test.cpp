#include "alerts/DesktopNotifier.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "support/WaitFor.h"

namespace brennic {
namespace {

// A small stand-in for the desktop's notification service on the session bus: owns
// org.freedesktop.Notifications, answers Notify with ids from 41 on and records each call.
class NotificationService {
  public:
    struct Call {
        std::string app;
        std::uint32_t replaces = 0;
        std::string summary;
        std::string body;
        int urgency = -1;
    };

    // The bus is set up here and then used by the serving thread alone.
    NotificationService() {
        const char* path = "/org/freedesktop/Notifications";
        ok_ = sd_bus_open_user(&bus_) >= 0 &&
              sd_bus_add_object(bus_, nullptr, path, &Handle, this) >= 0 &&
              sd_bus_request_name(bus_, "org.freedesktop.Notifications", 0) >= 0;
        thread_ = std::thread([this] {
            while (ok_ && !stop_) {
                if (sd_bus_process(bus_, nullptr) <= 0) {
                    sd_bus_wait(bus_, 50 * 1000);
                }
            }
        });
    }
    ~NotificationService() {
        stop_ = true;
        thread_.join();
        sd_bus_flush_close_unref(bus_);
    }
    bool Ok() const { return ok_; }
    std::vector<Call> Calls() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return calls_;
    }

  private:
    static int Handle(sd_bus_message* m, void* self, sd_bus_error*) {
        if (!sd_bus_message_is_method_call(m, "org.freedesktop.Notifications", "Notify")) {
            return 0;
        }
        Call call;
        const char* app = nullptr;
        const char* icon = nullptr;
        const char* summary = nullptr;
        const char* body = nullptr;
        if (sd_bus_message_read(m, "susss", &app, &call.replaces, &icon, &summary, &body) < 0 ||
            sd_bus_message_skip(m, "as") < 0 ||
            sd_bus_message_enter_container(m, 'a', "{sv}") < 0) {
            return -EINVAL;
        }
        while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(m, "s", &key);
            std::uint8_t urgency = 0;
            if (std::strcmp(key, "urgency") == 0 &&
                sd_bus_message_read(m, "v", "y", &urgency) >= 0) {
                call.urgency = urgency;
            } else {
                sd_bus_message_skip(m, "v");
            }
            sd_bus_message_exit_container(m);
        }
        sd_bus_message_exit_container(m);
        call.app = app;
        call.summary = summary;
        call.body = body;
        auto* service = static_cast<NotificationService*>(self);
        std::uint32_t id = 0;
        {
            std::lock_guard<std::mutex> guard(service->mutex_);
            service->calls_.push_back(call);
            id = 40 + static_cast<std::uint32_t>(service->calls_.size());
        }
        return sd_bus_reply_method_return(m, "u", id);
    }

    sd_bus* bus_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool ok_ = false;
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

AlertChange Freeze(bool raised) {
    AlertChange c;
    c.raised = raised;
    c.alert.rule = AlertRule::kFreeze;
    c.alert.raised = 1782118800;
    c.alert.cleared = raised ? 0 : 1782119400;
    c.alert.values = {{"collector", 33.0, "°F"}};
    c.alert.clearValues = {{"collector", 41.0, "°F"}};
    return c;
}

// Run under dbus-run-session (ctest's DesktopNotifications); skipped without a session bus.
TEST(DesktopNotifier, ANotificationReachesTheSessionsServiceAndItsClearReplacesIt) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        GTEST_SKIP() << "no session bus (ctest runs this under dbus-run-session)";
    }
    NotificationService service;
    ASSERT_TRUE(service.Ok());
    std::vector<std::string> reports;
    DesktopNotifier notifier([&](const std::string& t) { reports.push_back(t); });
    notifier.Offer(Freeze(true));
    notifier.Offer(Freeze(false));
    ASSERT_TRUE(testing::WaitFor([&] { return notifier.Handled() == 2; }));
    EXPECT_EQ(notifier.Shown(), 2u);
    const auto calls = service.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].app, "Brennic");
    EXPECT_EQ(calls[0].replaces, 0u);
    EXPECT_EQ(calls[0].summary, "Brennic: Freeze risk");
    EXPECT_EQ(calls[0].urgency, 2);
    EXPECT_EQ(calls[1].replaces, 41u);  // the raise's notification
    EXPECT_EQ(calls[1].summary, "Brennic: cleared: Freeze risk");
    EXPECT_EQ(calls[1].body, "collector 41 °F");
    EXPECT_EQ(calls[1].urgency, 1);
    EXPECT_TRUE(reports.empty());
}

// Without a session bus nothing is shown, nothing is reported and nothing waits.
TEST(DesktopNotifier, WithoutASessionBusNothingHappens) {
    const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    std::vector<std::string> reports;
    {
        DesktopNotifier notifier([&](const std::string& t) { reports.push_back(t); });
        notifier.Offer(Freeze(true));
        EXPECT_TRUE(testing::WaitFor([&] { return notifier.Handled() == 1; }));
        EXPECT_EQ(notifier.Shown(), 0u);
    }
    saved ? ::setenv("DBUS_SESSION_BUS_ADDRESS", saved->c_str(), 1)
          : ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace brennic
