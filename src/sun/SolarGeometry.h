#pragma once

#include <array>
#include <ctime>

namespace brennic {

// Sun position and the loss factors of a flat-plate collector array.
// Angles are radians, temperatures °F, times are local (the system's time zone, shifted by the
// test time offset). The time-zone bias is the one in effect at the evaluated time, so a date
// across a daylight-saving change is computed with its own offset.
// All functions are pure apart from reading the time zone: any thread, no lock needed.

// Single-precision degree conversions used by the calculator and the chart.
inline constexpr float kDegToRadF = 0.017453225329518318f;
inline constexpr float kRadToDegF = 57.29600143432617f;
// The incidence angle ("Sun Angle") is shown with a slightly different factor.
inline constexpr float kSunAngleRadToDegF = 57.29578399658203f;

struct SunPositionResult {
    float azimuth = 0.0f;  // clockwise from north
    float altitude = 0.0f;
    float declination = 0.0f;
    float equationOfTime = 0.0f;  // hours
};

// A time that cannot be broken down into local time gives the sun at the nadir (night).
SunPositionResult SunPosition(std::time_t t, float latitude, float longitude);

// The azimuth rules of SunPosition, from the hour angle, declination, altitude, latitude and the
// solar time in hours. Exposed so the quadrant rules can be tested on their own.
float SunAzimuth(float hourAngle, float declination, float altitude, float latitude,
                 float solarTime);

struct CollectorFactorsResult {
    float geometryFactor = 0.0f;
    float airMassFactor = 0.0f;
    float incidentAngleFactor = 0.0f;
    float efficiencyFactor = 0.0f;
    float airMass = 35.0f;
    float incidenceAngle = 0.0f;

    // Geometry x air mass x incident angle x efficiency.
    float Combined() const {
        return geometryFactor * airMassFactor * incidentAngleFactor * efficiencyFactor;
    }
};

// With the sun below the horizon every factor is 0 and the air mass 35.0; the incidence angle
// is always computed.
CollectorFactorsResult CollectorFactors(std::time_t t, float latitude, float longitude,
                                        float arrayAzimuth, float arrayTilt, float b0, float a0,
                                        float a1, float arrayTempF, float ambientTempF);

// Geometry factor x air-mass factor (the display's "Flux").
float CollectorFlux(std::time_t t, float latitude, float longitude, float arrayAzimuth,
                    float arrayTilt, float b0, float a0, float a1, float arrayTempF,
                    float ambientTempF);

// A site and an array in the units CollectorFactors takes (radians, °F).
struct SolarSetup {
    float latitude = 0.0f;   // north positive
    float longitude = 0.0f;  // east positive
    float arrayAzimuth = 0.0f;
    float arrayTilt = 0.0f;
    float b0 = 0.0f;  // incident angle modifier coefficient
    float a0 = 0.0f;  // thermal efficiency intercept
    float a1 = 0.0f;  // thermal efficiency slope, W/(°C m²)
    float arrayTempF = 175.0f;
    float ambientTempF = 70.0f;
};

CollectorFactorsResult CollectorFactors(std::time_t t, const SolarSetup& setup);

// One day in 6-minute steps from local midnight: 240 steps, step 120 is noon.
inline constexpr int kDaySteps = 240;
inline constexpr int kNoonStep = 120;

struct DayStep {
    std::time_t time = 0;  // -1 when the local clock time could not be converted
    CollectorFactorsResult factors;
    float combined = 0.0f;
};

struct DayFactors {
    std::array<DayStep, kDaySteps> steps{};
    float kwhPerM2 = 0.0f;  // the day's integrated maximum, kWh per m² of array
};

// Steps through the local day that contains `day` (00:00 to 23:54 by the local clock) and
// integrates the combined factor at 1367 W/m² for 0.1 hour per step.
DayFactors DailyFactors(std::time_t day, const SolarSetup& setup);

// The day's theoretical maximum in kWh per m² of array.
float DailyMaximum(std::time_t day, const SolarSetup& setup);

}  // namespace brennic
