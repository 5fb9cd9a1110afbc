#pragma once

#include <array>
#include <string>

#include "core/Sample.h"

namespace brennic {

// What one publication carries: an owned copy the station takes after each processed sample
// or link change and hands to the publisher. Units as the processor keeps them.
struct MqttSnapshot {
    Sample sample;              // °F, GPM, BTU per second, pumps 1/0; `time` is the sample time
    double collectorBtu = 0.0;  // collector heat since the last Reset
    double haBtu = 0.0;         // heat-assist heat since the last Reset
    int dataErrors = 0;
    int openSensors = 0;
    bool controllerLink = false;  // the controller link is open
    bool oneWireLink = false;     // the One-Wire link is open
};

// Everything Home Assistant learns about through discovery, one row per entity.
enum MqttEntity : int {
    kEntCollector,
    kEntStorage,
    kEntAux1,
    kEntAux2,
    kEntAux3,
    kEntAux4,
    kEntWAux1,
    kEntWAux2,
    kEntWAux3,
    kEntWAux4,
    kEntCollectorPower,
    kEntCollectorEnergy,
    kEntFlow,
    kEntHaPower,
    kEntHaEnergy,
    kEntPump,
    kEntHaPump,
    kEntControllerLink,
    kEntOneWireLink,
    kEntDataErrors,
    kEntOpenSensors,
    kEntityCount
};

// The device the discovery configs announce, and which entities it has.
struct MqttDevice {
    std::string site;              // shown as "Brennic <site>"
    std::string model;             // controller type, e.g. "Vexin 2 BTU"
    std::string version;           // Brennic's version
    std::string configurationUrl;  // the dashboard; empty when none is served
    std::array<bool, kEntityCount> announced{};
    std::array<std::string, kEntityCount> names;  // entity names (the probe names)

    bool operator==(const MqttDevice&) const = default;
};

}  // namespace brennic
