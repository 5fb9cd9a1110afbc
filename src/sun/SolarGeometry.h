#pragma once

#include <ctime>

namespace brennic {

// Angles are radians, temperatures °F, times are local (the system's time zone).

struct SunPositionResult {
    float azimuth = 0.0f;  // clockwise from north
    float altitude = 0.0f;
    float declination = 0.0f;
    float equationOfTime = 0.0f;  // hours
};

SunPositionResult SunPosition(std::time_t t, float latitude, float longitude);

struct CollectorFactorsResult {
    float geometryFactor = 0.0f;
    float airMassFactor = 0.0f;
    float incidentAngleFactor = 0.0f;
    float efficiencyFactor = 0.0f;
    float airMass = 35.0f;
    float incidenceAngle = 0.0f;
};

CollectorFactorsResult CollectorFactors(std::time_t t, float latitude, float longitude,
                                        float arrayAzimuth, float arrayTilt, float b0, float a0,
                                        float a1, float arrayTempF, float ambientTempF);

// Geometry factor x air-mass factor (the display's "Flux").
float CollectorFlux(std::time_t t, float latitude, float longitude, float arrayAzimuth,
                    float arrayTilt, float b0, float a0, float a1, float arrayTempF,
                    float ambientTempF);

}  // namespace brennic
