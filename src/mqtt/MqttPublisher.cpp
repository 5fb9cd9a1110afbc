#include "mqtt/MqttPublisher.h"

#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/SharedLibrary.h"
#include "mqtt/MqttPayloads.h"

namespace brennic {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kMaxBackoffSeconds = 60;
constexpr auto kConnackWait = std::chrono::seconds(10);

// libmosquitto and its TLS stack are loaded when a publisher first starts rather than at
// every start of the program: most installations publish nothing.
struct MosquittoFunctions {
    decltype(&::mosquitto_lib_init) lib_init = nullptr;
    decltype(&::mosquitto_connack_string) connack_string = nullptr;
    decltype(&::mosquitto_connect_async) connect_async = nullptr;
    decltype(&::mosquitto_connect_callback_set) connect_callback_set = nullptr;
    decltype(&::mosquitto_destroy) destroy = nullptr;
    decltype(&::mosquitto_disconnect) disconnect = nullptr;
    decltype(&::mosquitto_disconnect_callback_set) disconnect_callback_set = nullptr;
    decltype(&::mosquitto_int_option) int_option = nullptr;
    decltype(&::mosquitto_log_callback_set) log_callback_set = nullptr;
    decltype(&::mosquitto_loop_misc) loop_misc = nullptr;
    decltype(&::mosquitto_loop_read) loop_read = nullptr;
    decltype(&::mosquitto_loop_write) loop_write = nullptr;
    decltype(&::mosquitto_new) new_ = nullptr;
    decltype(&::mosquitto_publish) publish = nullptr;
    decltype(&::mosquitto_socket) socket = nullptr;
    decltype(&::mosquitto_strerror) strerror = nullptr;
    decltype(&::mosquitto_tls_set) tls_set = nullptr;
    decltype(&::mosquitto_username_pw_set) username_pw_set = nullptr;
    decltype(&::mosquitto_want_write) want_write = nullptr;
    decltype(&::mosquitto_will_set) will_set = nullptr;
    std::string error;  // why the library cannot be used; empty when it can
};

// Loads and initialises the library once for the program (any thread).
const MosquittoFunctions& Mosq() {
    static const MosquittoFunctions loaded = [] {
        MosquittoFunctions m;
        SharedLibrary library("libmosquitto.so.1");
        library.Find(m.lib_init, "mosquitto_lib_init");
        library.Find(m.connack_string, "mosquitto_connack_string");
        library.Find(m.connect_async, "mosquitto_connect_async");
        library.Find(m.connect_callback_set, "mosquitto_connect_callback_set");
        library.Find(m.destroy, "mosquitto_destroy");
        library.Find(m.disconnect, "mosquitto_disconnect");
        library.Find(m.disconnect_callback_set, "mosquitto_disconnect_callback_set");
        library.Find(m.int_option, "mosquitto_int_option");
        library.Find(m.log_callback_set, "mosquitto_log_callback_set");
        library.Find(m.loop_misc, "mosquitto_loop_misc");
        library.Find(m.loop_read, "mosquitto_loop_read");
        library.Find(m.loop_write, "mosquitto_loop_write");
        library.Find(m.new_, "mosquitto_new");
        library.Find(m.publish, "mosquitto_publish");
        library.Find(m.socket, "mosquitto_socket");
        library.Find(m.strerror, "mosquitto_strerror");
        library.Find(m.tls_set, "mosquitto_tls_set");
        library.Find(m.username_pw_set, "mosquitto_username_pw_set");
        library.Find(m.want_write, "mosquitto_want_write");
        library.Find(m.will_set, "mosquitto_will_set");
        m.error = library.Error();
        if (m.error.empty() && m.lib_init() != MOSQ_ERR_SUCCESS) {
            m.error = "libmosquitto cannot be initialised";
        }
        return m;
    }();
    return loaded;
}

MqttPublisher& Self(void* user) {
    return *static_cast<MqttPublisher*>(user);
}

std::string RefusalHint(int rc) {
    switch (rc) {
        case 4:  // bad user name or password
        case 5:  // not authorised
            return " (check mqtt.username and the password)";
        case 2:  // identifier rejected
            return " (check mqtt.client_id)";
        default:
            return "";
    }
}

}  // namespace

MqttPublisher::MqttPublisher(MqttPublisherSetup setup) : setup_(std::move(setup)) {
    clientId_ = setup_.settings.clientId.empty() ? "brennic-" + TopicSafe(setup_.baseTopic)
                                                 : setup_.settings.clientId;
}

