#include "sim/Installation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "core/MessageProcessor.h"
#include "sim/ControllerLines.h"
#include "sim/SimulatedDay.h"
#include "sun/SunCalculator.h"
#include "support/ReplayTestSupport.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

using testing::Local;

constexpr const char* kCentral = "CST6CDT,M3.2.0,M11.1.0";
constexpr double kJoulesPerBtu = 1055.056;
constexpr std::time_t kDay = 24 * 3600;

InstallationParameters Weathered(DayKind kind) {
    InstallationParameters p;
    p.weather = kind;
    return p;
}

// The collector loop's heat of one local day, kWh, with the model settled the day before.
double DayHeatKwh(const InstallationParameters& p, std::time_t midnight) {
    Installation model(p, BuiltInGlycolTable(), midnight - kDay);
    model.AdvanceTo(midnight);
    const double before = model.Ledger().solar;
    model.AdvanceTo(midnight + kDay);
    return (model.Ledger().solar - before) / 3.6e6;
}

// What the sun module says the array could give that day at most, kWh: its daily maximum
// for an array no warmer than the air. (At the calculator's usual 175 °F the sun module
// assumes an array far hotter than a tank-fed collector runs, and a sound day collects more
// than that figure.)
double TheoreticalKwh(const InstallationParameters& p, std::time_t day) {
    SunInputs in;
    in.arrayTempF = 70.0f;
    in.ambientTempF = 70.0f;
    in.latitude = p.latitude;
    in.longitude = p.longitude;
    in.tilt = p.tilt;
    in.azimuth = p.azimuth;
    in.b0 = p.incidentAngleModifier;
    in.a0 = p.efficiencyIntercept;
    in.a1 = p.efficiencySlope;
    return DailyMaximum(day, ToSolarSetup(in)) * p.area;
}

// The simulated controller writes its lines as the controllers' printf formats do: the C
// library's printf is the reference, at rounding edges (halves that are and are not exact in
// binary), negative values, wide values and both pump states, then at many more values, ties
// among them (quarters are exact in binary).
TEST(Installation, ControllerLinesAreWhatTheControllersPrintfWrites) {
    const ScopedTimeZone zone(kCentral);
    std::vector<float> values = {0.0f,    0.05f,  0.25f,    0.35f, -0.04f,
                                 -12.25f, 99.95f, 1234.56f, 151.5f};
    std::uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        values.push_back(i % 2 == 0 ? static_cast<float>(i) * 0.25f - 2500.0f
                                    : static_cast<float>(seed % 4000000) / 997.0f - 1500.0f);
    }
    for (std::size_t turn = 0; turn < values.size(); ++turn) {
        const float v = values[turn];
        const int hour = static_cast<int>(turn % 24);
        const int minute = static_cast<int>(turn * 7 % 60);
        InstallationReading r;
        r.time = Local(2009, 6, 1, hour, minute, 0);
        r.collectorF = v;
        r.storageF = -v;
        r.differentialF = v / 3;
        r.highLimitF = v * 10;
        r.supplyF = v + 0.15f;
        r.returnF = v - 100;
        r.outdoorF = v / 7;
        r.flowGpm = v / 5;
        r.collectorKwh = v * 1.5;
        r.pump = turn % 2 == 0;
        r.upperLimit = turn % 3 == 0;
        const char* pump = r.pump ? "ON" : "OFF";
        const char* limit = r.upperLimit ? "ON" : "OFF";
        char line[200];
        std::snprintf(line, sizeof line,
                      "COL=%0.1f STO=%0.1f PKH=%0.1f PKL=%0.1f AX1=%0.1f AX2=%0.1f PMP=%s UPL=%s",
                      r.collectorF, r.storageF, r.highLimitF, r.differentialF, r.supplyF, r.returnF,
                      pump, limit);
        ASSERT_EQ(ControllerLines(r, 2), std::vector<std::string>{line}) << v;
        std::snprintf(line, sizeof line, "%02d:%02d %6.1f %6.1f  %4.1f  %6.1f %6.1f %6.1f %-3s %s",
                      hour, minute, r.collectorF, r.storageF, r.differentialF, r.highLimitF,
                      r.supplyF, r.returnF, pump, limit);
        ASSERT_EQ(ControllerLines(r, 0), std::vector<std::string>{line}) << v;
        char gpm[200];
        std::snprintf(gpm, sizeof gpm, "GPM=%3.1f  FPL=%i  AX3=%3.1f KWH=%3.1f", r.flowGpm,
                      static_cast<int>(std::lround(r.flowGpm * 31.0f)), r.outdoorF, r.collectorKwh);
        ASSERT_EQ(ControllerLines(r, 1), (std::vector<std::string>{line, "", gpm, ""})) << v;
    }
}

TEST(Installation, AClearDayGivesAPlausibleShareOfTheTheoreticalOutput) {
    ScopedTimeZone zone(kCentral);
    const InstallationParameters clear = Weathered(DayKind::kClear);
    const std::time_t june = Local(2026, 6, 21, 0, 0, 0);
    const double juneHeat = DayHeatKwh(clear, june);
    const double theoretical = TheoreticalKwh(clear, june);
    EXPECT_GT(juneHeat, 0.4 * theoretical);
    EXPECT_LT(juneHeat, 0.8 * theoretical);

    const double decemberHeat = DayHeatKwh(clear, Local(2026, 12, 21, 0, 0, 0));
    EXPECT_GT(decemberHeat, 0.0);
    EXPECT_LT(decemberHeat, juneHeat);
    // An overcast June day collects far less than a clear one.
    EXPECT_LT(DayHeatKwh(Weathered(DayKind::kOvercast), june), 0.3 * juneHeat);
}

