#pragma once

#include <ctime>
#include <string>

#include "config/Config.h"
#include "sun/SolarGeometry.h"

namespace brennic {

// The sun calculator behind the "Sun Statistics" dialog and `--sun`: the user's inputs in
// degrees, the figures shown for them, and the day's totals. Plain values; any thread.

// What the calculator remembers between openings of the dialog (the array values are copied
// from Config each time instead). Main thread only; no lock needed.
struct SunCalculatorMemory {
    float arrayTempF = 175.0f;
    float ambientTempF = 70.0f;
};

struct SunInputs {
    std::time_t time = 0;
    float latitude = 0.0f;   // degrees, north positive
    float longitude = 0.0f;  // degrees, east positive (the dialog shows the west longitude)
    float tilt = 0.0f;       // degrees from horizontal
    float azimuth = 0.0f;    // degrees
    float area = 1.0f;       // m²
    float b0 = 0.0f;         // incident angle modifier
    float a0 = 0.0f;         // thermal efficiency intercept
    float a1 = 0.0f;         // thermal efficiency slope, W/(°C m²)
    float arrayTempF = 175.0f;
    float ambientTempF = 70.0f;
};

// The array values of `config` with the given time and temperatures.
SunInputs SunInputsFromConfig(const Config& config, std::time_t time, float arrayTempF,
                              float ambientTempF);

// Degrees to radians with the single-precision factor.
SolarSetup ToSolarSetup(const SunInputs& in);

struct SunOutputs {
    float azimuth = 0.0f;         // degrees
    float altitude = 0.0f;        // degrees
    float declination = 0.0f;     // degrees
    float equationOfTime = 0.0f;  // minutes
    float incidenceAngle = 0.0f;  // degrees ("Solar Array - Sun Angle")
    float airMass = 35.0f;
    float airMassFactor = 0.0f;
    float geometryFactor = 0.0f;
    float incidentAngleFactor = 0.0f;
    float efficiencyFactor = 0.0f;
    float combinedFactor = 0.0f;
    float arrayKw = 0.0f;  // current array maximum
    float arrayBtuPerHour = 0.0f;
};

SunOutputs ComputeSunOutputs(const SunInputs& in);

struct DailyTotals {
    float kwhPerM2 = 0.0f;
    float btuPerM2 = 0.0f;
    float arrayKwh = 0.0f;
    float arrayBtu = 0.0f;
};

DailyTotals DailyTotalsFor(float kwhPerM2, float area);

// "%1.2f"-style fixed text, locale-independent; -0 is shown as 0.
std::string FixedText(float value, int decimals);

// Reads a number the way "%f" does (leading blanks, optional sign, trailing text ignored),
// locale-independent. False for text without a number, and for inf and nan, which would
// poison every figure; `out` is then left alone.
bool ScanFloat(const std::string& text, float& out);

}  // namespace brennic
