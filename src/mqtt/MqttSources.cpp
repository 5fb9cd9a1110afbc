#include "mqtt/MqttSources.h"

namespace brennic {

MqttSnapshot MqttSnapshotOf(const ProcessorState& processor, bool controllerLink,
                            bool oneWireLink) {
    MqttSnapshot s;
    s.sample = processor.current;
    s.collectorBtu = processor.collectorHeat.total;
    s.haBtu = processor.haHeat.total;
    s.dataErrors = processor.dataErrors;
    s.openSensors = processor.openSensors;
    s.controllerLink = controllerLink;
    s.oneWireLink = oneWireLink;
    return s;
}

MqttDevice MqttDeviceOf(const Config& config, const ChannelTable& channels,
                        const std::string& version, const std::string& dashboardUrl) {
    static constexpr const char* kModels[] = {"Vexin 2", "Vexin 2 BTU", "Vexin 2 LCD"};
    MqttDevice d;
    const auto site = config.siteId.find_first_not_of(' ');
    d.site = site == std::string::npos ? "Solar" : config.siteId.substr(site);
    d.model = config.controllerType >= 0 && config.controllerType <= 2
                  ? kModels[config.controllerType]
                  : "Vexin 2";
    d.version = version;
    d.configurationUrl = dashboardUrl;

    const bool btuModel = config.controllerType != kVexin2;
    const bool oneWire = config.oneWireEnable != 0;
    const bool metering = config.btuEnable != 0;
    const struct {
        MqttEntity entity;
        int channel;  // -1: a fixed name
        const char* fixedName;
        bool on;
    } rows[] = {
        {kEntCollector, kChCollector, "", true},
        {kEntStorage, kChStorage, "", true},
        {kEntAux1, kChAux1, "", true},
        {kEntAux2, kChAux2, "", true},
        {kEntAux3, kChAux3, "", btuModel},
        {kEntAux4, kChAux4, "", false},
        {kEntWAux1, kChWAux1, "", oneWire},
        {kEntWAux2, kChWAux2, "", oneWire},
        {kEntWAux3, kChWAux3, "", oneWire},
        {kEntWAux4, kChWAux4, "", oneWire},
        {kEntCollectorPower, -1, "Collector power", metering},
        {kEntCollectorEnergy, -1, "Collector energy", metering},
        {kEntFlow, kChGpm, "", metering},
        {kEntHaPower, -1, "Heat assist power", oneWire},
        {kEntHaEnergy, -1, "Heat assist energy", oneWire},
        {kEntPump, kChPump, "", true},
        {kEntHaPump, kChHaPump, "", oneWire},
        {kEntControllerLink, -1, "Controller link", true},
        {kEntOneWireLink, -1, "One-Wire link", oneWire},
        {kEntDataErrors, -1, "Data errors", true},
        {kEntOpenSensors, -1, "Open sensors", true},
    };
    for (const auto& row : rows) {
        const auto i = static_cast<std::size_t>(row.entity);
        d.announced[i] = row.on;
        std::string name = row.channel >= 0 ? channels[row.channel].longName : row.fixedName;
        if (name.find_first_not_of(' ') == std::string::npos) {
            name = row.channel >= 0 ? DefaultChannelTable()[row.channel].longName : "";
        }
        d.names[i] = name;
    }
    return d;
}

}  // namespace brennic
