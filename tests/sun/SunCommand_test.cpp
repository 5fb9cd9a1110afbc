#include "sun/SunCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "sun/SunCalculator.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

TEST(SunCommand, PrintsOneObjectWithEveryFigure) {
    ScopedTimeZone zone("America/Chicago");
    Config config;  // 45 N, 88 W, array at 145° tilted 60°
    config.collectorArea = 2.5f;
    std::ostringstream out, err;
    ASSERT_EQ(RunSunCommand(config, "2024-06-21 12:30:00", out, err), 0);
    EXPECT_EQ(err.str(), "");

    const nlohmann::json j = nlohmann::json::parse(out.str());
    const std::vector<std::string> keys = {
        "azimuth",          "altitude",       "declination",
        "incidenceAngle",   "equationOfTime", "airMass",
        "geometryFactor",   "airMassFactor",  "incidentAngleFactor",
        "efficiencyFactor", "combinedFactor", "arrayKw",
        "arrayBtuPerHour",  "dailyKwhPerM2",  "dailyArrayKwh"};
    ASSERT_EQ(j.size(), keys.size());
    for (const std::string& key : keys) {
        ASSERT_TRUE(j.contains(key)) << key;
        EXPECT_TRUE(j[key].is_number()) << key;
    }

    // The same figures the dialog shows, for the same inputs.
    const SunInputs in =
        SunInputsFromConfig(config, LocalTimeT(2024, 6, 21, 12, 30, 0), 175.0f, 70.0f);
    const SunOutputs expected = ComputeSunOutputs(in);
    EXPECT_FLOAT_EQ(j["azimuth"].get<float>(), expected.azimuth);
    EXPECT_FLOAT_EQ(j["arrayKw"].get<float>(), expected.arrayKw);
    EXPECT_GT(j["altitude"].get<double>(), 60.0);  // Midwestern summer noon
    EXPECT_FLOAT_EQ(j["dailyArrayKwh"].get<float>(), j["dailyKwhPerM2"].get<float>() * 2.5f);
    // Floats are printed with their own digits, not widened to double noise.
    EXPECT_EQ(out.str().find("99999"), std::string::npos) << out.str();
}

TEST(SunCommand, RejectsMalformedAndImpossibleDates) {
    ScopedTimeZone zone("America/Chicago");
    const char* bad[] = {"",
                         "2024-06-21T12:00:00",
                         "2024-06-21 12:00:00 ",
                         "2023-02-29 12:00:00",
                         "2024-13-01 12:00:00",
                         "2024-06-21 24:00:00",
                         "2024-06-21 +1:00:00"};
    for (const char* text : bad) {
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
