#include "mqtt/MqttSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "mqtt/EnergyLedger.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

MqttSettings Read(const std::string& text, std::vector<std::string>& problems) {
    const toml::table root = toml::parse("[mqtt]\n" + text);
    return ReadMqttSettings(root["mqtt"].as_table(), problems);
}

TEST(MqttSettings, BadValuesAreNamedAndDefaultsKept) {
    struct Case {
        const char* toml;
        int port;
        int interval;
        bool tls;
        const char* problem;  // "" = none
    } cases[] = {
        {"", 1883, 0, false, ""},
        {"tls = { ca_file = 'ca.pem' }", 8883, 0, true, ""},
        {"tls = { ca_file = 'ca.pem' }\nport = 9000", 9000, 0, true, ""},
        {"port = 70000", 1883, 0, false, "mqtt.port: expected a whole number from 1 to 65535"},
        {"port = '1884'", 1883, 0, false, "mqtt.port:"},
        {"interval_seconds = -1", 1883, 0, false, "mqtt.interval_seconds:"},
        {"interval_seconds = 30", 1883, 30, false, ""},
        {"enabled = 'yes'", 1883, 0, false, "mqtt.enabled: expected true or false"},
        {"base_topic = 'homes/#'", 1883, 0, false, "mqtt.base_topic:"},
        {"colour = 1", 1883, 0, false, "mqtt.colour: unknown setting"},
        {"tls = { cert_file = 'c.pem' }", 8883, 0, true, "cert_file and key_file go together"},
        {"tls = true", 1883, 0, false, "mqtt.tls: expected a table"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toml);
        std::vector<std::string> problems;
        const MqttSettings s = Read(c.toml, problems);
        EXPECT_EQ(s.port, c.port);
        EXPECT_EQ(s.intervalSeconds, c.interval);
        EXPECT_EQ(s.tls.enabled, c.tls);
        if (*c.problem == '\0') {
            EXPECT_TRUE(problems.empty()) << problems.front();
        } else {
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
        }
    }
    std::vector<std::string> none;
    EXPECT_EQ(ReadMqttSettings(nullptr, none), MqttSettings{});
}

TEST(MqttSettings, PasswordFileMustBeOwnerOnly) {
    testing::TempFolder folder;
    const auto file = folder.Path() / "mqtt.pass";
    testing::WriteFile(file, "s3cret\n");
    for (const auto& [mode, password, problems] :
         {std::tuple{0600, "s3cret", 0u}, std::tuple{0644, "", 1u}}) {
        chmod(file.c_str(), static_cast<mode_t>(mode));
        std::vector<std::string> found;
        const MqttSettings s = Read("password_file = '" + file.string() + "'", found);
        EXPECT_EQ(s.password, password);
        EXPECT_EQ(found.size(), problems);
    }
}

TEST(MqttSettings, BaseTopicDefaultsToSiteThenHost) {
    struct Case {
        const char* configured;
        const char* site;
        const char* host;
        const char* base;
    } cases[] = {
        {"", "Roof #2", "pi", "brennic/Roof__2"},
        {"", "  ", "pi.local", "brennic/pi_local"},
        {"", "", "", "brennic/brennic"},
        {"homes/anna/", "Roof", "pi", "homes/anna"},
    };
    for (const Case& c : cases) {
        MqttSettings s;
        s.baseTopic = c.configured;
        EXPECT_EQ(ResolveBaseTopic(s, c.site, c.host), c.base);
    }
}

TEST(EnergyLedger, LifetimeGrowsAcrossResetAndRestart) {
    testing::TempFolder folder;
    const auto file = folder.Path() / "EnergyTotals.json";
    std::string problem;
    EnergyLedger ledger;
    // Collector: 500 at start (only remembered), +300, Reset to 100 (+100), +150.
    // Heat assist: 0, +20, Reset to 0, +5.
    for (const auto& [collector, ha] : {std::pair{500.0, 0.0}, std::pair{800.0, 20.0},
                                        std::pair{100.0, 0.0}, std::pair{250.0, 5.0}}) {
        AccountEnergy(ledger, collector, ha);
    }
    ASSERT_TRUE(SaveEnergyLedger(file, ledger, problem)) << problem;

    // A restart: the processor's totals begin again, the lifetime carries on (550 + 50 and
    // 25 + 1).
    EnergyLedger again;
    ASSERT_TRUE(LoadEnergyLedger(file, again, problem));
    AccountEnergy(again, 40.0, 0.0);
    AccountEnergy(again, 90.0, 1.0);
    EXPECT_DOUBLE_EQ(again.collectorBtu, 600.0);
    EXPECT_DOUBLE_EQ(again.haBtu, 26.0);

    testing::WriteFile(file, "{\"collector_btu\": 12");
    EXPECT_FALSE(LoadEnergyLedger(file, again, problem));
    EXPECT_NE(problem.find("damaged"), std::string::npos);
    EXPECT_EQ(testing::ReadAll(folder.Path() / "EnergyTotals.json.damaged"),
              "{\"collector_btu\": 12");
    EXPECT_EQ(again.collectorBtu, 0.0);
}

}  // namespace
}  // namespace brennic
