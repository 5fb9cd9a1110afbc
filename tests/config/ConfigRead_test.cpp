#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "support/ConfigFileFixture.h"

namespace brennic {
namespace {

using namespace config_test;

TEST_F(ConfigFileTest, EveryVersionReadsTheLinesItHas) {
    Lines body = WithLine(Golden(), 6, Line6With({{25, "0"}, {26, "1"}}));  // btuEnable, autoScroll
    body = WithLine(body, 16, "\"Col\" \"Collector probe\"");
    const std::string oldStatus = "1,1,0,1,0,0,1,0,0,0,1,1,0,0";  // 14 values
    for (int version : {-1, 1, 2, 3, 4, 5, 6, 7}) {
        Lines file;
        if (version != -1) {
            file.push_back("Version: " + std::to_string(version));
        }
        for (std::size_t n = 2; n <= 44; ++n) {
            const bool present = n <= 8 || (n == 9 && version >= 2) || (n == 10 && version >= 3) ||
                                 (n >= 11 && n <= 15) || (n >= 16 && n <= 36 && version >= 5) ||
                                 (n >= 37 && version >= 6);
            if (present) {
                file.push_back(n == 4 && version < 5 ? oldStatus : body[n - 1]);
            }
        }
        AppState s;
        LoadText(s, Join(file));
        const Config& c = s.config;
        SCOPED_TRACE("version " + std::to_string(version));
        EXPECT_EQ(c.comPort, "/dev/ttyUSB0");
        EXPECT_EQ(c.controllerType, kVexin2Btu);
        EXPECT_EQ(c.autoStart, version >= 4);
        EXPECT_EQ(c.autoScroll, version >= 7);
        EXPECT_EQ(c.btuEnable, version >= 7 ? 0 : 1);
        EXPECT_EQ(c.dataFolder, "/home/ann/Documents/brennic");
        EXPECT_EQ(s.font.set, version >= 2);
        EXPECT_EQ(c.latitude, version >= 3 ? 44.5f : 45.0f);
        EXPECT_EQ(c.longitude, version >= 3 ? -88.5f : -88.0f);
        // The probe rows follow whatever lines the version has.
        EXPECT_EQ(c.oneWireProbes[0].description, "Tank top");
        EXPECT_EQ(c.oneWireProbes[4].switchSelect, -2);
        EXPECT_EQ(s.channels[kChCollector].longName,
                  version >= 5 ? "Collector probe" : "Collector");
        EXPECT_EQ(c.siteId, version >= 6 ? "Ann's roof" : "");
        EXPECT_EQ(c.ftpServer, version >= 6 ? "ftp.example.org" : "");
        if (version < 5) {
            // Old status line: Btus 1 and HaBtus 0 stand in for the flags it lacks.
            EXPECT_EQ(c.status[kChKwhs], 1);
            EXPECT_EQ(c.status[kChBtuRate], 1);
            EXPECT_EQ(c.status[kChHaBtuRate], 0);
        } else {
            EXPECT_EQ(c.status[kChKwhs], 0);
        }
    }
}

// Each value is corrected as it is read; the saved file shows what was kept. A solar line cut
// short keeps the defaults of what it lacks, and one with nothing readable does not negate the
// default longitude.
TEST_F(ConfigFileTest, ValuesOutOfRangeAndShortLinesAreCorrected) {
    const struct {
        std::size_t line;
        std::string text;
        std::string saved;
        int glycolCount = 6;
    } cases[] = {
        {6, Line6With(0, "10"), Line6With(0, "0")},
        {6, Line6With(1, "0"), Line6With(1, "1")},
        {6, Line6With(2, "100"), Line6With(2, "72")},
        {6, Line6With(2, "2"), Line6With(2, "4")},
        {6, Line6With(3, "0.500"), Line6With(3, "1.000")},
        {6, Line6With(4, "-1.000"), Line6With(4, "0.000")},
        {6, Line6With(6, "500"), Line6With(6, "1000")},
        {6, Line6With(6, "20000"), Line6With(6, "20000")},
        {6, Line6With(6, "20001"), Line6With(6, "20000")},
        {6, Line6With(14, "101"), Line6With(14, "50")},
        {6, Line6With(15, "-1"), Line6With(15, "50")},
        {6, Line6With(16, "7"), Line6With(16, "0")},
        {6, Line6With(16, "7"), Line6With(16, "7"), 8},
        {6, Line6With(19, "9"), Line6With(19, "5")},
        {2, "COM3 3 1", "COM3" + std::string(28, ' ') + " 0 1"},
        {2, "/dev/" + std::string(400, 'p') + " 1 1", "/dev/" + std::string(250, 'p') + " 1 1"},
        {38, "1,1,0,1,1", "1,1,1,1,1"},
        {10, "45,88,145,60,0,0.3,0.6,-4",
         "45.000000,88.000000,145.000000,60.000000,1.000000,0.300000,0.600000,-4.000000"},
        {10, "40.5,100.25,150,30,2.5",
         "40.500000,100.250000,150.000000,30.000000,2.500000,0.200000,0.700000,-5.000000"},
        {10, "40.5,100.25,150,30,2.5,0.3",
         "40.500000,100.250000,150.000000,30.000000,2.500000,0.300000,0.700000,-5.000000"},
        {10, "north",
         "45.000000,88.000000,145.000000,60.000000,1.000000,0.200000,0.700000,-5.000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        AppState s;
        s.glycol.count = c.glycolCount;
        LoadText(s, Join(WithLine(Golden(), c.line, c.text)));
        EXPECT_EQ(SplitLines(SavedText(s)).at(c.line - 1), c.saved);
    }
    // What follows from a corrected value but is not in the file.
    AppState range;
    LoadText(range, Join(WithLine(Golden(), 6, Line6With({{0, "10"}, {19, "9"}}))));
    EXPECT_EQ(range.config.graphTempMin, -25);
    EXPECT_EQ(range.config.graphTempMax, 300);
    EXPECT_EQ(range.channels[kChHaBtuRate].penWidth, 5);
    EXPECT_EQ(range.channels[kChPump].penWidth, 1);  // no colour in the file
}

TEST_F(ConfigFileTest, SwitchFieldOfAProbeRow) {
    const struct {
        std::string field;
        int expected;
    } cases[] = {{"A", 1},   {"-A", -1}, {"B", 2}, {"-B", -2}, {"12", 1},  {"0", 1},
                 {"-9", -1}, {"", 1},    {"5", 5}, {"-8", -8}, {"123", 1}, {"x", 1}};
    for (const auto& c : cases) {
        AppState s;
        LoadText(s, Join(WithLine(Golden(), 15, ProbeRow("SW-1", "Boiler pump", c.field))));
        EXPECT_EQ(s.config.oneWireProbes[4].switchSelect, c.expected) << '"' << c.field << '"';
        EXPECT_EQ(s.config.oneWireProbes[4].id, "SW-1");
    }
    // A row cut short before the switch column still gives its id.
    AppState s;
    LoadText(s, Join(WithLine(Golden(), 11, "WAUX-9")));
    EXPECT_EQ(s.config.oneWireProbes[0].id, "WAUX-9");
    EXPECT_EQ(s.config.oneWireProbes[0].description, "");
    EXPECT_EQ(s.config.oneWireProbes[0].switchSelect, 1);
}

TEST_F(ConfigFileTest, TextLongerThanItsFieldIsCut) {
    const std::string long40(40, 'x');
    Lines g = Golden();
    g = WithLine(g, 8, std::string(40, '1') + " 5003 30000");
    g = WithLine(g, 9, std::string(50, 'F') + ",-13,700,0,0,0,0,0,0");
    g = WithLine(g, 11, std::string(20, 'I') + std::string(40, 'D'));
    // 30 'a' and a two-byte "é" make 32 bytes: the cut must not split the "é".
    g = WithLine(g, 16, "\"" + std::string(30, 'a') + "\xC3\xA9\" \"" + long40 + "\"");
    g = WithLine(g, 39, "\"" + long40 + "\"");
    g = WithLine(g, 37, "\"" + std::string(300, 'S') + "\"");
    g = WithLine(g, 42, "\"" + std::string(200, 's') + "\"");
    g = WithLine(g, 44, "\"/" + std::string(300, 'w') + "\"");
    AppState s;
    LoadText(s, Join(g));
    EXPECT_EQ(s.config.oneWireServerIp, std::string(23, '1'));
    EXPECT_EQ(s.config.oneWirePort, 5003);
    EXPECT_EQ(s.font.face, std::string(31, 'F'));
    EXPECT_EQ(s.font.weight, 700);
    EXPECT_EQ(s.config.oneWireProbes[0].id, std::string(15, 'I'));
    EXPECT_EQ(s.config.oneWireProbes[0].description, std::string(4, 'I') + std::string(27, 'D'));
    EXPECT_EQ(s.channels[kChCollector].shortName, std::string(30, 'a'));
    EXPECT_EQ(s.channels[kChCollector].longName, std::string(31, 'x'));
    EXPECT_EQ(s.config.ftpUserId, std::string(31, 'x'));
    EXPECT_EQ(s.config.ftpServer, std::string(127, 's'));
    EXPECT_EQ(s.config.siteId, std::string(259, 'S'));
    EXPECT_EQ(s.config.webFolder, "/" + std::string(258, 'w'));
}

// The golden file is saved back byte for byte, and a file ending early leaves the lines it
// lacks at their defaults (the values read are checked in EveryVersionReadsTheLinesItHas).
TEST_F(ConfigFileTest, SavedFileMatchesTheGoldenFileOrItsDefaultsLineByLine) {
    const Lines golden = Golden();
    AppState empty;
    LoadText(empty, "");
    const Lines defaults = SplitLines(SavedText(empty));
    ASSERT_EQ(defaults.size(), 44u);
    ASSERT_EQ(golden.size(), 44u);
    for (std::size_t n = 1; n <= 44; ++n) {
        AppState s;
        EXPECT_EQ(LoadText(s, Join(Lines(golden.begin(), golden.begin() + static_cast<long>(n)))),
                  ConfigSource::kConfigFolder);
        const Lines saved = SplitLines(SavedText(s));
        ASSERT_EQ(saved.size(), 44u);
        for (std::size_t k = 0; k < 44; ++k) {
            EXPECT_EQ(saved[k], k < n ? golden[k] : defaults[k])
                << "file of " << n << " lines, line " << k + 1;
        }
        if (n == 44) {
            EXPECT_EQ(s.font, (DisplayFont{true, "DejaVu Sans", -13, 400, 0, 0, 0, 0, 0, 0}));
        }
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ConfigFileTest, BadInputLoadsWithDefaults) {
    const Lines g = Golden();
    struct Case {
        const char* what;
        std::string text;
        std::function<void(const AppState&)> check;
    };
    const Case cases[] = {
        {"garbage", "Version: seven\n###\n,,,\nzz\n\n\n\"\n",
         [](const AppState& s) {
             EXPECT_EQ(s.config.comPort, "###");
             EXPECT_EQ(s.config.graph[kChCollector], 1);
             EXPECT_EQ(s.channels[kChCollector].colour, 0x0000FFu);
         }},
        {"NUL inside the data folder line", Join(WithLine(g, 7, std::string("/tmp/a\0b", 8))),
         [](const AppState& s) {
             EXPECT_EQ(s.config.dataFolder, "/tmp/a");
             EXPECT_EQ(s.config.oneWirePort, 5003);
         }},
        {"huge lines do not shift the lines after them",
         Join(WithLine(WithLine(g, 7, "/" + std::string(100000, 'd')), 12,
                       ProbeRow("WAUX-2", std::string(5000, 'w'), "4"))),
         [](const AppState& s) {
             EXPECT_EQ(s.config.dataFolder.size(), kPathMax);
             EXPECT_EQ(s.config.oneWireServerIp, "127.0.0.1");
             EXPECT_EQ(s.config.oneWireProbes[1].description, std::string(31, 'w'));
             EXPECT_EQ(s.config.oneWireProbes[2].id, "WAUX-3");
             EXPECT_EQ(s.config.siteId, "Ann's roof");
         }},
        {"numbers out of range stop their line",
         Join(WithLine(WithLine(WithLine(g, 6, "0,99999999999999999999,48"), 10, "1e999,80"), 5,
                       "0xff,0x1ffffffff,0xff")),
         [](const AppState& s) {
             EXPECT_EQ(s.config.graphEveryNth, 30);
             EXPECT_EQ(s.config.xAxisHours, 12);
             EXPECT_EQ(s.config.latitude, 45.0f);
             EXPECT_EQ(s.config.longitude, -88.0f);
             EXPECT_EQ(s.channels[kChStorage].colour, 0x00FF00u);
         }},
        {"not-a-number flows are not taken", Join(WithLine(g, 6, "0,30,12,nan,inf,-nan,5000")),
         [](const AppState& s) {
             EXPECT_EQ(s.config.fixedFlowGpm, 5.0);
             EXPECT_EQ(s.config.maxSamples, 10000);
         }},
        {"Windows line ends", std::regex_replace(Join(g), std::regex("\n"), "\r\n"),
         [](const AppState& s) {
             EXPECT_EQ(s.config.dataFolder, "/home/ann/Documents/brennic");
             EXPECT_EQ(s.config.oneWireProbes[4].switchSelect, -2);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppState s;
        EXPECT_EQ(LoadText(s, c.text), ConfigSource::kConfigFolder);
        c.check(s);
    }
}

}  // namespace
}  // namespace brennic
