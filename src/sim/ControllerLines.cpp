#include "sim/ControllerLines.h"

#include <cmath>
#include <cstdio>

#include "core/LocalTime.h"

namespace brennic {

std::vector<std::string> ControllerLines(const InstallationReading& r, int model) {
    char buffer[160];
    const char* pump = r.pump ? "ON" : "OFF";
    const char* limit = r.upperLimit ? "ON" : "OFF";
    if (model == 2) {
        std::snprintf(buffer, sizeof buffer,
                      "COL=%0.1f STO=%0.1f PKH=%0.1f PKL=%0.1f AX1=%0.1f AX2=%0.1f PMP=%s UPL=%s",
                      r.collectorF, r.storageF, r.highLimitF, r.differentialF, r.supplyF, r.returnF,
                      pump, limit);
        return {buffer};
    }
    std::tm local{};
    if (!ToLocalTime(r.time, local)) {
        local = std::tm{};
    }
    std::snprintf(buffer, sizeof buffer, "%02d:%02d %6.1f %6.1f  %4.1f  %6.1f %6.1f %6.1f %-3s %s",
                  local.tm_hour, local.tm_min, r.collectorF, r.storageF, r.differentialF,
                  r.highLimitF, r.supplyF, r.returnF, pump, limit);
    std::vector<std::string> lines{buffer};
    if (model == 1) {
        // FPL: the flow meter's pulse rate, which Brennic does not use.
        const int pulses = static_cast<int>(std::lround(r.flowGpm * 31.0f));
        std::snprintf(buffer, sizeof buffer, "GPM=%3.1f  FPL=%i  AX3=%3.1f KWH=%3.1f", r.flowGpm,
                      pulses, r.outdoorF, r.collectorKwh);
        lines.emplace_back();
        lines.emplace_back(buffer);
        lines.emplace_back();
    }
    return lines;
}

TestDataCycle ControllerCycle(const InstallationReading& r, int model) {
    const std::vector<std::string> lines = ControllerLines(r, model);
    TestDataCycle c;
    c.line = lines[0];
    if (lines.size() > 2) {
        c.hasGpmLine = true;
        c.gpmLine = lines[2];
    }
    c.writesOneWire = true;
    c.oneWireValues = r.oneWire;
    c.switchState = r.heatAssistPump ? 1 : 0;
    return c;
}

}  // namespace brennic
