#include "mqtt/MqttPayloads.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/LocalTime.h"
#include "mqtt/MqttSettings.h"

namespace brennic {

namespace {

using nlohmann::json;

enum class Kind { kTemperature, kPower, kEnergy, kFlow, kRunning, kConnectivity, kCount };

struct EntityRow {
    const char* key;
    Kind kind;
    int slot;  // Sample slot, or -1
};

// Rows in MqttEntity order.
constexpr EntityRow kRows[kEntityCount] = {
    {"collector", Kind::kTemperature, kSlotCollector},
    {"storage", Kind::kTemperature, kSlotStorage},
    {"aux1", Kind::kTemperature, kSlotAux1},
    {"aux2", Kind::kTemperature, kSlotAux2},
    {"aux3", Kind::kTemperature, kSlotAux3},
    {"aux4", Kind::kTemperature, kSlotAux4},
    {"waux1", Kind::kTemperature, kSlotWAux1},
    {"waux2", Kind::kTemperature, kSlotWAux2},
    {"waux3", Kind::kTemperature, kSlotWAux3},
    {"waux4", Kind::kTemperature, kSlotWAux4},
    {"collector_power", Kind::kPower, kSlotBtuRate},
    {"collector_energy", Kind::kEnergy, -1},
    {"flow", Kind::kFlow, kSlotFlow},
    {"ha_power", Kind::kPower, kSlotHaBtuRate},
    {"ha_energy", Kind::kEnergy, -1},
    {"pump", Kind::kRunning, kSlotPump},
    {"ha_pump", Kind::kRunning, kSlotHaPump},
    {"controller_link", Kind::kConnectivity, -1},
    {"onewire_link", Kind::kConnectivity, -1},
    {"data_errors", Kind::kCount, -1},
    {"open_sensors", Kind::kCount, -1},
};

double Round(double v, double scale) {
    return std::round(v * scale) / scale;
}

// BTU per second to watts, with the program's own BTU-to-kWh factor.
double Watts(double btuPerSecond) {
    return btuPerSecond * 3600.0 * kKwhPerBtu * 1000.0;
}

std::string IsoLocalTime(std::time_t t) {
    std::tm tm{};
    if (!ToLocalTime(t, tm)) {
        return "";
    }
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    const int offset = static_cast<int>(tm.tm_gmtoff / 60);
    const int magnitude = (offset < 0 ? -offset : offset) % (24 * 60);
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return std::string(text) + zone;
}

json DeviceJson(const MqttDevice& d, const std::string& nodeId) {
    json device = {{"identifiers", json::array({nodeId})},
                   {"name", "Brennic " + d.site},
                   {"manufacturer", "Brennic"},
                   {"model", d.model},
                   {"sw_version", d.version}};
    if (!d.configurationUrl.empty()) {
        device["configuration_url"] = d.configurationUrl;
    }
    return device;
}

void AddKind(json& c, Kind kind) {
    switch (kind) {
        case Kind::kTemperature:
            c["device_class"] = "temperature";
            c["state_class"] = "measurement";
            c["unit_of_measurement"] = "°F";
            break;
        case Kind::kPower:
            c["device_class"] = "power";
            c["state_class"] = "measurement";
            c["unit_of_measurement"] = "W";
            break;
        case Kind::kEnergy:
            c["device_class"] = "energy";
            c["state_class"] = "total_increasing";
            c["unit_of_measurement"] = "kWh";
            break;
        case Kind::kFlow:
            c["device_class"] = "volume_flow_rate";
            c["state_class"] = "measurement";
            c["unit_of_measurement"] = "gal/min";
            break;
        case Kind::kRunning:
            c["device_class"] = "running";
            break;
        case Kind::kConnectivity:
            c["device_class"] = "connectivity";
            c["entity_category"] = "diagnostic";
            break;
        case Kind::kCount:
            c["state_class"] = "measurement";
            c["entity_category"] = "diagnostic";
            break;
    }
}

}  // namespace

const char* EntityKey(MqttEntity entity) {
    return kRows[entity].key;
}

std::string StateJson(const MqttSnapshot& s, double collectorKwh, double haKwh) {
    json state = json::object();
    for (int e = 0; e < kEntityCount; ++e) {
        const EntityRow& row = kRows[e];
        if (row.slot < 0) {
            continue;
        }
        const float v = s.sample[row.slot];
        switch (row.kind) {
            case Kind::kTemperature:
            case Kind::kFlow:
                if (IsReading(v)) {
                    state[row.key] = Round(v, 100.0);
                }
                break;
            case Kind::kPower:
                state[row.key] = Round(Watts(v), 10.0);
                break;
            case Kind::kRunning:
                state[row.key] = v != 0.0f;
                break;
            default:
                break;
        }
    }
    // Energies are never rounded up: a later, exact value must not come out lower.
    state["collector_energy"] = std::floor(collectorKwh * 1000.0) / 1000.0;
    state["ha_energy"] = std::floor(haKwh * 1000.0) / 1000.0;
    state["controller_link"] = s.controllerLink;
    state["onewire_link"] = s.oneWireLink;
    state["data_errors"] = s.dataErrors;
    state["open_sensors"] = s.openSensors;
    state["time"] = IsoLocalTime(s.sample.time);
    return state.dump();
}

std::vector<MqttMessage> DiscoveryMessages(const MqttDevice& device, const std::string& prefix,
                                           const std::string& base) {
    const std::string nodeId = TopicSafe(base);
    const json deviceJson = DeviceJson(device, nodeId);
    std::vector<MqttMessage> out;
    for (int e = 0; e < kEntityCount; ++e) {
        const EntityRow& row = kRows[e];
        const bool binary = row.kind == Kind::kRunning || row.kind == Kind::kConnectivity;
        MqttMessage m;
        m.topic =
            prefix + (binary ? "/binary_sensor/" : "/sensor/") + nodeId + "/" + row.key + "/config";
        m.retain = true;
        if (device.announced[static_cast<std::size_t>(e)]) {
            const std::string field = std::string("value_json.") + row.key;
            json c = {{"name", device.names[static_cast<std::size_t>(e)]},
                      {"unique_id", nodeId + "_" + row.key},
                      {"object_id", nodeId + "_" + row.key},
                      {"state_topic", StateTopic(base)},
                      {"availability_topic", StatusTopic(base)},
                      {"payload_available", "online"},
                      {"payload_not_available", "offline"},
                      {"device", deviceJson}};
            c["value_template"] = binary ? "{{ 'ON' if " + field + " else 'OFF' }}"
                                         : "{{ " + field + " | default(None) }}";
            AddKind(c, row.kind);
            m.payload = c.dump();
        }
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<MqttMessage> AlertDiscoveryMessages(
    const MqttDevice& device, const std::vector<std::pair<std::string, std::string>>& rules,
    const std::string& prefix, const std::string& base) {
    const std::string nodeId = TopicSafe(base);
    const json deviceJson = DeviceJson(device, nodeId);
    std::vector<MqttMessage> out;
    for (const auto& [key, name] : rules) {
        const std::string id = nodeId + "_alert_" + key;
        json c = {{"name", name},
                  {"unique_id", id},
                  {"object_id", id},
                  {"state_topic", AlertsTopic(base)},
                  {"value_template", "{{ 'ON' if value_json.rules." + key + " else 'OFF' }}"},
                  {"device_class", "problem"},
                  {"availability_topic", StatusTopic(base)},
                  {"payload_available", "online"},
                  {"payload_not_available", "offline"},
                  {"device", deviceJson}};
        out.push_back(
            {prefix + "/binary_sensor/" + nodeId + "/alert_" + key + "/config", c.dump(), true});
    }
    return out;
}

}  // namespace brennic
