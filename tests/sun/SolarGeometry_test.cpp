#include "sun/SolarGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

constexpr double kNotChecked = std::numeric_limits<double>::quiet_NaN();
constexpr float kRad = 0.017453292f;
constexpr double kPi = std::numbers::pi;

double Degrees(float radians) {
    return radians * 57.29577951308232;
}

// Smallest difference of two directions in degrees (359 and 1 are 2 apart).
double AngleGap(double a, double b) {
    return std::fabs(std::remainder(a - b, 360.0));
}

// The array and site of a default configuration, in radians.
SolarSetup DefaultSetup() {
    const float deg = kDegToRadF;
    return {45.0f * deg, -88.0f * deg, 145.0f * deg, 60.0f * deg, 0.2f, 0.7f, -5.0f};
}

// Sun positions published by others (NREL's SPA reference case and its rise, set and transit
// times for Golden, Colorado, and a southern-hemisphere site at -35, 0), checked to the 1° that
// these short formulas manage. At a transit the sun is due south (north of a site south of
// it); at the published sunrise the geometric altitude is about -0.83°.
TEST(SunPosition, AgreesWithPublishedPositions) {
    struct Case {
        const char* zone;
        int year, month, day, hour, minute, second;
        double latitude, longitude;
        double altitude, azimuth;  // degrees; kNotChecked where nothing was published
    };
    const Case cases[] = {
        // SPA reference case, as standard time and as the same moment in daylight time.
        {"MST7", 2003, 10, 17, 12, 30, 30, 39.742476, -105.1786, 39.872046, 194.340241},
        {"America/Denver", 2003, 10, 17, 13, 30, 30, 39.742476, -105.1786, 39.872046, 194.340241},
        // Transits in winter (MST) and summer (MDT) in the same zone.
        {"America/Denver", 2015, 1, 2, 12, 4, 45, 39.742476, -105.1786, kNotChecked, 180.0},
        {"America/Denver", 2015, 8, 2, 13, 6, 58, 39.742476, -105.1786, kNotChecked, 180.0},
        {"America/Denver", 2015, 1, 2, 7, 21, 55, 39.742476, -105.1786, -0.83, kNotChecked},
        // Southern hemisphere: the sun crosses the meridian in the north.
        {"UTC", 1996, 7, 5, 12, 4, 36, -35.0, 0.0, kNotChecked, 0.0},
        {"UTC", 1996, 7, 5, 7, 8, 15, -35.0, 0.0, -0.83, kNotChecked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.zone << " " << c.year << "-" << c.month << "-"
                                          << c.day << " " << c.hour << ":" << c.minute);
        ScopedTimeZone zone(c.zone);
        const SunPositionResult sun = SunPosition(
            LocalTimeT(c.year, c.month, c.day, c.hour, c.minute, c.second),
            static_cast<float>(c.latitude) * kRad, static_cast<float>(c.longitude) * kRad);
        if (!std::isnan(c.altitude)) {
            EXPECT_NEAR(Degrees(sun.altitude), c.altitude, 1.0);
        }
        if (!std::isnan(c.azimuth)) {
            EXPECT_LT(AngleGap(Degrees(sun.azimuth), c.azimuth), 1.0) << Degrees(sun.azimuth);
        }
    }
}

// The quadrant rules against the plain atan2 form of the same triangle: morning and afternoon,
// sun north and south of the east-west line, both hemispheres.
TEST(SunAzimuth, QuadrantRulesMatchAtan2) {
    struct Case {
        double hourAngleDeg, declinationDeg, latitudeDeg;
    };
    const Case cases[] = {
        {-100, 23, 45}, {-30, -23, 45},  {60, 23, 45}, {100, 23, 45}, {-45, 10, -35},
        {45, 10, -35},  {120, -23, -35}, {-5, 20, 10}, {5, 20, 10},   {170, 23, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "omega " << c.hourAngleDeg << " delta "
                                          << c.declinationDeg << " phi " << c.latitudeDeg);
        const double w = c.hourAngleDeg * kPi / 180, d = c.declinationDeg * kPi / 180,
                     p = c.latitudeDeg * kPi / 180;
        const double alt =
            std::asin(std::cos(d) * std::cos(w) * std::cos(p) + std::sin(d) * std::sin(p));
        const double expected =
            std::atan2(-std::sin(w) * std::cos(d),
                       std::sin(d) * std::cos(p) - std::sin(p) * std::cos(d) * std::cos(w));
        const float solarTime = static_cast<float>(12.0 + c.hourAngleDeg / 15.0);
        const float got = SunAzimuth(static_cast<float>(w), static_cast<float>(d),
                                     static_cast<float>(alt), static_cast<float>(p), solarTime);
        EXPECT_LT(AngleGap(Degrees(got), expected * 180 / kPi), 0.01);
    }
}

