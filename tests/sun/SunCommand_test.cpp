#include "sun/SunCommand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

// Complete outputs for two sites and dates, worked by hand from the published formulas in
// double precision (Spencer-style declination, the 8-term equation of time, Kasten air mass,
// 1367 W/m², 3413 BTU per kWh, 6-minute daily sum) outside this code. Angles agree to 0.01°,
// everything else to 0.02 %.
TEST(SunCommand, PrintsTheWorkedFiguresForTwoSites) {
    const struct {
        const char* zone;
        const char* when;
        float latitude, longitude, tilt, azimuth, area;
    } sites[] = {{"America/Chicago", "2024-06-21 12:30:00", 45.0f, -88.0f, 60.0f, 145.0f, 2.5f},
                 {"Europe/Berlin", "2024-09-10 16:30:00", 52.5f, 13.4f, 35.0f, 200.0f, 4.0f}};
    // The angles (and the equation of time in minutes) first.
    const struct {
        const char* key;
        double expected[2];  // of each site
    } figures[] = {{"azimuth", {165.491384, 240.831693}},
                   {"altitude", {67.9104396, 26.5338029}},
                   {"declination", {23.4389509, 5.10411936}},
                   {"incidenceAngle", {39.7926976, 41.0434374}},
                   {"equationOfTime", {-1.57512883, 3.03482025}},
                   {"airMass", {1.07907315, 2.23125762}},
                   {"geometryFactor", {0.7683651, 0.754211988}},
                   {"airMassFactor", {0.783137124, 0.584351727}},
                   {"incidentAngleFactor", {0.939707074, 0.934822566}},
                   {"efficiencyFactor", {0.322670861, 0.182129308}},
                   {"combinedFactor", {0.182455805, 0.0750372292}},
                   {"arrayKw", {0.623542714, 0.410303569}},
                   {"arrayBtuPerHour", {2128.15128, 1400.36608}},
                   {"dailyKwhPerM2", {1.2755651, 1.57576478}},
                   {"dailyArrayKwh", {3.18891275, 6.30305912}}};
    for (int i = 0; i < 2; ++i) {
        const auto& site = sites[i];
        SCOPED_TRACE(site.zone);
        ScopedTimeZone zone(site.zone);
        Config config;
        config.latitude = site.latitude;
        config.longitude = site.longitude;
        config.collectorTilt = site.tilt;
        config.collectorAzimuth = site.azimuth;
        config.collectorArea = site.area;
        std::ostringstream out, err;
        ASSERT_EQ(RunSunCommand(config, site.when, out, err), 0);
        EXPECT_EQ(err.str(), "");
        const nlohmann::json j = nlohmann::json::parse(out.str());
        ASSERT_EQ(j.size(), 15u);
        for (std::size_t k = 0; k < std::size(figures); ++k) {
            const auto& f = figures[k];
            ASSERT_TRUE(j.contains(f.key)) << f.key;
            const double tolerance = k < 5 ? 0.01 : std::fabs(f.expected[i]) * 2e-4;
            EXPECT_NEAR(j[f.key].get<double>(), f.expected[i], tolerance) << f.key;
        }
        // Floats are printed with their own digits, not widened to double noise.
        EXPECT_EQ(out.str().find("99999"), std::string::npos) << out.str();
    }
}

TEST(SunCommand, RejectsMalformedAndImpossibleDates) {
    ScopedTimeZone zone("America/Chicago");
    for (const char* text :
         {"2024-06-21T12:00:00", "2024-06-21 12:00:00 ", "2023-02-29 12:00:00",
          "2024-13-01 12:00:00", "2024-06-21 24:00:00", "2024-06-21 +1:00:00", ""}) {
        SCOPED_TRACE(text);
        std::ostringstream out, err;
        EXPECT_NE(RunSunCommand(Config{}, text, out, err), 0);
        EXPECT_EQ(out.str(), "");
        EXPECT_NE(err.str().find("YYYY-MM-DD HH:MM:SS"), std::string::npos);
    }
    std::time_t t = 0;
    EXPECT_TRUE(ParseLocalDateTime("2024-02-29 23:59:59", t));
    EXPECT_EQ(t, LocalTimeT(2024, 2, 29, 23, 59, 59));
}

}  // namespace
}  // namespace brennic
