#include "sim/Installation.h"

#include <algorithm>
#include <cmath>

namespace brennic {

namespace {

// Watts carried per GPM of water and kelvin: the processor's 0.139085 BTU per second per
// GPM and °F, in SI.
constexpr double kWattsPerGpmKelvin = 0.139085 * 1055.056 * 1.8;
constexpr double kWaterHeat = 4186.0;  // J/(kg K); a litre weighs a kilogram here
constexpr double kSolarConstant = 1367.0;
constexpr int kSunRefreshSeconds = 30;
constexpr double kDiffuseAbsorption = 0.9;  // incidence modifier of sky light

double ToF(double c) {
    return c * 1.8 + 32.0;
}

// x relaxing towards `target` with time constant `tau` seconds over `dt` seconds.
double Relax(double x, double target, double dt, double tau) {
    return target + (x - target) * std::exp(-dt / tau);
}

}  // namespace

Installation::Installation(const InstallationParameters& parameters, const GlycolTable& glycol,
                           std::time_t start)
    : p_(parameters),
      glycol_(glycol),
      weather_(parameters.seed, parameters.weather, parameters.latitude),
      noise_(static_cast<std::uint64_t>(parameters.seed) * 0x2545F4914F6CDD1Dull + 7),
      now_(start) {
    SunInputs in;
    in.latitude = p_.latitude;
    in.longitude = p_.longitude;
    in.tilt = p_.tilt;
    in.azimuth = p_.azimuth;
    in.b0 = p_.incidentAngleModifier;
    in.a0 = p_.efficiencyIntercept;
    in.a1 = p_.efficiencySlope;
    setup_ = ToSolarSetup(in);
    const SkyNow sky = weather_.At(start);
    outdoorC_ = collectorC_ = sky.outdoorC;
    basementC_ = supplyC_ = returnC_ = haSupplyC_ = haReturnC_ = sky.basementC;
}

double Installation::TankEnergy() const {
    return 0.5 * p_.tankLitres * kWaterHeat * (topC_ + bottomC_);
}

double Installation::Absorbed(std::time_t t, const SkyNow& sky) {
    if (t >= sun_.until) {
        // The sun moves slowly: its geometry is refreshed every half minute.
        const CollectorFactorsResult f = CollectorFactors(t, setup_);
        const SunPositionResult pos = SunPosition(t, setup_.latitude, setup_.longitude);
        sun_.until = t + kSunRefreshSeconds;
        sun_.beam = kSolarConstant * f.geometryFactor * f.airMassFactor * f.incidentAngleFactor;
        sun_.diffuse = pos.altitude > 0.0f
                           ? kSolarConstant * std::sin(pos.altitude) *
                                 (1.0 + std::cos(setup_.arrayTilt)) * 0.5 * kDiffuseAbsorption
                           : 0.0;
    }
    return p_.efficiencyIntercept * (sun_.beam * sky.beam + sun_.diffuse * sky.diffuse);
}

void Installation::Control(double plateExcess) {
    const double collectorF = ToF(collectorC_ + plateExcess);
    const double storageF = ToF(bottomC_);
    if (storageF >= p_.highLimitF) {
        upperLimit_ = true;
    } else if (upperLimit_ && storageF < p_.highLimitF - p_.highLimitResetF) {
        upperLimit_ = false;
    }
    const double difference = collectorF - storageF;
    if (pumpOn_) {
        if (difference < p_.offDifferentialF || upperLimit_ ||
            (p_.pumpHeldOffFrom != 0 && now_ >= p_.pumpHeldOffFrom)) {
            pumpOn_ = false;
        }
    } else if (difference >= p_.onDifferentialF && !upperLimit_ &&
               !(p_.pumpHeldOffFrom != 0 && now_ >= p_.pumpHeldOffFrom)) {
        pumpOn_ = true;
        ++pumpStarts_;
    }
    flowing_ = pumpOn_ && !(p_.pumpStuckOffFrom != 0 && now_ >= p_.pumpStuckOffFrom);
    if (p_.heatAssist) {
        if (topC_ < p_.heatAssistSetPointC - p_.heatAssistHysteresisC) {
            heatAssistOn_ = true;
        } else if (topC_ >= p_.heatAssistSetPointC) {
            heatAssistOn_ = false;
        }
    } else {
        heatAssistOn_ = false;
    }
}

double Installation::DrawLitresPerSecond(const SkyNow& sky) const {
    double rate = 0.0;
    for (const HotWaterDraw& d : p_.draws) {
        if (d.durationMinutes > 0.0 && sky.hour >= d.startHour &&
            sky.hour < d.startHour + d.durationMinutes / 60.0) {
            rate += d.litres * sky.drawScale / (d.durationMinutes * 60.0);
        }
    }
    return rate;
}

void Installation::Step(double dt) {
    const double area = std::max(0.0f, p_.area);
    const SkyNow sky = weather_.At(now_);
    outdoorC_ = sky.outdoorC;
    basementC_ = sky.basementC;
    const double absorbed = Absorbed(now_, sky);
    const double lossCoefficient = std::max(0.0, -static_cast<double>(p_.efficiencySlope));
    // The controller acts on what its sensors show at the start of the step.
    Control(plateExcessC_);

    // Collector: one node losing heat to the air and giving heat to the coil while it flows.
    const double capacity = std::max(1.0, p_.collectorCapacity * area);
    const double lossUa = lossCoefficient * area;
    double coil = 0.0;  // W/K from the collector node to the tank bottom
    if (flowing_) {
        const double returnNow = collectorC_ - p_.exchangerEffectiveness * (collectorC_ - bottomC_);
        const double factor = HeatFactor(glycol_, ToF(collectorC_), ToF(returnNow),
                                         static_cast<unsigned>(p_.glycolMix), p_.glycolPercent);
        coil = p_.flowGpm * kWattsPerGpmKelvin * factor * p_.exchangerEffectiveness;
    }
    const double gain = area * absorbed;
    double mean = collectorC_;
    double next = collectorC_;
    if (lossUa + coil > 0.0) {
        // Exact for constant inputs over the step, so long steps stay stable.
        const double equilibrium = (gain + lossUa * outdoorC_ + coil * bottomC_) / (lossUa + coil);
        const double tau = capacity / (lossUa + coil);
        const double decay = std::exp(-dt / tau);
        next = equilibrium + (collectorC_ - equilibrium) * decay;
        mean = equilibrium + (collectorC_ - equilibrium) * tau / dt * (1.0 - decay);
    } else {
        next = collectorC_ + gain * dt / capacity;
        mean = 0.5 * (collectorC_ + next);
    }
    const double solar = coil * (mean - bottomC_) * dt;

    // Heat assist: a boiler loop through the coil in the top layer.
    double assist = 0.0;
    if (heatAssistOn_ && p_.heatAssistSupplyC > topC_) {
        const double haReturn =
            p_.heatAssistSupplyC - p_.heatAssistEffectiveness * (p_.heatAssistSupplyC - topC_);
        const double factor =
            HeatFactor(glycol_, ToF(p_.heatAssistSupplyC), ToF(haReturn),
                       static_cast<unsigned>(p_.heatAssistGlycolMix), p_.heatAssistGlycolPercent);
        assist = p_.heatAssistGpm * kWattsPerGpmKelvin * factor * p_.heatAssistEffectiveness *
                 (p_.heatAssistSupplyC - topC_) * dt;
    }

    // Hot water leaves the top through the mixing valve; mains water enters the bottom.
    const double layerMass = 0.5 * p_.tankLitres;
    const double layerHeat = std::max(1.0, layerMass * kWaterHeat);
    double tapMass = DrawLitresPerSecond(sky) * dt;
    if (topC_ > p_.tapTemperatureC && topC_ > sky.mainsC) {
        tapMass *= (p_.tapTemperatureC - sky.mainsC) / (topC_ - sky.mainsC);
    }
    tapMass = std::clamp(tapMass, 0.0, 0.2 * layerMass);
    const double drawn = tapMass * kWaterHeat * (topC_ - sky.mainsC);

    const double layerLoss = 0.5 * p_.tankLossWPerK * dt;
    const double lossTop = layerLoss * (topC_ - basementC_);
    const double lossBottom = layerLoss * (bottomC_ - basementC_);
    const double conduction = p_.layerMixWPerK * (topC_ - bottomC_) * dt;
    const double oldBottom = bottomC_;
    const double oldTop = topC_;
    topC_ +=
        (assist - lossTop - conduction + tapMass * kWaterHeat * (bottomC_ - topC_)) / layerHeat;
    bottomC_ += (solar - lossBottom + conduction + tapMass * kWaterHeat * (sky.mainsC - bottomC_)) /
                layerHeat;
    if (bottomC_ > topC_) {
        // Warm water rises: the layers mix.
        topC_ = bottomC_ = 0.5 * (topC_ + bottomC_);
    }
    collectorC_ = next;
    // While the fluid flows, the absorber under the sensor runs warmer than the fluid by what
    // it passes on.
    const double netPerM2 = absorbed - lossCoefficient * (collectorC_ - outdoorC_);
    plateExcessC_ =
        flowing_ && p_.plateToFluid > 0.0 ? std::max(0.0, netPerM2) / p_.plateToFluid : 0.0;

    ledger_.solar += solar;
    ledger_.heatAssist += assist;
    ledger_.draws += drawn;
    ledger_.losses += lossTop + lossBottom;

    // Pipe sensors: loop temperatures while it flows, cooling to the basement air when idle.
    const double pipeTau = std::max(1.0, p_.pipeMinutes * 60.0);
    if (flowing_) {
        supplyC_ = collectorC_;
        returnC_ = collectorC_ - p_.exchangerEffectiveness * (collectorC_ - oldBottom);
    } else {
        supplyC_ = Relax(supplyC_, basementC_, dt, pipeTau);
        returnC_ = Relax(returnC_, basementC_, dt, pipeTau);
    }
    if (assist > 0.0) {
        haSupplyC_ = p_.heatAssistSupplyC;
        haReturnC_ =
            p_.heatAssistSupplyC - p_.heatAssistEffectiveness * (p_.heatAssistSupplyC - oldTop);
    } else {
        haSupplyC_ = Relax(haSupplyC_, basementC_, dt, pipeTau);
        haReturnC_ = Relax(haReturnC_, basementC_, dt, pipeTau);
    }
    if (pumpOn_) {
        pumpSeconds_ += dt;
    }
    flowGpm_ = flowing_ ? p_.flowGpm : 0.0;
}

void Installation::AdvanceTo(std::time_t t, double maxStepSeconds) {
    const double longest = maxStepSeconds > 0.0 ? maxStepSeconds : p_.maxStepSeconds;
    const auto step = static_cast<std::time_t>(std::max(1.0, longest));
    while (now_ < t) {
        const std::time_t dt = std::min(step, t - now_);
        Step(static_cast<double>(dt));
        now_ += dt;
    }
}

InstallationReading Installation::Read() {
    auto sensor = [this](double c) {
        return static_cast<float>(ToF(c) + p_.sensorNoiseF * noise_.Normal());
    };
    InstallationReading r;
    r.time = now_;
    r.collectorF = sensor(collectorC_ + plateExcessC_);
    r.storageF = sensor(bottomC_);
    r.supplyF = sensor(supplyC_);
    r.returnF = sensor(returnC_);
    r.outdoorF = sensor(outdoorC_);
    r.pump = pumpOn_;
    r.upperLimit = upperLimit_;
    r.flowGpm = static_cast<float>(flowGpm_);
    r.differentialF = static_cast<float>(p_.onDifferentialF);
    r.highLimitF = static_cast<float>(p_.highLimitF);
    r.collectorKwh = ledger_.solar / 3.6e6;
    r.pumpMinutes = static_cast<int>(pumpSeconds_ / 60.0);
    r.oneWire = {sensor(haSupplyC_), sensor(haReturnC_), sensor(topC_), sensor(basementC_)};
    r.heatAssistPump = heatAssistOn_;
    return r;
}

}  // namespace brennic
