#include "mqtt/MqttObserver.h"

#include "mqtt/MqttSources.h"

namespace brennic {

MqttSnapshot MqttSnapshotOf(const StationSnapshot& s) {
    MqttSnapshot out;
    out.sample = s.current;
    out.collectorBtu = s.collectorHeat.total;
    out.haBtu = s.haHeat.total;
    out.dataErrors = s.dataErrors;
    out.openSensors = s.openSensors;
    out.controllerLink = s.links.comRunning && !s.links.reconnecting;
    out.oneWireLink = s.links.oneWireOpen;
    return out;
}

MqttObserver::MqttObserver(std::unique_ptr<MqttPublisher> publisher)
    : publisher_(std::move(publisher)) {}

void MqttObserver::OnSample(const std::shared_ptr<const StationSnapshot>& snapshot) {
    publisher_->Offer(MqttSnapshotOf(*snapshot));
}

void MqttObserver::OnLinkState(const std::shared_ptr<const StationSnapshot>& snapshot) {
    publisher_->Offer(MqttSnapshotOf(*snapshot));
}

void MqttObserver::StopObserver() {
    publisher_->Stop();
}

std::shared_ptr<MqttObserver> StartMqttObserver(const MqttSettings& settings, AppState& state,
                                                const std::string& dashboardUrl, MqttReport report,
                                                const AlertSettings* alerts) {
    if (!settings.enabled) {
        return nullptr;
    }
    MqttPublisherSetup setup;
    setup.settings = settings;
    setup.report = std::move(report);
    if (alerts != nullptr && alerts->enabled) {
        for (int i = 0; i < kAlertRuleCount; ++i) {
            if (alerts->rules[static_cast<std::size_t>(i)].enabled) {
                const AlertRuleEntry& entry = kAlertRules[static_cast<std::size_t>(i)];
                setup.alertRules.emplace_back(entry.key, entry.title);
            }
        }
    }
    {
        StateGuard guard(state.lock);
        setup.baseTopic = ResolveBaseTopic(settings, state.config.siteId, LocalHostName());
        setup.device =
            MqttDeviceOf(state.config, state.channels, state.identity.version, dashboardUrl);
        if (!state.config.dataFolder.empty()) {
            setup.ledgerFile = std::filesystem::path(state.config.dataFolder) / "EnergyTotals.json";
        }
    }
    auto publisher = std::make_unique<MqttPublisher>(std::move(setup));
    if (!publisher->Start()) {
        return nullptr;
    }
    return std::make_shared<MqttObserver>(std::move(publisher));
}

}  // namespace brennic