MqttPublisher::~MqttPublisher() {
    Stop();
    if (mosq_ != nullptr) {
        Mosq().destroy(mosq_);
    }
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

std::string MqttPublisher::Broker() const {
    return setup_.settings.host + ":" + std::to_string(setup_.settings.port);
}

bool MqttPublisher::Start() {
    if (const std::string& error = Mosq().error; !error.empty()) {
        setup_.report("Cannot set up the MQTT client: " + error);
        return false;
    }
    const MqttSettings& s = setup_.settings;
    std::string problem;
    if (!setup_.ledgerFile.empty() && !LoadEnergyLedger(setup_.ledgerFile, ledger_, problem)) {
        ++ledgerErrors_;
        setup_.report(problem);
    }
    saved_ = ledger_;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    mosq_ = Mosq().new_(clientId_.c_str(), true, this);
    if (wakeFd_ < 0 || mosq_ == nullptr) {
        setup_.report("Cannot set up the MQTT client: " + std::string(std::strerror(errno)));
        return false;
    }
    Mosq().int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!s.username.empty()) {
        Mosq().username_pw_set(mosq_, s.username.c_str(),
                               s.password.empty() ? nullptr : s.password.c_str());
    }
    const std::string offline = "offline";
    Mosq().will_set(mosq_, StatusTopic(setup_.baseTopic).c_str(), static_cast<int>(offline.size()),
                    offline.data(), 1, true);
    if (s.tls.enabled) {
        const char* ca = s.tls.caFile.empty() ? nullptr : s.tls.caFile.c_str();
        const char* caPath = ca == nullptr ? "/etc/ssl/certs" : nullptr;
        const int rc = Mosq().tls_set(
            mosq_, ca, caPath, s.tls.certFile.empty() ? nullptr : s.tls.certFile.c_str(),
            s.tls.keyFile.empty() ? nullptr : s.tls.keyFile.c_str(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            setup_.report("MQTT TLS: cannot read mqtt.tls.ca_file \"" + s.tls.caFile +
                          "\" or the client certificate and key: " + Mosq().strerror(rc));
            return false;
        }
    }
    Mosq().connect_callback_set(mosq_,
                                [](mosquitto*, void* user, int rc) { Self(user).OnConnect(rc); });
    Mosq().disconnect_callback_set(
        mosq_, [](mosquitto*, void* user, int) { Self(user).connected_ = false; });
    Mosq().log_callback_set(mosq_, [](mosquitto*, void* user, int level, const char* text) {
        if (level == MOSQ_LOG_ERR) {
            Self(user).OnLog(text);
        }
    });
    lastLedgerSave_ = Clock::now() - std::chrono::hours(24);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void MqttPublisher::Offer(const MqttSnapshot& snapshot) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (pending_) {
            ++superseded_;
        }
        pending_ = snapshot;
        AccountEnergy(ledger_, snapshot.collectorBtu, snapshot.haBtu);
    }
    Wake();
}

void MqttPublisher::OfferAlerts(std::string json) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        pendingAlerts_ = std::move(json);
    }
    Wake();
}

void MqttPublisher::Announce(const MqttDevice& device) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        setup_.device = device;
        deviceChanged_ = true;
    }
    Wake();
}

void MqttPublisher::Wake() {
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0) {
        [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
    }
}

MqttCounters MqttPublisher::Counters() const {
    return {connections_.load(),  refusals_.load(),   failures_.load(),
            publications_.load(), superseded_.load(), ledgerErrors_.load()};
}

void MqttPublisher::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    stop_ = true;
    Wake();
    thread_.join();
}

void MqttPublisher::Run() {
    while (!stop_) {
        if (Mosq().socket(mosq_) < 0) {
            if (Clock::now() >= nextAttempt_) {
                Connect();
                continue;
            }
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(nextAttempt_ - Clock::now());
            pollfd wake{wakeFd_, POLLIN, 0};
            poll(&wake, 1, static_cast<int>(std::clamp<long long>(wait.count(), 0, 1000)));
            std::uint64_t drained = 0;
            [[maybe_unused]] const ssize_t n = read(wakeFd_, &drained, sizeof drained);
            SaveLedgerIfDue(false);
            continue;
        }
        Serve();
    }
    // Orderly stop: tell subscribers, then leave.
    if (connected_) {
        Publish(StatusTopic(setup_.baseTopic), "offline", 1, true);
        Flush(std::chrono::seconds(2));
        Mosq().disconnect(mosq_);
        Flush(std::chrono::seconds(1));
    }
    connected_ = false;
    SaveLedgerIfDue(true);
}

