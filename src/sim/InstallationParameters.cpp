#include "sim/InstallationParameters.h"

#include <algorithm>

namespace brennic {

InstallationParameters ParametersFromConfig(const Config& config) {
    InstallationParameters p;
    p.latitude = config.latitude;
    p.longitude = config.longitude;
    p.tilt = config.collectorTilt;
    p.azimuth = config.collectorAzimuth;
    p.incidentAngleModifier = config.incidentAngleModifier;
    p.efficiencyIntercept = config.efficiencyIntercept;
    p.efficiencySlope = config.efficiencySlope;
    p.flowGpm = config.fixedFlowGpm;
    p.glycolMix = config.solarGlycolMix;
    p.glycolPercent = config.solarGlycolPercent;
    p.heatAssistGpm = config.haFlowGpm;
    p.heatAssistGlycolMix = config.haGlycolMix;
    p.heatAssistGlycolPercent = config.haGlycolPercent;

    // A household sizes its tank to its collectors (about 75 l per m²) and uses about half
    // a tank a day.
    const float defaultArea = p.area;
    p.area = std::max(0.1f, config.collectorArea);
    const double scale = p.area / defaultArea;
    p.tankLitres *= scale;
    p.tankLossWPerK *= scale;
    for (HotWaterDraw& d : p.draws) {
        d.litres *= scale;
    }
    return p;
}

}  // namespace brennic