// The tank's heat from its two layers, computed here from the temperatures.
double TankJoules(const Installation& m) {
    return 0.5 * m.Parameters().tankLitres * 4186.0 * (m.TankTopC() + m.TankBottomC());
}

TEST(Installation, HeatFromTheLinesBalancesTheTankOverAWeek) {
    ScopedTimeZone zone(kCentral);
    const std::time_t start = Local(2026, 5, 4, 0, 0, 0);
    auto state = std::make_unique<AppState>();
    const InstallationParameters p;
    state->config.controllerType = kVexin2;
    state->config.fixedFlowGpm = p.flowGpm;
    state->config.haFlowGpm = p.heatAssistGpm;
    Installation model(p, state->glycol, start - kDay);
    model.AdvanceTo(start);
    const double tankBefore = TankJoules(model);
    const TankLedger before = model.Ledger();
    {
        StateGuard guard(state->lock);
        ResetStatistics(*state, start);
        FeedRecordedRoad(*state, model, start + 7 * kDay, 4);
    }
    const TankLedger& after = model.Ledger();
    const double drawn = after.draws - before.draws;
    const double lost = after.losses - before.losses;
    ASSERT_GT(drawn, 0.0);
    ASSERT_GT(lost, 0.0);
    ASSERT_GT(after.heatAssist - before.heatAssist, 0.0);

    // What the processor made of the reported temperatures, flows and pumps.
    const ProcessorState& pr = state->processor;
    EXPECT_EQ(pr.dataErrors, 0);
    const double delivered = (pr.collectorHeat.total + pr.haHeat.total) * kJoulesPerBtu;
    const double accounted = TankJoules(model) - tankBefore + drawn + lost;
    EXPECT_NEAR(delivered, accounted, 0.01 * accounted);
}

// Readings every second with noise-free sensors: what the controller saw and did.
std::vector<InstallationReading> Readings(InstallationParameters p, std::time_t from,
                                          std::time_t to) {
    p.sensorNoiseF = 0.0;
    p.maxStepSeconds = 1.0;
    Installation model(p, BuiltInGlycolTable(), from - 3600);
    model.AdvanceTo(from);
    std::vector<InstallationReading> out;
    for (std::time_t t = from; t <= to; ++t) {
        model.AdvanceTo(t);
        out.push_back(model.Read());
    }
    return out;
}

TEST(Installation, ThePumpFollowsTheDifferentialWithHysteresis) {
    ScopedTimeZone zone(kCentral);
    const InstallationParameters p = Weathered(DayKind::kPartlyCloudy);
    const std::time_t day = Local(2026, 6, 10, 0, 0, 0);
    const auto r = Readings(p, day, day + kDay);
    int starts = 0;
    int stops = 0;
    bool heldInsideBand = false;
    // The controller acts on the sensors of the previous second.
    for (std::size_t i = 1; i < r.size(); ++i) {
        const double difference = r[i - 1].collectorF - r[i - 1].storageF;
        const double slack = 0.05;
        if (r[i].pump && !r[i - 1].pump) {
            ++starts;
            EXPECT_GE(difference, p.onDifferentialF - slack) << i;
        } else if (!r[i].pump && r[i - 1].pump) {
            ++stops;
            EXPECT_LT(difference, p.offDifferentialF + slack) << i;
        } else if (r[i].pump) {
            EXPECT_GE(difference, p.offDifferentialF - slack) << i;
            heldInsideBand |= difference < p.onDifferentialF - 1.0;
        } else {
            EXPECT_LT(difference, p.onDifferentialF + slack) << i;
        }
    }
    EXPECT_TRUE(heldInsideBand);  // hysteresis: running on below the on-differential
    // Passing clouds switch the pump a plausible number of times.
    EXPECT_GE(starts, 4);
    EXPECT_LE(starts, 80);
    EXPECT_LE(std::abs(starts - stops), 1);

    const auto clear = Readings(Weathered(DayKind::kClear), day, day + kDay);
    int clearStarts = 0;
    for (std::size_t i = 1; i < clear.size(); ++i) {
        clearStarts += clear[i].pump && !clear[i - 1].pump;
    }
    EXPECT_LT(clearStarts, starts);
}

TEST(Installation, TheHighLimitStopsThePump) {
    ScopedTimeZone zone(kCentral);
    InstallationParameters p = Weathered(DayKind::kClear);
    p.highLimitF = 130.0;
    p.heatAssist = false;
    for (HotWaterDraw& d : p.draws) {
        d.litres = 0.0;
    }
    const std::time_t day = Local(2026, 6, 22, 0, 0, 0);
    const auto r = Readings(p, day, day + kDay);
    bool reached = false;
    for (std::size_t i = 1; i < r.size(); ++i) {
        if (r[i - 1].upperLimit && r[i].upperLimit) {
            reached = true;
            EXPECT_FALSE(r[i].pump) << i;
        }
        EXPECT_LT(r[i].storageF, p.highLimitF + 1.5) << i;
    }
    EXPECT_TRUE(reached);
}

TEST(Installation, AStuckPumpReportsOnWithoutFlow) {
    ScopedTimeZone zone(kCentral);
    InstallationParameters p = Weathered(DayKind::kClear);
    const std::time_t day = Local(2026, 6, 22, 0, 0, 0);
    p.pumpStuckOffFrom = day + 10 * 3600;
    const auto r = Readings(p, day + 11 * 3600, day + 12 * 3600);
    for (const InstallationReading& x : r) {
        EXPECT_TRUE(x.pump);
        EXPECT_EQ(x.flowGpm, 0.0f);
    }
    EXPECT_GT(r.back().collectorF, 200.0f);  // stagnating
}

}  // namespace
}  // namespace brennic
