#include <gtest/gtest.h>

#include <vector>

#include "alerts/AlertObserver.h"
#include "core/MessageProcessor.h"
#include "sim/SimulatedDay.h"
#include "station/StationSnapshotBuild.h"
#include "support/ProcessorTestSupport.h"
#include "support/ReplayTestSupport.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

constexpr const char* kCentral = "CST6CDT,M3.2.0,M11.1.0";
constexpr int kInterval = 30;  // seconds between controller reports

struct Raised {
    std::time_t time;
    AlertChange change;
};

// Runs the simulated installation from `from` to `to` through the controller lines, the
// processor and the station's snapshot into the alert rules, as the station does live.
std::vector<Raised> RunDay(InstallationParameters p, std::time_t from, std::time_t to) {
    AppState state;
    test::Prepare(state, kVexin2, from);
    Installation model(p, state.glycol, from - 24 * 3600);
    model.AdvanceTo(from);
    AlertEngine engine{AlertSettings{}};
    std::vector<Raised> changes;
    StationLinks links;
    links.comRunning = true;
    for (std::time_t t = from + kInterval; t <= to; t += kInterval) {
        StationSnapshot snapshot;
        {
            StateGuard guard(state.lock);
            FeedRecordedRoad(state, model, t, kInterval);
            BuildSnapshot(state, links, WebCounters{}, t, t, snapshot);
        }
        for (AlertChange& c : engine.Evaluate(AlertInputOf(snapshot, true))) {
            changes.push_back({t, std::move(c)});
        }
    }
    return changes;
}

// A sound day raises nothing; the same day with the pump held off from 10:00 raises exactly
// "Pump not running with gain".
TEST(StuckPump, APumpHeldOffRaisesExactlyPumpNotRunningWithGain) {
    ScopedTimeZone zone(kCentral);
    InstallationParameters p;
    p.weather = DayKind::kClear;
    const std::time_t day = testing::Local(2026, 6, 22, 0, 0, 0);
    for (const Raised& r : RunDay(p, day + 5 * 3600, day + 20 * 3600)) {
        ADD_FAILURE() << AlertTitle(r.change.alert) << " at " << (r.time - day) / 60 << " min";
    }
    const std::time_t fault = day + 10 * 3600;
    p.pumpHeldOffFrom = fault;
    const auto changes = RunDay(p, day + 5 * 3600, fault + 35 * 60);
    ASSERT_EQ(changes.size(), 1u);
    const Raised& r = changes[0];
    EXPECT_TRUE(r.change.raised);
    EXPECT_EQ(AlertTitle(r.change.alert), "Pump not running with gain");
    // The gain passes twice the differential within minutes of the fault; the alert follows
    // its 20 minutes later.
    EXPECT_GE(r.time, fault + 20 * 60);
    EXPECT_LE(r.time, fault + 30 * 60);
    ASSERT_GE(r.change.alert.values.size(), 4u);
    EXPECT_EQ(r.change.alert.values[3].name, "differential");
    EXPECT_EQ(r.change.alert.values[3].value, 12.0);  // as the controller's line reports it
    EXPECT_GE(r.change.alert.values[2].value, 24.0);
}

}  // namespace
}  // namespace brennic
