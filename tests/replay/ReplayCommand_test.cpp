#include "replay/ReplayCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/ReplayTestSupport.h"

namespace brennic {
namespace {

using testing::TempFolder;
using Json = nlohmann::json;

// Six records of a model 0 controller, ten seconds apart: pump off, on, on (Storage open),
// a line the processor rejects, then off.
constexpr const char* kSmallFile =
    "DATE CST +DST\n"
    "06/01/2009 14:00:00 14:00 120.0 100.0 12.0 180.0 110.0 95.0 OFF OFF\n"
    "06/01/2009 14:00:10 14:00 130.0 101.0 12.0 180.0 115.0 96.0 ON OFF\n"
    "06/01/2009 14:00:20 14:00 140.0 102.0 12.0 180.0 120.0 97.0 ON OFF\n"
    "06/01/2009 14:00:30 14:00 135.0 OPEN.S 12.0 180.0 118.0 98.0 ON OFF\n"
    "06/01/2009 14:00:40 BAD 1 2 3 4 5 6 ON OFF\n"
    "06/01/2009 14:00:50 14:00 125.0 103.0 12.0 180.0 112.0 99.0 OFF OFF\n";

struct Result {
    int rc;
    std::string out;
    std::string err;
};

Result Replay(AppState& state, const ReplayOptions& options) {
    std::ostringstream out;
    std::ostringstream err;
    const int rc = RunReplayCommand(state, options, out, err);
    return {rc, out.str(), err.str()};
}

ReplayOptions DataRecorder(const std::string& file) {
    ReplayOptions o;
    o.kind = ReplayOptions::Kind::kDataRecorder;
    o.file = file;
    return o;
}

// The record count, the first and last record times and the current sample's time of a report.
std::string Span(const Json& report) {
    return report["records"].dump() + " " + report["firstRecordTime"].get<std::string>() + " " +
           report["lastRecordTime"].get<std::string>() + " " +
           report["current"]["time"].get<std::string>();
}

// Three replays of one file: each starts from reset statistics, and only the pump cycles count
// on across resets, as they do for the Reset command.
TEST(ReplayCommand, ReportOfASmallFileMatchesTheHandWorkedValuesEveryTime) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    AppState state;  // model 0, fixed flow 5 gpm, "Fixed" mix (factor 1), smoothing on
    const ReplayOptions options = DataRecorder(folder.Write("small.txt", kSmallFile));
    std::vector<Json> reports;
    for (int i = 1; i <= 3; ++i) {
        const Result run = Replay(state, options);
        ASSERT_EQ(run.rc, 0) << run.err;
        EXPECT_EQ(run.err, "");
        reports.push_back(Json::parse(run.out));
        EXPECT_EQ(reports.back()["collectorPump"]["cycles"], i);
    }
    const Json r = reports[0];
    for (Json& report : reports) {
        report["collectorPump"].erase("cycles");
    }
    EXPECT_EQ(reports[0], reports[1]);
    EXPECT_EQ(reports[0], reports[2]);

    EXPECT_EQ(Span(r), "6 2009-06-01 14:00:00 2009-06-01 14:00:50 2009-06-01 14:00:50");

