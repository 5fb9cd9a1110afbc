#include "alerts/AlertCommand.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <mutex>
#include <nlohmann/json.hpp>

#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

namespace brennic {
namespace {

using testing::ReadAll;
using testing::TempFolder;

std::string Script(const TempFolder& folder, const std::string& name, const std::string& body) {
    const std::string path = folder.Write(name, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
}

AlertChange PumpIdle(bool raised) {
    AlertChange c;
    c.raised = raised;
    c.alert.rule = AlertRule::kPumpIdleGain;
    c.alert.raised = 1782118800;  // 2026-06-22 09:00:00 UTC
    c.alert.cleared = raised ? 0 : 1782120000;
    c.alert.values = {{"collector", 150.5, "°F"}, {"storage", 110.0, "°F"}};
    return c;
}

// Runs `argv` once for `change` through the runner; returns what the runner reported.
std::vector<std::string> RunOnce(const std::vector<std::string>& argv,
                                 std::chrono::milliseconds limit, const AlertChange& change) {
    std::vector<std::string> reports;
    std::mutex mutex;
    {
        AlertCommandRunner runner(argv, limit, [&](const std::string& t) {
            std::lock_guard<std::mutex> guard(mutex);
            reports.push_back(t);
        });
        runner.Offer(change);
        EXPECT_TRUE(testing::WaitFor([&] { return runner.Finished() == 1; }));
    }  // the runner's thread has ended: every report is in
    return reports;
}

TEST(AlertCommand, SplitsTheCommandLineWithoutAShell) {
    struct Case {
        const char* line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"", {}},
        {"  /usr/bin/mail-alert  --to me@example.org ",
         {"/usr/bin/mail-alert", "--to", "me@example.org"}},
        {"notify 'two words' \"say \\\"hi\\\"\" a\\ b",
         {"notify", "two words", "say \"hi\"", "a b"}},
        {"echo $HOME `date` ; rm *", {"echo", "$HOME", "`date`", ";", "rm", "*"}},
        {"empty '' end", {"empty", "", "end"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
    }
}

// The command gets the alert as JSON on standard input and in its environment.
TEST(AlertCommand, ReceivesTheAlertOnStandardInputAndInItsEnvironment) {
    ScopedTimeZone zone("UTC0");
    TempFolder folder;
    const std::string script =
        Script(folder, "record",
               "cat > \"$1/input.json\"\nenv | grep ^BRENNIC_ALERT_ | sort > \"$1/env\"\n");
    EXPECT_TRUE(RunOnce({script, folder.Path().string()}, std::chrono::seconds(20), PumpIdle(false))
                    .empty());
    const auto input = nlohmann::json::parse(ReadAll(folder.File("input.json")));
    EXPECT_EQ(input["event"], "cleared");
    EXPECT_EQ(input["alert"]["rule"], "pump_idle_gain");
    EXPECT_EQ(input["alert"]["title"], "Pump not running with gain");
    EXPECT_EQ(input["alert"]["raised"]["epoch"], 1782118800);
    EXPECT_EQ(input["alert"]["cleared"]["iso"], "2026-06-22T09:20:00+00:00");
    EXPECT_EQ(input["alert"]["values"][0]["value"], 150.5);
    EXPECT_EQ(ReadAll(folder.File("env")),
              "BRENNIC_ALERT_CLEARED=2026-06-22T09:20:00+00:00\n"
              "BRENNIC_ALERT_EVENT=cleared\n"
              "BRENNIC_ALERT_RAISED=2026-06-22T09:00:00+00:00\n"
              "BRENNIC_ALERT_RULE=pump_idle_gain\n"
              "BRENNIC_ALERT_SUBJECT=\n"
              "BRENNIC_ALERT_TEXT=Pump not running with gain since 09:00 (collector 150.5 °F, "
              "storage 110 °F)\n"
              "BRENNIC_ALERT_TITLE=Pump not running with gain\n"
              "BRENNIC_ALERT_VALUES=\n");
}

bool Gone(pid_t pid) {
    if (::kill(pid, 0) != 0) {
        return true;
    }
    // A zombie waiting for its new parent is gone too.
    const std::string stat = ReadAll("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] == 'Z';
}

// A command that hangs, ignores SIGTERM and left a child behind is ended with all of it.
TEST(AlertCommand, AHangingCommandIsEndedWithWhatItStarted) {
    TempFolder folder;
    const std::string script = Script(folder, "hang",
                                      "trap '' TERM\nsleep 600 &\necho $! > \"$1/child\"\n"
                                      "cat > /dev/null\nwait\n");
    const CommandResult r =
        RunCommand({script, folder.Path().string()}, "{}", {}, std::chrono::milliseconds(300));
    EXPECT_EQ(r.end, CommandEnd::kTimedOut);
    const pid_t child = std::stoi(ReadAll(folder.File("child")));
    EXPECT_TRUE(testing::WaitFor([&] { return Gone(child); }, std::chrono::seconds(10)));
}

TEST(AlertCommand, FailuresAreReported) {
    TempFolder folder;
    struct Case {
        std::vector<std::string> argv;
        int limitMs;
        std::string report;
    };
    const Case cases[] = {
        {{folder.File("missing")},
         5000,
         "The alert command " + folder.File("missing") +
             " could not be started: No such file or directory"},
        {{"false"}, 5000, "The alert command false ended with status 1"},
        {{"sleep", "600"}, 200, "The alert command sleep did not end within 0.2 s and was stopped"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunOnce(c.argv, std::chrono::milliseconds(c.limitMs), PumpIdle(true)),
                  std::vector<std::string>{c.report});
    }
}

}  // namespace
}  // namespace brennic