void MqttPublisher::Connect() {
    tlsError_.clear();
    refused_ = false;
    const int rc = Mosq().connect_async(mosq_, setup_.settings.host.c_str(), setup_.settings.port,
                                        kKeepAliveSeconds);
    const int error = errno;
    if (rc != MOSQ_ERR_SUCCESS || Mosq().socket(mosq_) < 0) {
        EndConnection(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_NO_CONN : rc, error);
        return;
    }
    awaitingConnack_ = true;
    connackDeadline_ = Clock::now() + kConnackWait;
}

// One round of the connection: wait for the socket, the wake-up or the next deadline, then
// let the library read, write and keep alive, and publish what is due.
void MqttPublisher::Serve() {
    const int socket = Mosq().socket(mosq_);
    pollfd fds[2] = {
        {socket, static_cast<short>(POLLIN | (Mosq().want_write(mosq_) ? POLLOUT : 0)), 0},
        {wakeFd_, POLLIN, 0}};
    int timeout = 1000;
    const auto now = Clock::now();
    const auto until = [&](Clock::time_point t) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - now).count();
        timeout = std::min(timeout, static_cast<int>(std::max<long long>(ms, 0) + 1));
    };
    if (awaitingConnack_) {
        until(connackDeadline_);
    }
    if (connected_ && setup_.settings.intervalSeconds > 0) {
        until(lastPublish_ + std::chrono::seconds(setup_.settings.intervalSeconds));
    }
    poll(fds, 2, timeout);
    if ((fds[1].revents & POLLIN) != 0) {
        std::uint64_t drained = 0;
        [[maybe_unused]] const ssize_t n = read(wakeFd_, &drained, sizeof drained);
    }
    int rc = MOSQ_ERR_SUCCESS;
    if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
        rc = Mosq().loop_read(mosq_, 8);
    }
    if (rc == MOSQ_ERR_SUCCESS && Mosq().socket(mosq_) >= 0 &&
        ((fds[0].revents & POLLOUT) != 0 || Mosq().want_write(mosq_))) {
        rc = Mosq().loop_write(mosq_, 8);
    }
    const int error = errno;
    if (rc == MOSQ_ERR_SUCCESS && Mosq().socket(mosq_) >= 0) {
        Mosq().loop_misc(mosq_);
    }
    if (refused_) {
        Mosq().disconnect(mosq_);
        ScheduleRetry();
        return;
    }
    if (awaitingConnack_ && Clock::now() > connackDeadline_) {
        Mosq().disconnect(mosq_);
        Trouble("The MQTT broker " + Broker() + " did not answer the connection request",
                failures_);
        ScheduleRetry();
        return;
    }
    if (Mosq().socket(mosq_) < 0) {
        EndConnection(rc, error);
        return;
    }
    if (connected_) {
        PublishDue();
    }
    SaveLedgerIfDue(false);
}

void MqttPublisher::EndConnection(int rc, int error) {
    const bool wasConnected = inSession_;
    inSession_ = false;
    connected_ = false;
    awaitingConnack_ = false;
    if (stop_) {
        return;
    }
    std::string text;
    if (!tlsError_.empty() || rc == MOSQ_ERR_TLS) {
        const bool untrusted = tlsError_.find("certificate verify failed") != std::string::npos;
        text = "TLS with the MQTT broker " + Broker() + " failed: " +
               (untrusted ? "the broker's certificate is not trusted (certificate verify failed; "
                            "check mqtt.tls.ca_file)"
                          : (tlsError_.empty() ? Mosq().strerror(rc) : tlsError_));
    } else if (wasConnected) {
        text = "The connection to the MQTT broker " + Broker() + " was lost; reconnecting";
    } else if (rc == MOSQ_ERR_ERRNO) {
        text = "Cannot reach the MQTT broker " + Broker() + ": " + std::strerror(error);
    } else {
        text = "Cannot reach the MQTT broker " + Broker() + ": " + Mosq().strerror(rc);
    }
    Trouble(text, failures_);
    ScheduleRetry();
}

void MqttPublisher::Trouble(const std::string& text, std::atomic<int>& counter) {
    ++counter;
    if (text != lastTrouble_) {
        lastTrouble_ = text;
        troubleShown_ = true;
        setup_.report(text);
    }
}

void MqttPublisher::ScheduleRetry() {
    nextAttempt_ = Clock::now() + std::chrono::seconds(backoffSeconds_);
    backoffSeconds_ = std::min(backoffSeconds_ * 2, kMaxBackoffSeconds);
}

