#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "mqtt/EnergyLedger.h"
#include "mqtt/MqttRecords.h"
#include "mqtt/MqttSettings.h"

struct mosquitto;

namespace brennic {

// What went on between the publisher and the broker; read from any thread.
struct MqttCounters {
    int connections = 0;   // connections the broker accepted
    int refusals = 0;      // connections the broker refused (credentials, not authorised)
    int failures = 0;      // broker unreachable, TLS failures, connections lost
    int publications = 0;  // state messages handed to the broker
    int superseded = 0;    // snapshots replaced by a newer one before they went out
    int ledgerErrors = 0;  // failed writes of the energy totals
};

// Receives the publisher's messages (refusals, certificate errors, lost connections), one
// per distinct trouble. Called on the MQTT thread: post it on, never block in it.
using MqttReport = std::function<void(const std::string& text)>;

struct MqttPublisherSetup {
    MqttSettings settings;
    std::string baseTopic;  // as ResolveBaseTopic gives it
    MqttDevice device;
    std::filesystem::path ledgerFile;  // lifetime energies; empty: kept in memory only
    int ledgerSaveSeconds = 60;        // at most one write of the energy totals this often
    MqttReport report;
    // The health alerts announced as problem sensors on <base>/alerts: key and name of each
    // rule switched on (none: alerts off).
    std::vector<std::pair<std::string, std::string>> alertRules;
};

// Publishes the station's state to an MQTT broker from its own thread. The station hands it
// snapshots and never waits: the newest snapshot replaces one not yet sent, and while the
// broker is away nothing else is kept. The thread connects, announces availability (with a
// last will) and the Home Assistant discovery configs, and reconnects after a failure with a
// back-off of 1 s doubling to 60 s.
//
// Energies go out as lifetime totals that only grow: a value is published only after it was
// written to the ledger file, so a restart cannot bring back a lower one.
class MqttPublisher {
  public:
    explicit MqttPublisher(MqttPublisherSetup setup);
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Sets the client up and starts the thread. False, with a report, when the client cannot
    // be set up (e.g. an unreadable certificate file). Owner's thread, once.
    bool Start();

    // Hands over the newest state. Station thread; takes a short lock, never waits on the
    // broker or the disk.
    void Offer(const MqttSnapshot& snapshot);

    // Hands over the newest alerts JSON for <base>/alerts (retained). Any thread; only
    // queues.
    void OfferAlerts(std::string json);

    // Replaces the announced device (configuration changed); the configs go out again.
    // Any thread.
    void Announce(const MqttDevice& device);

    // Publishes "offline" when connected, disconnects, saves the energy totals and joins the
    // thread. Owner's thread; waits at most a few seconds for the broker.
    void Stop();

    MqttCounters Counters() const;
    bool Connected() const { return connected_.load(); }
    const std::string& ClientId() const { return clientId_; }

  private:
    using Clock = std::chrono::steady_clock;

    void Run();
    void Connect();
    void Serve();
    void EndConnection(int rc, int error);
    void Trouble(const std::string& text, std::atomic<int>& counter);
    void ScheduleRetry();
    void OnConnect(int rc);
    void OnLog(const char* text);
    void PublishDue();
    void SaveLedgerIfDue(bool force);
    void Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
    void Flush(std::chrono::milliseconds limit);
    void Wake();
    std::string Broker() const;

    MqttPublisherSetup setup_;
    std::string clientId_;
    mosquitto* mosq_ = nullptr;
    int wakeFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> connected_{false};

    // Shared with the station's thread, under mutex_.
    mutable std::mutex mutex_;
    std::optional<MqttSnapshot> pending_;
    EnergyLedger ledger_;
    bool deviceChanged_ = false;
    std::optional<std::string> pendingAlerts_;
    std::string lastAlerts_;  // re-sent to a broker that connects again

    // MQTT thread only.
    int backoffSeconds_ = 1;
    Clock::time_point nextAttempt_{};
    Clock::time_point connackDeadline_{};
    Clock::time_point lastPublish_{};
    Clock::time_point lastLedgerSave_{};
    bool awaitingConnack_ = false;
    bool inSession_ = false;  // the broker accepted the connection in use
    bool refused_ = false;
    bool troubleShown_ = false;
    std::string lastTrouble_;
    std::string tlsError_;
    EnergyLedger saved_;  // what the ledger file holds; the energies published

    std::atomic<int> connections_{0}, refusals_{0}, failures_{0}, publications_{0}, superseded_{0},
        ledgerErrors_{0};
};

}  // namespace brennic
