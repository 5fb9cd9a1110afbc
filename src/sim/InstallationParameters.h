#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>

#include "config/Config.h"

namespace brennic {

// The kinds of day the weather draws from. A forced kind gives every day that weather.
enum class DayKind : int { kClear = 0, kHazy = 1, kPartlyCloudy = 2, kOvercast = 3 };

// One hot-water draw a day: from startHour (local, fractional) for durationMinutes, litres of
// water at the tap temperature. The weather's seed varies each day's amount by up to ±30 %.
struct HotWaterDraw {
    double startHour = 7.0;
    double durationMinutes = 30.0;
    double litres = 60.0;
};

// Everything the simulated installation is made of. The defaults are a two-panel domestic
// system (4 m² of flat plate collectors, a 300 l tank) at the site and array orientation of
// a fresh configuration; each field may be set before the model is built. Temperatures are
// °F where the controller shows them (settings), °C inside the physics.
struct InstallationParameters {
    std::uint32_t seed = 1;

    // Site and array, as the sun calculator takes them: degrees, east longitude positive.
    float latitude = 45.0f;
    float longitude = -88.0f;
    float tilt = 45.0f;
    float azimuth = 180.0f;  // clockwise from north: 180 faces south
    float area = 4.0f;       // m²
    float incidentAngleModifier = 0.2f;
    float efficiencyIntercept = 0.7f;    // a0
    float efficiencySlope = -5.0f;       // a1, W/(°C m²): the collector's loss coefficient
    double collectorCapacity = 12000.0;  // J/K per m² (absorber, glass, fluid)
    double plateToFluid = 60.0;          // W/(K m²): the collector sensor sits on the absorber

    // Collector loop. The flow matches Brennic's default fixed flow, so that lines of the
    // models without a flow meter replay with the right heat under the default settings.
    double flowGpm = Config{}.fixedFlowGpm;
    double exchangerEffectiveness = 0.7;      // tank coil: share of (collector - tank bottom)
    int glycolMix = Config{}.solarGlycolMix;  // index into the glycol table
    int glycolPercent = Config{}.solarGlycolPercent;
    double pipeMinutes = 20.0;  // time constant of idle pipes cooling to the basement air

    // Differential controller, °F as the controller is set.
    double onDifferentialF = 12.0;
    double offDifferentialF = 4.0;
    double highLimitF = 180.0;  // tank bottom; the pump stops here
    double highLimitResetF = 5.0;

    // Tank: two layers of equal volume; the coil heats the bottom, heat assist the top.
    double tankLitres = 300.0;
    double tankLossWPerK = 2.0;     // whole tank to the basement air
    double layerMixWPerK = 1.5;     // conduction between the layers
    double tapTemperatureC = 49.0;  // the mixing valve's setting
    std::array<HotWaterDraw, 3> draws = {
        {{6.75, 40.0, 90.0}, {12.5, 10.0, 15.0}, {19.0, 60.0, 70.0}}};

    // Heat-assist loop (a boiler heating the tank top through a second coil).
    bool heatAssist = true;
    double heatAssistSetPointC = 45.0;  // tank top
    double heatAssistHysteresisC = 6.0;
    double heatAssistSupplyC = 70.0;
    double heatAssistGpm = Config{}.haFlowGpm;
    double heatAssistEffectiveness = 0.25;
    int heatAssistGlycolMix = Config{}.haGlycolMix;
    int heatAssistGlycolPercent = Config{}.haGlycolPercent;

    // Weather: a forced kind of day, else a seeded sequence weighted by season.
    std::optional<DayKind> weather;

    // Sensor noise, °F (standard deviation of each reading).
    double sensorNoiseF = 0.08;

    // Longest physics step, seconds.
    double maxStepSeconds = 2.0;

    // Fault injection: from this time on the collector pump does not turn although the
    // controller switches it on (the line says ON, no flow). 0 = never.
    std::time_t pumpStuckOffFrom = 0;
    // From this time on the controller never switches the collector pump on (a failed relay
    // or output): the line says OFF however warm the collector gets. 0 = never.
    std::time_t pumpHeldOffFrom = 0;
};

// The parameters for the installation described by `config`: its site, array, flows and
// glycol mixtures; tank and draws scaled to the configured collector area.
InstallationParameters ParametersFromConfig(const Config& config);

}  // namespace brennic
