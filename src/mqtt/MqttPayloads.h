#pragma once

#include <string>
#include <utility>
#include <vector>

#include "mqtt/MqttRecords.h"

namespace brennic {

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retain = false;
};

inline std::string StatusTopic(const std::string& base) {
    return base + "/status";
}
inline std::string StateTopic(const std::string& base) {
    return base + "/state";
}

inline std::string AlertsTopic(const std::string& base) {
    return base + "/alerts";
}

// The key of an entity in the state JSON and its object id in discovery ("collector", ...).
const char* EntityKey(MqttEntity entity);

// The state JSON: every channel that reads (°F, W, gal/min), the pumps and links as
// booleans, the counters, the lifetime energies in kWh and the sample time in ISO 8601 local
// time with its offset. Any thread.
std::string StateJson(const MqttSnapshot& s, double collectorKwh, double haKwh);

// One retained discovery config per entity under
// <prefix>/<sensor|binary_sensor>/<node id>/<object id>/config; an entity the device does
// not announce gets an empty payload, which removes a config announced before. The node id
// is the base topic made topic-safe. Any thread.
std::vector<MqttMessage> DiscoveryMessages(const MqttDevice& device, const std::string& prefix,
                                           const std::string& base);

// One retained binary_sensor config (device_class problem) per alert rule `rules` names (key,
// name) under <prefix>/binary_sensor/<node id>/alert_<key>/config, on for a rule while
// <base>/alerts says so ("rules": {"<key>": true}). Any thread.
std::vector<MqttMessage> AlertDiscoveryMessages(
    const MqttDevice& device, const std::vector<std::pair<std::string, std::string>>& rules,
    const std::string& prefix, const std::string& base);

}  // namespace brennic
