#include "sun/SolarGeometry.h"

#include <algorithm>
#include <cmath>

#include "core/LocalTime.h"

namespace brennic {

namespace {

// The constants below are the ones the figures were always computed with; changing one of
// them (even to a "better" value of pi) changes the published numbers in the last digits.
constexpr double kDegToRad = 0.01745329277777778;
constexpr double kHalfPi = 1.57079635;              // zenith test and azimuth quadrants
constexpr double kPi = 2.0 * kHalfPi;               // azimuth quadrants
constexpr double kTwoPi = 6.2831854;                // azimuth wrap
constexpr double kHalfPiF = 1.5707963705062866;     // pi/2 in single precision
constexpr double kDayAngle = 0.017167173224043715;  // 6.2831854 / 366
constexpr double kLongitudeToHours = 3.8197333812713623;
constexpr double kE = 2.7182817459106445;

// Intermediate values are held in single precision, as the factors always were; the
// arithmetic between them runs in double, as C promotes it.
float F(double v) {
    return static_cast<float>(v);
}

// Trigonometry in double, as C promotes a float argument.
double Sin(double x) {
    return std::sin(x);
}
double Cos(double x) {
    return std::cos(x);
}
double Asin(double x) {
    return std::asin(x);
}
double Acos(double x) {
    return std::acos(x);
}

double ClampUnit(double v) {
    return std::clamp(v, -1.0, 1.0);
}

}  // namespace

float SunAzimuth(float hourAngle, float declination, float altitude, float latitude,
                 float solarTime) {
    float azimuth = 0.0f;
    if (altitude >= kHalfPi) {
        return azimuth;  // sun in the zenith: no direction
    }
    const double cosAlt = Cos(altitude);
    float sinA = F(-Sin(hourAngle) * Cos(declination) / cosAlt);
    float cosA =
        F((Sin(declination) * Cos(latitude) - Sin(latitude) * Cos(declination) * Cos(hourAngle)) /
          cosAlt);
    sinA = F(ClampUnit(sinA));
    cosA = F(ClampUnit(cosA));

    if (sinA < -0.99999) {
        azimuth = F(Asin(sinA));
    } else if (sinA >= 0.0f && cosA < 0.0f) {
        azimuth = sinA == 1.0f ? F(-kHalfPi) : F(kPi - Asin(sinA));
    } else if (sinA >= 0.0f) {
        azimuth = F(Asin(sinA));
    } else if (cosA >= 0.0f) {
        azimuth = F(Asin(sinA));
    } else {
        azimuth = F(-kPi - Asin(sinA));
    }

    if (azimuth < 0.0f) {
        if (solarTime < 10.0f) {
            azimuth = -azimuth;
        }
        while (azimuth < 0.0f) {
            azimuth = F(azimuth + kTwoPi);
        }
    }
    while (azimuth > kTwoPi) {
        azimuth = F(azimuth - kTwoPi);
    }
    return azimuth;
}

SunPositionResult SunPosition(std::time_t t, float latitude, float longitude) {
    SunPositionResult result;
    std::tm local{};
    if (!ToLocalTime(t, local)) {
        result.altitude = F(-kHalfPiF);
        return result;
    }
    const int d = local.tm_yday;
    // UTC = local time + bias; the bias of the evaluated moment, daylight saving included.
    const float biasMinutes = F(-static_cast<double>(local.tm_gmtoff) / 60.0);

    const float gamma = F(d * kDayAngle);
    const float declinationDeg = F(0.322003 - 22.971 * Cos(gamma) - 0.357898 * Cos(2.0f * gamma) -
                                   0.14398 * Cos(3.0f * gamma) + 3.94638 * Sin(gamma) +
                                   0.019334 * Sin(2.0f * gamma) + 0.05928 * Sin(3.0f * gamma));
    const float declination = F(declinationDeg * kDegToRad);

    const float l = F((279.134 + 0.985647 * d) * kDegToRad);
    const float eotSeconds = F(5.0323 - 100.976 * Sin(l) + 595.275 * Sin(2.0f * l) +
                               3.6858 * Sin(3.0f * l) - 12.47 * Sin(4.0f * l) - 430.847 * Cos(l) +
                               12.5024 * Cos(2.0f * l) + 18.25 * Cos(3.0f * l));
    const float eotHours = F(eotSeconds * 0.0002777777777777778);

    const float clock = static_cast<float>(local.tm_hour) +
                        static_cast<float>(local.tm_min) * (1.0f / 60.0f) +
                        static_cast<float>(local.tm_sec) * (1.0f / 3600.0f);
    const float solarTime =
        F(clock + biasMinutes / 60.0f + longitude * kLongitudeToHours + eotHours);
    const float hourAngle = F((solarTime - 12.0) * 15.0 * kDegToRad);

    // Rounding can push the sine a hair past 1 near the zenith; asin would give NaN.
    const float altitude = F(Asin(ClampUnit(Cos(declination) * Cos(hourAngle) * Cos(latitude) +
                                            Sin(declination) * Sin(latitude))));

    result.declination = declination;
    result.equationOfTime = eotHours;
    result.altitude = altitude;
    result.azimuth = SunAzimuth(hourAngle, declination, altitude, latitude, solarTime);
    return result;
}

CollectorFactorsResult CollectorFactors(std::time_t t, float latitude, float longitude,
                                        float arrayAzimuth, float arrayTilt, float b0, float a0,
                                        float a1, float arrayTempF, float ambientTempF) {
    CollectorFactorsResult out;  // 0, 0, 0, 0 and air mass 35.0 until the sun is up
    const SunPositionResult sun = SunPosition(t, latitude, longitude);
    const float zenith = F(kHalfPiF - sun.altitude);
    // Clamped: an array facing the sun exactly must give 0, not NaN.
    const float theta =
        F(Acos(ClampUnit(Cos(zenith) * Cos(arrayTilt) +
                         Sin(zenith) * Sin(arrayTilt) * Cos(sun.azimuth - arrayAzimuth))));
    out.incidenceAngle = theta;
    if (sun.altitude < 0.0f) {
        return out;
    }

    const float airPath = F(614.0 * Sin(sun.altitude));
    const float airMass = F(std::sqrt(static_cast<double>(airPath) * airPath + 1229.0) - airPath);
    out.airMass = airMass;
    const float tau = F(0.56 * (std::pow(kE, -0.65 * airMass) + std::pow(kE, -0.095 * airMass)));
    out.airMassFactor = tau;

    const double cosTheta = Cos(theta);
    float geometry = F(cosTheta);
    if (theta > kHalfPiF || theta < -kHalfPiF) {
        geometry = 0.0f;
    }
    out.geometryFactor = geometry;

    const double secant = cosTheta < 0.001 ? 1000.0 : 1.0 / cosTheta;
    float incident = F(1.0 - b0 * (secant - 1.0));
    if (incident < 0.0f) {
        incident = 0.0f;
    }
    out.incidentAngleFactor = incident;

    const double available = 1367.0 * geometry * tau * incident;  // W/m² reaching the absorber
    float efficiency = 0.0f;
    if (available != 0.0) {
        efficiency = F(a0 + a1 * (arrayTempF - ambientTempF) * 0.5555556 / available);
        if (efficiency < 0.0f) {
            efficiency = 0.0f;
        }
    }
    out.efficiencyFactor = efficiency;
    return out;
}

CollectorFactorsResult CollectorFactors(std::time_t t, const SolarSetup& s) {
    return CollectorFactors(t, s.latitude, s.longitude, s.arrayAzimuth, s.arrayTilt, s.b0, s.a0,
                            s.a1, s.arrayTempF, s.ambientTempF);
}

float CollectorFlux(std::time_t t, float latitude, float longitude, float arrayAzimuth,
                    float arrayTilt, float b0, float a0, float a1, float arrayTempF,
                    float ambientTempF) {
    const CollectorFactorsResult f = CollectorFactors(
        t, latitude, longitude, arrayAzimuth, arrayTilt, b0, a0, a1, arrayTempF, ambientTempF);
    return f.geometryFactor * f.airMassFactor;
}

DayFactors DailyFactors(std::time_t day, const SolarSetup& setup) {
    DayFactors out;
    std::tm start{};
    if (!ToLocalTime(day, start)) {
        for (DayStep& step : out.steps) {
            step.time = -1;
        }
        return out;
    }
    float total = 0.0f;
    for (int i = 0; i < kDaySteps; ++i) {
        // The local clock advances 6 minutes a step; mktime decides daylight saving per step.
        std::tm clock = start;
        clock.tm_hour = i / 10;
        clock.tm_min = (i % 10) * 6;
        clock.tm_sec = 0;
        clock.tm_isdst = -1;
        DayStep& step = out.steps[static_cast<std::size_t>(i)];
        step.time = FromLocalTime(clock);
        if (step.time == static_cast<std::time_t>(-1)) {
            continue;
        }
        step.factors = CollectorFactors(step.time, setup);
        step.combined = step.factors.Combined();
        total = F(total + step.combined * 0.1367);
    }
    out.kwhPerM2 = total;
    return out;
}

float DailyMaximum(std::time_t day, const SolarSetup& setup) {
    return DailyFactors(day, setup).kwhPerM2;
}

}  // namespace brennic
