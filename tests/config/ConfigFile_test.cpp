#include "config/ConfigFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include <clocale>

#include "support/ConfigFileFixture.h"

namespace brennic {
namespace {

using namespace config_test;

TEST_F(ConfigFileTest, RoundTripKeepsEveryPersistedField) {
    AppState a;
    LoadText(a, "");
    Config& c = a.config;
    c.controllerType = kVexin2Lcd;
    c.comPort = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    c.autoStart = true;
    for (int id = 0; id < kChannelCount; ++id) {  // an irregular pattern shows a shifted order
        const auto i = static_cast<std::size_t>(id);
        c.graph[i] = CatalogueEntry(id).graphable && id % 3 != 1 ? 1 : 0;
        c.status[i] = CatalogueEntry(id).listable && id % 3 != 2 ? 1 : 0;
    }
    c.tempRangeIndex = 7;
    c.graphTempMax = 200;
    c.graphTempMin = 50;
    c.graphEveryNth = 17;
    c.xAxisHours = 48;
    c.autoScroll = true;
    c.fixedFlowGpm = 7.25;
    c.minFlowGpm = 0.5;
    c.haFlowGpm = 3.125;
    c.solarOffset = -1.5;
    c.smoothBtuRate = 0;
    c.btuEnable = 0;
    c.haOffset = 2.75;
    c.solarGlycolPercent = 40;
    c.haGlycolPercent = 35;
    c.solarGlycolMix = 4;
    c.haGlycolMix = 5;
    c.maxSamples = 15000;
    c.logData = 1;
    c.newLogAtMidnight = 0;
    c.logEveryNth = 12;
    c.logQmxData = 1;
    c.summaryEnable = 0;
    c.summaryEveryNth = 600;
    c.graphLineWidth = 3;
    c.oneWireEnable = 1;
    c.heatUnits = 0;
    c.pumpSource = 1;
    c.flowSource = 1;
    c.dataFolder = "/srv/solar logs";
    c.latitude = -33.875f;
    c.longitude = 151.25f;
    c.collectorTilt = 35.5f;
    c.collectorAzimuth = 180.0f;
    c.collectorArea = 4.5f;
    c.incidentAngleModifier = 0.125f;
    c.efficiencyIntercept = 0.75f;
    c.efficiencySlope = -3.5f;
    c.webUploadFtp = 1;
    c.webWriteToDisk = 1;
    c.webShowErrors = 1;
    c.webIncludeScreenShot = 1;
    c.webIntervalMinutes = 15;
    c.ftpUserId = "solar";
    c.ftpAccount = "acct";
    c.ftpPassword = "p,a s'w0rd";
    c.ftpServer = "ftp.example.org:2121";
    c.ftpServerPath = "/www/solar";
    c.webFolder = "/home/ann/web";
    c.siteId = "Ann's roof, south";
    c.oneWireServerIp = "192.168.10.20";
    c.oneWirePort = 6001;
    c.oneWireTimer = 15000;
    for (std::size_t i = 0; i < c.oneWireProbes.size(); ++i) {
        c.oneWireProbes[i] = {std::string(31, static_cast<char>('a' + i)),
                              "28.00000" + std::to_string(i) + "ABCDEF", -static_cast<int>(i) - 4};
    }
    for (int id = 0; id < kChannelCount; ++id) {
        a.channels[id].shortName = "S" + std::to_string(id);
        a.channels[id].longName = "Long name of channel " + std::to_string(id);
        a.channels[id].colour = 0x010203u * static_cast<Colour>(id + 1);
    }
    for (int id : kCurveChannels) {
        a.channels[id].penWidth = 3;
    }
    // Channels without a colour in the file keep theirs.
    for (int id : {kChBtus, kChKwhs, kChKw, kChHaBtus, kChHaKwhs, kChHaKw, kChPump, kChHaPump}) {
        a.channels[id].colour = DefaultChannelTable()[id].colour;
    }
    a.font = {true, "Noto Sans Mono", 14, 700, 1, 2, 3, 4, 5, 6};

    const std::string first = SavedText(a);
    EXPECT_EQ(SplitLines(first).at(1), c.comPort + " 2 1");  // longer than its column
    AppState b;
    Prepare(b);
    ASSERT_EQ(LoadConfig(b, paths_), ConfigSource::kConfigFolder);
    EXPECT_EQ(SavedText(b), first);
    EXPECT_EQ(b.config, a.config);
    EXPECT_EQ(b.channels, a.channels);
    EXPECT_EQ(b.font, a.font);
}

// The file carries west as positive (the golden file and EveryVersionReadsTheLinesItHas show a
// west longitude both ways): an east one is written negative, and zero not as "-0.000000".
TEST_F(ConfigFileTest, EastAndZeroLongitudesAreWritten) {
    AppState s;
    LoadText(s, "");
    s.config.longitude = 10.25f;
    EXPECT_EQ(SplitLines(SavedText(s)).at(9).substr(0, 21), "45.000000,-10.250000,");
    s.config.longitude = 0.0f;
    EXPECT_EQ(SplitLines(SavedText(s)).at(9).substr(0, 19), "45.000000,0.000000,");
}

TEST_F(ConfigFileTest, WhereTheFileIsFound) {
    paths_.configFolder = (root_ / "cfg" / "nested" / "brennic").string();
    AppState none;
    none.config.fixedFlowGpm = 9.0;
    none.config.maxSamples = 2000;
    none.config.oneWirePort = 6000;
    Prepare(none);
    EXPECT_EQ(LoadConfig(none, paths_), ConfigSource::kDefaults);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "|Your configuration can not be restored!");
    EXPECT_TRUE(fs::is_directory(paths_.configFolder));
    EXPECT_EQ(none.config.fixedFlowGpm, 5.0);
    EXPECT_EQ(none.config.maxSamples, 2000);  // kept, like the One-Wire settings
    EXPECT_EQ(none.config.oneWirePort, 6000);
    EXPECT_EQ(none.config.dataFolder, "/data/brennic");
    EXPECT_EQ(none.config.configFolder, paths_.configFolder);