    const Json& cur = r["current"];
    const std::pair<const char*, double> current[] = {
        {"collector", 125.0}, {"storage", 103.0}, {"aux1", 112.0},    {"aux2", 99.0},
        {"aux3", -9999.0},    {"aux4", -9999.0},  {"btuRate", 0.0},   {"pump", 0.0},
        {"flow", 0.0},        {"waux1", -9999.0}, {"waux4", -9999.0}, {"haBtuRate", 0.0},
        {"haPump", 0.0},      {"haFlow", 5.0}};
    for (const auto& [key, value] : current) {
        EXPECT_EQ(cur[key].get<double>(), value) << key;
    }
    // Temperature statistics; Storage ignores the open sensor.
    struct Stat {
        const char* key;
        double maximum, minimum;
    } stats[] = {{"collector", 140, 120}, {"storage", 103, 100}, {"aux1", 120, 110},
                 {"aux2", 99, 95},        {"aux3", -9999, 9999}, {"waux2", -9999, 9999}};
    for (const auto& s : stats) {
        EXPECT_EQ(r["maximum"][s.key].get<double>(), s.maximum) << s.key;
        EXPECT_EQ(r["dayMax"][s.key].get<double>(), s.maximum) << s.key;
        EXPECT_EQ(r["minimum"][s.key].get<double>(), s.minimum) << s.key;
        EXPECT_EQ(r["dayMin"][s.key].get<double>(), s.minimum) << s.key;
    }
    // Heat: 10 s x (120 - 97) x 5 gpm x 0.139085 = 159.94775 BTU, then
    // 10 s x (118 - 98) x 5 gpm x 0.139085 = 139.085 BTU. Smoothed rate: the mean of the
    // ten-entry window, (15.994775 + 13.9085) / 10 BTU/s at its highest.
    const Json& heat = r["collectorHeat"];
    EXPECT_NEAR(heat["total"].get<double>(), 299.03275, 1e-6);
    EXPECT_NEAR(heat["dayHeat"].get<double>(), 299.03275, 1e-6);
    EXPECT_EQ(heat["rate"].get<double>(), 0.0);  // the pump went off
    EXPECT_NEAR(heat["maxRate"].get<double>(), 2.9903275, 1e-9);
    EXPECT_NEAR(heat["dayMaxRate"].get<double>(), 2.9903275, 1e-9);
    EXPECT_EQ(heat["factor"].get<double>(), 1.0);
    EXPECT_EQ(r["heatAssistHeat"]["total"].get<double>(), 0.0);
    // On at 14:00:10, off at 14:00:50.
    EXPECT_EQ(r["collectorPump"], (Json{{"onSeconds", 40}, {"cycles", 1}, {"running", false}}));
    EXPECT_EQ(r["heatAssistPump"], (Json{{"onSeconds", 0}, {"cycles", 0}, {"running", false}}));
    // Five samples; only the first saved ("Graph every nth sample" 30); one open sensor and
    // one bad line.
    EXPECT_EQ(
        r["counters"],
        (Json{
            {"samples", 5}, {"saved", 1}, {"received", 6}, {"openSensors", 1}, {"dataErrors", 1}}));
    EXPECT_EQ(r["recordErrors"],
              (Json::array({{{"record", 5},
                             {"text",
                              "Error in record  5: \"06/01/2009 14:00:40 BAD 1 2 3 4 5 6 ON "
                              "OFF\""}}})));
}

// The range and capture options reach the readers; failures go to standard error with a
// non-zero exit.
TEST(ReplayCommand, OptionsReachTheReadersAndFailuresGoToStandardError) {
    ScopedTimeZone zone("America/Chicago");
    TempFolder folder;
    const std::string small = folder.Write("small.txt", kSmallFile);
    const std::string capture =
        folder.Write("cap.txt",
                     "RUNTIME\n06:00 120.0 100.0 12.0 180.0 110.0 95.0 ON OFF\n"
                     "06:06 120.0 100.0 12.0 180.0 110.0 95.0 ON OFF\n");
    using K = ReplayOptions::Kind;
    const struct {
        K kind;
        std::string file, from, to, start;
        int interval, rc;
        std::string err;
        std::string out;  // the report's Span
    } cases[] = {
        {K::kDataRecorder, small, "2009-06-01 14:00:05", "2009-06-01 14:00:35", "", 2, 0, "",
         "3 2009-06-01 14:00:10 2009-06-01 14:00:30 2009-06-01 14:00:30"},
        {K::kCapture, capture, "", "", "2009-06-01 06:00:00", 360, 0, "",
         "3 2009-06-01 05:54:00 2009-06-01 06:06:00 2009-06-01 06:06:00"},
        {K::kDataRecorder, folder.File("none.txt"), "", "", "", 2, 1,
         "Cannot open " + folder.File("none.txt") + ": No such file or directory\n", ""},
        {K::kDataRecorder, folder.Write("cdt.txt", "DATE CDT\n"), "", "", "", 2, 1,
         "Error reading Data Recorder File: Date time format error\n", ""},
        // A range after the file, searched with fast access.
        {K::kDataRecorder, small, "2009-06-02 00:00:00", "2009-06-02 01:00:00", "", 2, 1,
         "Error reading Data Recorder File: Date time range does not overlap file\nFile "
         "Start:Mon Jun 01 14:00:00 2009\nFile End: Mon Jun 01 14:00:50 2009\n\n",
         ""},
        {K::kDataRecorder, small, "2009-06-01 14:00", "", "", 2, 2,
         "--from needs a local time \"YYYY-MM-DD HH:MM:SS\", not \"2009-06-01 14:00\"\n", ""},
        {K::kCapture, small, "", "", "06:00:00", 2, 2,
         "--start needs a local time \"YYYY-MM-DD HH:MM:SS\", not \"06:00:00\"\n", ""},
        {K::kNone, "", "", "", "", 2, 2, "no replay asked for\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err + c.out);
        ReplayOptions options;
        options.kind = c.kind;
        options.file = c.file;
        options.from = c.from;
        options.to = c.to;
        options.start = c.start;
        options.interval = c.interval;
        options.fastAccess = !c.to.empty();
        AppState state;
        const Result run = Replay(state, options);
        EXPECT_EQ(run.rc, c.rc);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.rc == 0 ? Span(Json::parse(run.out)) : run.out, c.out);
    }
}

}  // namespace
}  // namespace brennic
