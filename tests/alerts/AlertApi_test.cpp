#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "alerts/AlertJson.h"
#include "alerts/AlertObserver.h"
#include "core/AppState.h"
#include "http/HttpServer.h"
#include "support/HttpTestClient.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

using nlohmann::json;

// GET /api/v1/alerts from a running server over an alert observer that judges inputs.
TEST(AlertApi, ServesActiveAlertsAndHistoryBehindTheToken) {
    ScopedTimeZone zone("UTC0");
    AppState state;
    AlertSettings settings;
    settings[AlertRule::kFreeze].seconds = 0;
    settings[AlertRule::kDataErrors].enabled = false;
    auto alerts = std::make_shared<AlertObserver>(settings, "", nullptr);
    HttpSettings http;
    http.port = 0;
    http.token = "secret";
    HttpSources sources = AppStateSources(state, [] { return LiveLinks{}; });
    sources.alerts = [alerts] {
        const std::vector<Alert> history = alerts->History();
        return AlertsJson(alerts->Settings(), alerts->Active(), &history).dump();
    };
    HttpServer server(http, std::move(sources));
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/api/v1/alerts";

    EXPECT_EQ(test::HttpGet(url).status, 401);
    auto get = [&] {
        const auto a = test::HttpGet(url + "?token=secret");
        EXPECT_EQ(a.status, 200);
        return json::parse(a.body);
    };
    json quiet = get();
    EXPECT_EQ(quiet["rules"], json::parse(R"({"collector_overheat": false, "freeze": false,
        "pump_no_gain": false, "pump_idle_gain": false, "tank_overheat": false,
        "sensor_open": false, "no_data": false})"));
    EXPECT_EQ(quiet["active"], json::array());

    const std::time_t t0 = 1782118800;  // 2026-06-22 09:00:00 UTC
    for (int minute = 0; minute < 3; ++minute) {
        AlertInput in;
        in.now = t0 + minute * 60;
        in.newSample = true;
        in.current[kSlotCollector] = minute == 1 ? 50.0f : 33.0f;  // raised, cleared, raised
        in.current[kSlotStorage] = 90.0f;
        alerts->Evaluate(in);
    }
    const json answer = get();
    EXPECT_TRUE(answer["rules"]["freeze"]);
    ASSERT_EQ(answer["active"].size(), 1u);
    EXPECT_EQ(answer["active"][0], json::parse(R"json({"rule": "freeze", "title": "Freeze risk",
        "subject": "", "text": "Freeze risk since 09:02 (collector 33 °F)", "cleared": null,
        "raised": {"iso": "2026-06-22T09:02:00+00:00", "epoch": 1782118920},
        "values": [{"name": "collector", "value": 33.0, "unit": "°F"}], "clearValues": []})json"));
    // Newest first: the active one, then the one raised at 09:00 and cleared at 09:01.
    ASSERT_EQ(answer["history"].size(), 2u);
    EXPECT_EQ(answer["history"][1]["cleared"]["epoch"], t0 + 60);
    EXPECT_EQ(answer["history"][1]["clearValues"][0]["value"], 50.0);
    server.Stop();
    alerts->StopObserver();
}

}  // namespace
}  // namespace brennic