void MqttPublisher::OnConnect(int rc) {
    awaitingConnack_ = false;
    if (rc != 0) {
        refused_ = true;
        Trouble("The MQTT broker " + Broker() +
                    " refused the connection: " + Mosq().connack_string(rc) + RefusalHint(rc),
                refusals_);
        return;
    }
    ++connections_;
    connected_ = true;
    inSession_ = true;
    backoffSeconds_ = 1;
    if (troubleShown_) {
        troubleShown_ = false;
        setup_.report("Publishing to the MQTT broker " + Broker() + " again");
    }
    lastTrouble_.clear();
    Publish(StatusTopic(setup_.baseTopic), "online", 1, true);
    std::lock_guard<std::mutex> guard(mutex_);
    deviceChanged_ = true;  // a broker that lost its retained messages learns them again
}

void MqttPublisher::OnLog(const char* text) {
    if (std::strncmp(text, "OpenSSL Error", 13) == 0 ||
        std::strstr(text, "certificate") != nullptr) {
        const char* reason = std::strrchr(text, ':');
        tlsError_ = reason != nullptr && reason[1] != '\0' ? reason + 1 : text;
        while (!tlsError_.empty() && tlsError_.front() == ' ') {
            tlsError_.erase(0, 1);
        }
        if (std::strstr(text, "certificate verify failed") != nullptr) {
            tlsError_ = "certificate verify failed";
        }
    }
}

void MqttPublisher::PublishDue() {
    std::optional<MqttSnapshot> snapshot;
    std::optional<MqttDevice> device;
    std::optional<std::string> alerts;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (deviceChanged_) {
            device = setup_.device;
            deviceChanged_ = false;
        }
        if (pendingAlerts_) {
            lastAlerts_ = std::move(*pendingAlerts_);
            pendingAlerts_.reset();
            alerts = lastAlerts_;
        } else if (device && !lastAlerts_.empty()) {
            alerts = lastAlerts_;  // connected again
        }
    }
    if (device && !setup_.settings.discoveryPrefix.empty()) {
        for (const MqttMessage& m :
             DiscoveryMessages(*device, setup_.settings.discoveryPrefix, setup_.baseTopic)) {
            Publish(m.topic, m.payload, 1, m.retain);
        }
        for (const MqttMessage& m : AlertDiscoveryMessages(
                 *device, setup_.alertRules, setup_.settings.discoveryPrefix, setup_.baseTopic)) {
            Publish(m.topic, m.payload, 1, m.retain);
        }
    }
    if (alerts) {
        // Alerts are rare and each matters: never held back by the state's interval.
        Publish(AlertsTopic(setup_.baseTopic), *alerts, 1, true);
    }
    const auto now = Clock::now();
    // A state goes out when the interval has passed and the last one has left, so a slow
    // broker never makes the library queue more than one.
    if (Mosq().want_write(mosq_) ||
        (setup_.settings.intervalSeconds > 0 &&
         now < lastPublish_ + std::chrono::seconds(setup_.settings.intervalSeconds))) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(mutex_);
        snapshot.swap(pending_);
    }
    if (!snapshot) {
        return;
    }
    SaveLedgerIfDue(false);
    const double collectorKwh = saved_.collectorBtu * kKwhPerBtu;
    const double haKwh = saved_.haBtu * kKwhPerBtu;
    Publish(StateTopic(setup_.baseTopic), StateJson(*snapshot, collectorKwh, haKwh), 0, true);
    ++publications_;
    lastPublish_ = now;
}

void MqttPublisher::SaveLedgerIfDue(bool force) {
    EnergyLedger current;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        current = ledger_;
    }
    if (current.collectorBtu == saved_.collectorBtu && current.haBtu == saved_.haBtu) {
        return;
    }
    const auto now = Clock::now();
    if (setup_.ledgerFile.empty()) {
        saved_ = current;
        return;
    }
    if (!force && now < lastLedgerSave_ + std::chrono::seconds(setup_.ledgerSaveSeconds)) {
        return;
    }
    lastLedgerSave_ = now;
    std::string problem;
    if (SaveEnergyLedger(setup_.ledgerFile, current, problem)) {
        saved_ = current;
    } else {
        Trouble(problem, ledgerErrors_);
    }
}

void MqttPublisher::Publish(const std::string& topic, const std::string& payload, int qos,
                            bool retain) {
    Mosq().publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(),
                   qos, retain);
}

void MqttPublisher::Flush(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Mosq().socket(mosq_) >= 0 && Mosq().want_write(mosq_) && Clock::now() < end) {
        pollfd fd{Mosq().socket(mosq_), POLLOUT, 0};
        poll(&fd, 1, 100);
        if (Mosq().loop_write(mosq_, 8) != MOSQ_ERR_SUCCESS) {
            break;
        }
    }
}

}  // namespace brennic
