#include "alerts/AlertSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/BrennicSettings.h"

namespace brennic {
namespace {

TEST(AlertSettings, ReadFromBrennicToml) {
    struct Case {
        const char* toml;
        void (*expect)(const AlertSettings&);
        std::vector<std::string> problems;
    };
    const Case cases[] = {
        {"", [](const AlertSettings& s) { EXPECT_EQ(s, AlertSettings{}); }, {}},
        {"[alerts]\nenabled = false\ncommand = \"/usr/bin/mail-alert\"\n"
         "command_timeout_seconds = 5\nnotify = false\ndifferential = 8\n",
         [](const AlertSettings& s) {
             EXPECT_FALSE(s.enabled);
             EXPECT_EQ(s.command, std::vector<std::string>{"/usr/bin/mail-alert"});
             EXPECT_EQ(s.commandTimeoutSeconds, 5);
             EXPECT_FALSE(s.notify);
             EXPECT_EQ(s.differential, 8.0);
         },
         {}},
        {"[alerts]\ncommand = [\"/usr/bin/push\", \"--title\", \"Solar alert\"]\n",
         [](const AlertSettings& s) {
             EXPECT_EQ(s.command,
                       (std::vector<std::string>{"/usr/bin/push", "--title", "Solar alert"}));
         },
         {}},
        {"[alerts]\ncommand = [\"/usr/bin/push\", 3]\n",
         [](const AlertSettings& s) { EXPECT_TRUE(s.command.empty()); },
         {"brennic.toml line 2: [alerts] command must be a quoted text or an array of quoted "
          "texts"}},
        {"[alerts.collector_overheat]\nthreshold = 250.5\nminutes = 15\n"
         "[alerts.freeze]\nenabled = false\n",
         [](const AlertSettings& s) {
             EXPECT_EQ(s[AlertRule::kCollectorOverheat], (AlertRuleSettings{true, 250.5, 15 * 60}));
             EXPECT_FALSE(s[AlertRule::kFreeze].enabled);
             EXPECT_EQ(s[AlertRule::kFreeze].seconds, 300);
         },
         {}},
        {"[alerts.tank_overheat]\nthreshold = \"hot\"\nminutes = -1\n"
         "[alerts]\nno_data = 3\n",
         [](const AlertSettings& s) { EXPECT_EQ(s, AlertSettings{}); },
         {"brennic.toml line 2: [alerts.tank_overheat] threshold must be a number from -100 to "
          "1000",
          "brennic.toml line 3: [alerts.tank_overheat] minutes must be a whole number from 0 to "
          "10080",
          "brennic.toml line 5: alerts.no_data must be a section ([alerts.no_data])"}},
        {"[alerts.no_data]\nminutes = 0\n",
         [](const AlertSettings& s) { EXPECT_EQ(s[AlertRule::kNoData].seconds, 300); },
         {"brennic.toml line 2: [alerts.no_data] minutes must be a whole number from 1 to "
          "10080"}},
    };
    for (const Case& c : cases) {
        const SettingsLoad load = ParseBrennicSettings(c.toml);
        SCOPED_TRACE(c.toml);
        c.expect(load.settings.alerts);
        EXPECT_EQ(load.problems, c.problems);
    }
}

}  // namespace
}  // namespace brennic
