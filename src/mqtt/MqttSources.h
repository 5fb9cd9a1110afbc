#pragma once

#include <string>

#include "config/Config.h"
#include "core/Channels.h"
#include "core/ProcessorState.h"
#include "mqtt/MqttRecords.h"

namespace brennic {

// The snapshot of the processor's state after a sample, with the two link states.
// Caller holds the StateLock.
MqttSnapshot MqttSnapshotOf(const ProcessorState& processor, bool controllerLink, bool oneWireLink);

// The device and its entities as the configuration has them: the probe names name the
// entities; Aux-3 only on BTU models; Aux-4 never (the controller does not supply it);
// One-Wire probes, heat assist and the One-Wire link only with One-Wire on; collector power,
// energy and flow only with heat metering on. Caller holds the StateLock.
MqttDevice MqttDeviceOf(const Config& config, const ChannelTable& channels,
                        const std::string& version, const std::string& dashboardUrl);

}  // namespace brennic