    std::ofstream(root_ / "prog" / "Config.Txt") << Join(Golden());
    AppState fromProgram;
    Prepare(fromProgram);
    EXPECT_EQ(LoadConfig(fromProgram, paths_), ConfigSource::kProgramFolder);
    EXPECT_TRUE(fromProgram.config.loadedFromProgramFolder);
    EXPECT_EQ(fromProgram.config.siteId, "Ann's roof");
    // It is still saved to the configuration folder, which then wins.
    fromProgram.config.siteId = "Moved";
    ASSERT_TRUE(SaveConfig(fromProgram));
    AppState again;
    Prepare(again);
    EXPECT_EQ(LoadConfig(again, paths_), ConfigSource::kConfigFolder);
    EXPECT_FALSE(again.config.loadedFromProgramFolder);
    EXPECT_EQ(again.config.siteId, "Moved");
    EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(ConfigFileTest, SaveReplacesTheFileWhole) {
    AppState s;
    LoadText(s, "old\n");
    const fs::path file = fs::path(paths_.configFolder) / "Config.Txt";
    ::chmod(file.c_str(), 0644);
    ASSERT_TRUE(SaveConfig(s));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(paths_.configFolder)) {
        names.push_back(e.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"Config.Txt"});

    // A save that cannot replace the file leaves no temporary file behind.
    AppState blocked;
    Prepare(blocked);
    blocked.config.configFolder = (root_ / "blocked").string();
    fs::create_directories(root_ / "blocked" / "Config.Txt" / "inside");
    std::string why;
    EXPECT_FALSE(SaveConfig(blocked, &why));
    EXPECT_NE(why, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "blocked"), {}), 1);

    // A folder that has become read-only keeps the old file as it was.
    if (::geteuid() != 0) {
        const std::string before = ReadAll(file);
        fs::permissions(paths_.configFolder, fs::perms::owner_read | fs::perms::owner_exec);
        s.config.siteId = "changed";
        EXPECT_FALSE(SaveConfig(s));
        EXPECT_EQ(ReadAll(file), before);
    }
}

// Secrets stay out of stray files: a save killed midway left its scratch copy (with the
// password) behind; a Config.Txt holding the password was readable by others.
TEST_F(ConfigFileTest, LeftoverSavesGoAndAPasswordFileIsTightened) {
    const struct {
        const char* password;
        mode_t mode;
        mode_t after;
        std::size_t messages;
    } cases[] = {
        {"\"secret\"", 0644, 0600, 1},
        {"\"secret\"", 0600, 0600, 0},
        {"\"\"", 0644, 0644, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.password) + " " + std::to_string(c.mode));
        fs::remove_all(paths_.configFolder);
        fs::create_directories(paths_.configFolder);
        const fs::path folder = paths_.configFolder;
        for (const char* name : {".Config.Txt.a1B2c3", ".Config.Txt.zzzzzz", "Config.Txt.bak",
                                 ".Config.Txt.toolong1"}) {
            std::ofstream(folder / name) << "x";
        }
        const fs::path file = folder / "Config.Txt";
        std::ofstream(file) << Join(WithLine(Golden(), 41, c.password));
        ::chmod(file.c_str(), c.mode);
        messages_.clear();
        AppState state;
        Prepare(state);
        ASSERT_EQ(LoadConfig(state, paths_), ConfigSource::kConfigFolder);
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{".Config.Txt.toolong1", "Config.Txt",
                                                   "Config.Txt.bak"}));
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.after);
        ASSERT_EQ(messages_.size(), c.messages);
        if (c.messages > 0) {
            EXPECT_NE(messages_[0].find("holds the FTP password"), std::string::npos);
            EXPECT_EQ(messages_[0].find("secret"), std::string::npos) << "never the password";
        }
    }
}

TEST_F(ConfigFileTest, CommaDecimalLocaleChangesNothing) {
    struct RestoreLocale {
        ~RestoreLocale() { std::setlocale(LC_ALL, "C"); }
    } restore;
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    }
    AppState s;
    LoadText(s, Join(WithLine(Golden(), 6, Line6With(3, "170.5"))));
    EXPECT_EQ(s.config.fixedFlowGpm, 100.0);  // 170.5 read whole, then clamped
    s.config.fixedFlowGpm = 5.5;
    s.config.haOffset = -0.25;
    s.config.latitude = 45.5f;
    const Lines saved = SplitLines(SavedText(s));
    EXPECT_EQ(saved.at(5), Line6With({{3, "5.500"}, {13, "-0.250"}}));
    EXPECT_EQ(saved.at(9).substr(0, 10), "45.500000,");
    AppState back;
    Prepare(back);
    LoadConfig(back, paths_);
    EXPECT_EQ(back.config, s.config);
}

}  // namespace
}  // namespace brennic
