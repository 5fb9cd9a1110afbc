#pragma once

#include <array>
#include <ctime>

#include "config/GlycolTable.h"
#include "sim/InstallationParameters.h"
#include "sim/SimRandom.h"
#include "sim/Weather.h"
#include "sun/SolarGeometry.h"
#include "sun/SunCalculator.h"

namespace brennic {

// What the controller and the One-Wire probes report at one moment, °F, with sensor noise.
struct InstallationReading {
    std::time_t time = 0;
    float collectorF = 0.0f;  // absorber sensor
    float storageF = 0.0f;    // tank bottom
    float supplyF = 0.0f;     // Aux-1: collector loop, hot side at the tank
    float returnF = 0.0f;     // Aux-2: collector loop, cold side
    float outdoorF = 0.0f;    // Aux-3 (the BTU controller's third input)
    bool pump = false;        // what the controller switches
    bool upperLimit = false;  // the high limit stops the pump
    float flowGpm = 0.0f;     // what the flow meter sees
    float differentialF = 0.0f;
    float highLimitF = 0.0f;
    double collectorKwh = 0.0;  // the controller's heat counter
    int pumpMinutes = 0;        // the controller's run-time counter
    // WAux-1 heat-assist supply, WAux-2 heat-assist return, WAux-3 tank top, WAux-4 basement.
    std::array<float, 4> oneWire{};
    bool heatAssistPump = false;
};

// Energy that crossed the tank's boundary since the model was built, joules.
struct TankLedger {
    double solar = 0.0;       // from the collector coil
    double heatAssist = 0.0;  // from the heat-assist coil
    double draws = 0.0;       // hot water drawn, against mains water
    double losses = 0.0;      // through the insulation
};

// The simulated installation: sun on the array (the sun module's geometry and factors), the
// seeded weather, a lumped collector, the differential controller with hysteresis and high
// limit, the glycol heat factor, a two-layer tank with losses and hot-water draws, and the
// optional heat-assist loop. Deterministic for a seed and a start time. One owner at a time;
// not thread-safe.
class Installation {
  public:
    // `glycol` is copied. The model starts at `start` with a lukewarm tank and cold pipes.
    Installation(const InstallationParameters& parameters, const GlycolTable& glycol,
                 std::time_t start);

    // Runs the physics forward to `t` in steps of at most maxStepSeconds (or `maxStepSeconds`
    // when given: a warm-up whose course nobody sees can take long steps, which the model
    // integrates stably); earlier times are ignored.
    void AdvanceTo(std::time_t t, double maxStepSeconds = 0.0);

    // The sensors now. Each call draws new noise.
    InstallationReading Read();

    std::time_t Now() const { return now_; }
    const InstallationParameters& Parameters() const { return p_; }
    const TankLedger& Ledger() const { return ledger_; }
    // Heat held by the tank above 0 °C, joules.
    double TankEnergy() const;
    // Times the controller has switched the collector pump on.
    int PumpStarts() const { return pumpStarts_; }
    const Weather& Sky() const { return weather_; }
    double TankTopC() const { return topC_; }
    double TankBottomC() const { return bottomC_; }

  private:
    // Clear-sky light on the array, W/m² after the incidence modifiers.
    struct Sun {
        double beam = 0.0;
        double diffuse = 0.0;   // for a diffuse factor of 1
        std::time_t until = 0;  // valid before this time
    };

    void Step(double seconds);
    double Absorbed(std::time_t t, const SkyNow& sky);
    void Control(double absorbedNet);
    double DrawLitresPerSecond(const SkyNow& sky) const;

    InstallationParameters p_;
    GlycolTable glycol_;
    SolarSetup setup_;
    Weather weather_;
    SimRandom noise_;
    Sun sun_;
    std::time_t now_;

    double collectorC_ = 15.0;
    double topC_ = 45.0;
    double bottomC_ = 35.0;
    double supplyC_ = 17.0;  // pipe sensors
    double returnC_ = 17.0;
    double haSupplyC_ = 17.0;
    double haReturnC_ = 17.0;
    double outdoorC_ = 15.0;
    double basementC_ = 17.0;
    double plateExcessC_ = 0.0;  // absorber above the fluid while it flows

    bool pumpOn_ = false;
    bool flowing_ = false;
    bool upperLimit_ = false;
    bool heatAssistOn_ = false;
    int pumpStarts_ = 0;
    double pumpSeconds_ = 0.0;
    double flowGpm_ = 0.0;
    TankLedger ledger_;
};

}  // namespace brennic
