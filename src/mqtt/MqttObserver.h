#pragma once

#include <functional>
#include <memory>
#include <string>

#include "alerts/AlertSettings.h"
#include "core/AppState.h"
#include "mqtt/MqttPublisher.h"
#include "station/StationObserver.h"

namespace brennic {

// The publication of a station snapshot: current sample, heat totals since Reset, counters
// and the two links. Any thread (the snapshot is immutable).
MqttSnapshot MqttSnapshotOf(const StationSnapshot& snapshot);

// Hands each sample and link change of the station to an MQTT publisher. The station's
// calls only copy the snapshot into the publisher's mailbox; StopObserver publishes
// "offline" and ends the publisher's thread.
class MqttObserver : public StationObserver {
  public:
    explicit MqttObserver(std::unique_ptr<MqttPublisher> publisher);

    void OnSample(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    void OnLinkState(const std::shared_ptr<const StationSnapshot>& snapshot) override;
    void StopObserver() override;

    const MqttPublisher& Publisher() const { return *publisher_; }
    // The alerts JSON for <base>/alerts. Any thread; only queues.
    void OfferAlerts(std::string json) { publisher_->OfferAlerts(std::move(json)); }

  private:
    std::unique_ptr<MqttPublisher> publisher_;
};

// A started MQTT observer for `settings`, or nullptr when MQTT is off or the client cannot
// be set up (then `report` has said why). Reads the configuration under the StateLock; the
// lifetime energies live in EnergyTotals.json in the data folder. `report` is called on the
// MQTT thread. The owner's thread, before Station::Start.
// `alerts`: the health alerts' settings, to announce a problem sensor per rule switched on
// (null: alerts off).
std::shared_ptr<MqttObserver> StartMqttObserver(const MqttSettings& settings, AppState& state,
                                                const std::string& dashboardUrl, MqttReport report,
                                                const AlertSettings* alerts = nullptr);

}  // namespace brennic
