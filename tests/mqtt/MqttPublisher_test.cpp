#include "mqtt/MqttPublisher.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/MosquittoBroker.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace brennic {
namespace {

using nlohmann::json;
using test::MosquittoBroker;
using test::MqttRecorder;

constexpr const char* kBase = "brennic/test-site";
constexpr const char* kState = "brennic/test-site/state";
constexpr const char* kStatus = "brennic/test-site/status";

MqttDevice TestDevice(bool withAux3) {
    MqttDevice d;
    d.site = "Roof";
    d.model = "Vexin 2 BTU";
    d.version = "0.1.0";
    d.configurationUrl = "http://127.0.0.1:8080/";
    for (int e : {kEntCollector, kEntStorage, kEntCollectorEnergy, kEntPump}) {
        d.announced[static_cast<std::size_t>(e)] = true;
    }
    d.announced[kEntAux3] = withAux3;
    d.names.fill("Probe");
    return d;
}

// A publisher set up against the broker's plain listener; reports are collected.
struct Harness {
    std::mutex mutex;
    std::vector<std::string> reports;
    MqttPublisherSetup setup;

    Harness(const MosquittoBroker& broker, const std::filesystem::path& ledger) {
        setup.settings.enabled = true;
        setup.settings.host = "127.0.0.1";
        setup.settings.port = broker.port();
        setup.settings.username = MosquittoBroker::kUser;
        setup.settings.password = MosquittoBroker::kPassword;
        setup.baseTopic = kBase;
        setup.device = TestDevice(true);
        setup.ledgerFile = ledger;
        setup.ledgerSaveSeconds = 0;
        setup.report = [this](const std::string& text) {
            std::lock_guard<std::mutex> guard(mutex);
            reports.push_back(text);
        };
    }
    std::vector<std::string> Reports() {
        std::lock_guard<std::mutex> guard(mutex);
        return reports;
    }
};

MqttSnapshot Snapshot(double collectorBtu) {
    MqttSnapshot s;
    s.sample.value.fill(kNoReading);
    s.sample.time = 1767268800;  // 2026-01-01 12:00:00 UTC
    s.sample[kSlotCollector] = 150.25f;
    s.sample[kSlotStorage] = 120.5f;
    s.sample[kSlotBtuRate] = 1.0f;  // BTU/s = 3600/3413 kW
    s.sample[kSlotPump] = 1.0f;
    s.sample[kSlotFlow] = 3.5f;
    s.sample[kSlotHaBtuRate] = 0.0f;
    s.sample[kSlotHaPump] = 0.0f;
    s.collectorBtu = collectorBtu;
    s.dataErrors = 2;
    s.controllerLink = true;
    return s;
}

double LatestEnergy(const MqttRecorder& r) {
    const auto states = r.On(kState);
    return states.empty() ? -1.0 : json::parse(states.back())["collector_energy"].get<double>();
}

TEST(MqttPublisher, AnnouncesPublishesStateAndKeepsEnergiesGrowing) {
    ScopedTimeZone zone("UTC");
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    testing::TempFolder folder;
    const auto ledger = folder.Path() / "EnergyTotals.json";
    MqttRecorder live(broker.port(), "brennic/test-site/#");
    std::vector<double> energies;
    {
        Harness h(broker, ledger);
        MqttPublisher publisher(h.setup);
        ASSERT_TRUE(publisher.Start());
        ASSERT_TRUE(live.WaitForLatest(kStatus, "online"));
        // First sample only sets the baseline; 3413 BTU later is one kWh; then a Reset.
        for (double total : {1000.0, 1000.0 + 3413.0, 50.0}) {
            const auto before = live.On(kState).size();
            publisher.Offer(Snapshot(total));
            ASSERT_TRUE(testing::WaitFor([&] { return live.On(kState).size() > before; }));
            energies.push_back(LatestEnergy(live));
        }
        const json state = json::parse(live.On(kState).back());
        EXPECT_EQ(state, json::parse(R"({"collector": 150.25, "storage": 120.5, "flow": 3.5,
            "collector_power": 1054.8, "ha_power": 0.0, "pump": true, "ha_pump": false,
            "collector_energy": 1.014, "ha_energy": 0.0, "controller_link": true,
            "onewire_link": false, "data_errors": 2, "open_sensors": 0,
            "time": "2026-01-01T12:00:00+00:00"})"));

        // Aux-3 switched off: its config goes away; the others stay retained. The watcher sees
        // the last config of the new announcement go by, so all of it has reached the broker.
        MqttRecorder watch(broker.port(), "homeassistant/#");
        ASSERT_TRUE(testing::WaitFor([&] { return watch.Messages().size() == 5; }));
        publisher.Announce(TestDevice(false));
        ASSERT_TRUE(testing::WaitFor([&] {
            return !watch.On("homeassistant/sensor/brennic_test-site/open_sensors/config").empty();
        }));
        MqttRecorder late(broker.port(), "homeassistant/#");
        ASSERT_TRUE(testing::WaitFor([&] { return late.Messages().size() >= 4; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::map<std::string, json> configs;
        for (const auto& m : late.Messages()) {
            EXPECT_TRUE(m.retained);
            configs[m.topic] = json::parse(m.payload);
        }
        EXPECT_EQ(configs.size(), 4u);
        EXPECT_FALSE(configs.contains("homeassistant/sensor/brennic_test-site/aux3/config"));
        EXPECT_EQ(configs["homeassistant/sensor/brennic_test-site/collector/config"],
                  json::parse(R"json({"name": "Probe", "unique_id": "brennic_test-site_collector",
            "object_id": "brennic_test-site_collector", "state_topic": "brennic/test-site/state",
            "availability_topic": "brennic/test-site/status", "payload_available": "online",
            "payload_not_available": "offline", "device_class": "temperature",
            "value_template": "{{ value_json.collector | default(None) }}",
            "state_class": "measurement", "unit_of_measurement": "°F",
            "device": {"identifiers": ["brennic_test-site"], "name": "Brennic Roof",
                "manufacturer": "Brennic", "model": "Vexin 2 BTU", "sw_version": "0.1.0",
                "configuration_url": "http://127.0.0.1:8080/"}})json"));
        const json& energy =
            configs["homeassistant/sensor/brennic_test-site/collector_energy/config"];
        EXPECT_EQ(energy["device_class"], "energy");
        EXPECT_EQ(energy["state_class"], "total_increasing");
        EXPECT_EQ(energy["unit_of_measurement"], "kWh");
        EXPECT_EQ(
            configs["homeassistant/binary_sensor/brennic_test-site/pump/config"]["device_class"],
            "running");
        publisher.Stop();
        EXPECT_TRUE(live.WaitForLatest(kStatus, "offline"));
        EXPECT_TRUE(h.Reports().empty());
    }
    // A restart: the processor's total starts low again, the published energy carries on.
    Harness h(broker, ledger);
    MqttPublisher again(h.setup);
    ASSERT_TRUE(again.Start());
    for (double total : {10.0, 10.0 + 3413.0}) {
        const auto before = live.On(kState).size();
        again.Offer(Snapshot(total));
        ASSERT_TRUE(testing::WaitFor([&] { return live.On(kState).size() > before; }));
        energies.push_back(LatestEnergy(live));
    }
    EXPECT_EQ(energies, (std::vector<double>{0.0, 1.0, 1.014, 1.014, 2.014}));
}

TEST(MqttPublisher, LastWillAfterKillAndReconnectAfterBrokerRestart) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    testing::TempFolder folder;
    // A publisher in a child process, killed with SIGKILL: the broker sends the last will.
    const pid_t child = fork();
    if (child == 0) {
        Harness h(broker, folder.Path() / "child.json");
        MqttPublisher publisher(h.setup);
        publisher.Start();
        pause();
        _exit(0);
    }
    {
        MqttRecorder status(broker.port(), kStatus);
        ASSERT_TRUE(status.WaitForLatest(kStatus, "online"));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        EXPECT_TRUE(status.WaitForLatest(kStatus, "offline"));
    }

    Harness h(broker, folder.Path() / "EnergyTotals.json");
    MqttPublisher publisher(h.setup);
    ASSERT_TRUE(publisher.Start());
    ASSERT_TRUE(testing::WaitFor([&] { return publisher.Connected(); }));
    broker.Stop();
    ASSERT_TRUE(testing::WaitFor([&] { return !publisher.Connected(); }));
    publisher.Offer(Snapshot(0.0));  // kept while the broker is away
    ASSERT_TRUE(broker.Start());
    MqttRecorder after(broker.port(), "#");
    EXPECT_TRUE(after.WaitForLatest(kStatus, "online"));
    EXPECT_TRUE(testing::WaitFor([&] { return after.On(kState).size() == 1; }));
    EXPECT_TRUE(testing::WaitFor([&] {
        return !after.On("homeassistant/sensor/brennic_test-site/collector/config").empty();
    }));
    const MqttCounters c = publisher.Counters();
    EXPECT_EQ(c.connections, 2);
    EXPECT_GE(c.failures, 1);
    const auto reports = h.Reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_NE(reports[0].find("was lost; reconnecting"), std::string::npos) << reports[0];
    EXPECT_NE(reports.back().find("again"), std::string::npos) << reports.back();
}

TEST(MqttPublisher, RefusalsAndCertificateErrorsAreReportedOnce) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    struct Case {
        const char* name;
        bool tls;
        std::string caFile;
        std::string password;
        bool connects;
        const char* report;
    } cases[] = {
        {"wrong password", false, "", "wrong", false,
         "refused the connection: Connection Refused: not authorised. (check mqtt.username"},
        {"trusted CA", true, broker.caFile(), MosquittoBroker::kPassword, true, ""},
        {"wrong CA", true, broker.wrongCaFile(), MosquittoBroker::kPassword, false,
         "the broker's certificate is not trusted (certificate verify failed; check "
         "mqtt.tls.ca_file)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(broker, "");
        h.setup.settings.password = c.password;
        h.setup.settings.tls.enabled = c.tls;
        h.setup.settings.tls.caFile = c.caFile;
        h.setup.settings.port = c.tls ? broker.tlsPort() : broker.port();
        MqttPublisher publisher(h.setup);
        ASSERT_TRUE(publisher.Start());
        if (c.connects) {
            EXPECT_TRUE(testing::WaitFor([&] { return publisher.Connected(); }));
            continue;
        }
        // Attempts at 0 s, 1 s and 3 s: a third one proves the retries go on, with back-off.
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(testing::WaitFor([&] {
            const MqttCounters n = publisher.Counters();
            return n.refusals + n.failures >= 3;
        }));
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2900));
        const auto reports = h.Reports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_NE(reports[0].find(c.report), std::string::npos) << reports[0];
    }
}

// Alerts go out at once, even when the state waits for its interval, retained for a
// subscriber that comes later; each rule is announced as a problem sensor.
TEST(MqttPublisher, PublishesAlertsAtOnceAndAnnouncesAProblemSensorPerRule) {
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start());
    testing::TempFolder folder;
    Harness h(broker, folder.Path() / "EnergyTotals.json");
    h.setup.settings.intervalSeconds = 3600;
    h.setup.alertRules = {{"freeze", "Freeze risk"},
                          {"pump_idle_gain", "Pump not running with gain"}};
    MqttRecorder live(broker.port(), "#");
    MqttPublisher publisher(h.setup);
    ASSERT_TRUE(publisher.Start());
    ASSERT_TRUE(live.WaitForLatest(kStatus, "online"));
    publisher.Offer(Snapshot(0.0));
    ASSERT_TRUE(testing::WaitFor([&] { return !live.On(kState).empty(); }));
    const std::string raised = R"({"rules":{"freeze":false,"pump_idle_gain":true}})";
    const std::string cleared = R"({"rules":{"freeze":false,"pump_idle_gain":false}})";
    publisher.OfferAlerts(raised);
    ASSERT_TRUE(live.WaitForLatest("brennic/test-site/alerts", raised));
    publisher.OfferAlerts(cleared);
    ASSERT_TRUE(live.WaitForLatest("brennic/test-site/alerts", cleared));
    EXPECT_EQ(live.On(kState).size(), 1u);

    const auto configs =
        live.On("homeassistant/binary_sensor/brennic_test-site/alert_pump_idle_gain/config");
    ASSERT_FALSE(configs.empty());
    const json c = json::parse(configs.back());
    EXPECT_EQ(c["device_class"], "problem");
    EXPECT_EQ(c["name"], "Pump not running with gain");
    EXPECT_EQ(c["state_topic"], "brennic/test-site/alerts");
    EXPECT_EQ(c["value_template"], "{{ 'ON' if value_json.rules.pump_idle_gain else 'OFF' }}");
    EXPECT_EQ(c["availability_topic"], kStatus);
    EXPECT_FALSE(
        live.On("homeassistant/binary_sensor/brennic_test-site/alert_freeze/config").empty());

    MqttRecorder late(broker.port(), "brennic/test-site/alerts");
    EXPECT_TRUE(late.WaitForLatest("brennic/test-site/alerts", cleared));
    publisher.Stop();
}

}  // namespace
}  // namespace brennic