TEST(SunAzimuth, ZenithAndMeridian) {
    const float halfPi = 1.5707963705062866f;
    // Sun in the zenith: no direction, azimuth 0.
    EXPECT_EQ(SunAzimuth(0.0f, 0.3f, halfPi, 0.3f, 12.0f), 0.0f);
    // On the meridian north of the sun's path: due south, pi as the rules take it.
    EXPECT_NEAR(SunAzimuth(0.0f, 0.2f, 0.9f, 0.8f, 12.0f), 3.1415927f, 1e-6f);
    // On the meridian south of the sun's path (southern site): due north.
    EXPECT_NEAR(SunAzimuth(0.0f, 0.2f, 0.9f, -0.6f, 12.0f), 0.0f, 1e-6f);
}

TEST(CollectorFactors, NightZeroesTheFactorsButReportsTheIncidenceAngle) {
    ScopedTimeZone zone("America/Chicago");
    const CollectorFactorsResult f =
        CollectorFactors(LocalTimeT(2024, 6, 21, 0, 30, 0), DefaultSetup());
    EXPECT_EQ(f.geometryFactor + f.airMassFactor + f.incidentAngleFactor + f.efficiencyFactor,
              0.0f);
    EXPECT_EQ(f.airMass, 35.0f);
    EXPECT_GT(f.incidenceAngle, 1.5707964f);  // the sun is under the array's horizon
    EXPECT_LE(f.incidenceAngle, 3.1415927f);
}

// Arrays aimed relative to the sun at a moment in the afternoon: facing it, edge-on just in
// front, and with the sun behind.
TEST(CollectorFactors, ArrayOrientationAgainstTheSun) {
    ScopedTimeZone zone("America/Chicago");
    const std::time_t t = LocalTimeT(2024, 5, 10, 14, 0, 0);
    SolarSetup s = DefaultSetup();
    const SunPositionResult sun = SunPosition(t, s.latitude, s.longitude);
    ASSERT_GT(sun.altitude, 0.5f);
    const float zenith = 1.5707964f - sun.altitude;

    // Facing the sun exactly, array as warm as the air: G = K = 1 and eta = a0.
    s.arrayAzimuth = sun.azimuth;
    s.arrayTilt = zenith;
    s.arrayTempF = s.ambientTempF = 70.0f;
    CollectorFactorsResult f = CollectorFactors(t, s);
    EXPECT_NEAR(f.incidenceAngle, 0.0f, 1e-3f);
    EXPECT_NEAR(f.geometryFactor, 1.0f, 1e-6f);
    EXPECT_NEAR(f.incidentAngleFactor, 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(f.efficiencyFactor, 0.7f);
    EXPECT_GT(f.airMassFactor, 0.6f);
    EXPECT_LT(f.airMassFactor, 0.9f);

    // Turned away until the sun grazes it from the front: cos(theta) under 0.001 counts as
    // 1/1000, so K = 1 - b0 * 999.
    s.arrayAzimuth = sun.azimuth + 3.1415927f;
    s.arrayTilt = 1.5707964f - 0.0005f - zenith;
    s.b0 = 0.0005f;
    f = CollectorFactors(t, s);
    ASSERT_LT(f.incidenceAngle, 1.5707964f);
    EXPECT_GT(f.geometryFactor, 0.0f);
    EXPECT_LT(f.geometryFactor, 0.001f);
    EXPECT_NEAR(f.incidentAngleFactor, 1.0f - 0.0005f * 999.0f, 1e-5f);

    // Sun behind the array and the array colder than the air: nothing is collected, even
    // though the efficiency formula alone would give a large value.
    s.arrayTilt = 1.5707964f + 0.3f - zenith;
    s.b0 = 0.2f;
    s.arrayTempF = 40.0f;
    f = CollectorFactors(t, s);
    EXPECT_GT(f.incidenceAngle, 1.5707964f);
    EXPECT_EQ(f.efficiencyFactor, 0.0f);
    EXPECT_EQ(f.Combined(), 0.0f);
}

TEST(DailyMaximum, PolarNightIsZero) {
    ScopedTimeZone zone("Europe/Copenhagen");
    SolarSetup s = DefaultSetup();
    s.latitude = 80.0f * kDegToRadF;  // the sun never rises
    EXPECT_EQ(DailyMaximum(LocalTimeT(2024, 12, 21, 12, 0, 0), s), 0.0f);
}

// Across a daylight-saving change the steps still follow the local clock from 00:00 to 23:54.
// (The clock times that the spring change skips convert to the hour after them, a night hour
// counted twice.)
TEST(DailyFactors, StepsFollowTheLocalClockAcrossDaylightSavingChanges) {
    ScopedTimeZone zone("America/Chicago");
    for (const int month : {3, 11}) {
        SCOPED_TRACE(month);
        const int day = month == 3 ? 10 : 3;
        const DayFactors d = DailyFactors(LocalTimeT(2024, month, day, 18, 0, 0), DefaultSetup());
        EXPECT_EQ(d.steps[0].time, LocalTimeT(2024, month, day, 0, 0, 0));
        EXPECT_EQ(d.steps[kNoonStep].time, LocalTimeT(2024, month, day, 12, 0, 0));
        EXPECT_EQ(d.steps[kDaySteps - 1].time, LocalTimeT(2024, month, day, 23, 54, 0));
    }
}

}  // namespace
}  // namespace brennic
