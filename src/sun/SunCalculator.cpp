#include "sun/SunCalculator.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace brennic {

SunInputs SunInputsFromConfig(const Config& config, std::time_t time, float arrayTempF,
                              float ambientTempF) {
    SunInputs in;
    in.time = time;
    in.latitude = config.latitude;
    in.longitude = config.longitude;
    in.tilt = config.collectorTilt;
    in.azimuth = config.collectorAzimuth;
    in.area = config.collectorArea;
    in.b0 = config.incidentAngleModifier;
    in.a0 = config.efficiencyIntercept;
    in.a1 = config.efficiencySlope;
    in.arrayTempF = arrayTempF;
    in.ambientTempF = ambientTempF;
    return in;
}

SolarSetup ToSolarSetup(const SunInputs& in) {
    SolarSetup s;
    s.latitude = in.latitude * kDegToRadF;
    s.longitude = in.longitude * kDegToRadF;
    s.arrayAzimuth = in.azimuth * kDegToRadF;
    s.arrayTilt = in.tilt * kDegToRadF;
    s.b0 = in.b0;
    s.a0 = in.a0;
    s.a1 = in.a1;
    s.arrayTempF = in.arrayTempF;
    s.ambientTempF = in.ambientTempF;
    return s;
}

SunOutputs ComputeSunOutputs(const SunInputs& in) {
    const SolarSetup setup = ToSolarSetup(in);
    const SunPositionResult sun = SunPosition(in.time, setup.latitude, setup.longitude);
    const CollectorFactorsResult f = CollectorFactors(in.time, setup);

    SunOutputs out;
    out.azimuth = sun.azimuth * kRadToDegF;
    out.altitude = sun.altitude * kRadToDegF;
    out.declination = sun.declination * kRadToDegF;
    out.equationOfTime = sun.equationOfTime * 60.0f;
    out.incidenceAngle = f.incidenceAngle * kSunAngleRadToDegF;
    out.airMass = f.airMass;
    out.airMassFactor = f.airMassFactor;
    out.geometryFactor = f.geometryFactor;
    out.incidentAngleFactor = f.incidentAngleFactor;
    out.efficiencyFactor = f.efficiencyFactor;
    out.combinedFactor = f.Combined();
    out.arrayKw = static_cast<float>(out.combinedFactor * in.area * 1.367);
    out.arrayBtuPerHour = static_cast<float>(out.arrayKw * 3413.0);
    return out;
}

DailyTotals DailyTotalsFor(float kwhPerM2, float area) {
    DailyTotals t;
    t.kwhPerM2 = kwhPerM2;
    t.btuPerM2 = static_cast<float>(kwhPerM2 * 3413.0);
    t.arrayKwh = kwhPerM2 * area;
    t.arrayBtu = static_cast<float>(t.arrayKwh * 3413.0);
    return t;
}

std::string FixedText(float value, int decimals) {
    char buffer[64];
    // Adding 0 turns -0 into +0, so an empty west longitude does not show as "-0.00".
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value + 0.0f,
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return "0";
    }
    return std::string(buffer, result.ptr);
}

bool ScanFloat(const std::string& text, float& out) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end &&
           (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')) {
        ++p;
    }
    if (p != end && *p == '+') {
        ++p;
        if (p != end && *p == '-') {
            return false;
        }
    }
    float value = 0.0f;
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace brennic
