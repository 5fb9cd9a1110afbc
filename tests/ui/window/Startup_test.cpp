#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <filesystem>
#include <fstream>

#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "ui/window/Startup.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;

CommandLine WithConfigDir(const std::string& dir) {
    CommandLine cl;
    cl.configDir = dir;
    return cl;
}

std::string Exe() {
    return QCoreApplication::applicationFilePath().toStdString();
}

TEST(Startup, IdentityComesFromTheExecutable) {
    const testing::TempFolder folder;
    const std::string dir = folder.File("identity");
    AppState state;
    PrepareState(state, WithConfigDir(dir), Exe());
    EXPECT_EQ(state.identity.name, "brennic_ui_tests");
    EXPECT_FALSE(state.identity.folder.empty());
    EXPECT_EQ(state.glycol.count, 6);
    EXPECT_EQ(state.testData.lineFormat, state.config.controllerType);
}

// The icon is a resource of a static library, registered only when asked for.
TEST(Startup, WindowsGetTheApplicationIcon) {
    SetApplicationIcon();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());
}

TEST(Startup, IdentityRules) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"/opt/my programs/brennic", "/opt/my programs", "brennic"},
        {"/opt/my programs/Brennic Solar.bin", "/opt/my programs", "Brennic Solar"},
        {"/usr/bin/brennic.v2.exe", "/usr/bin", "brennic.v2"},
        {"/home/u/.brennic", "/home/u", ".brennic"},
    };
    for (const auto& c : cases) {
        const ProgramIdentity id = IdentityFromPath(c.path);
        EXPECT_EQ(id.folder, c.folder) << c.path;
        EXPECT_EQ(id.name, c.name) << c.path;
    }
}

// From 11:00 to 12:00 is an hour also on the days the clocks change, before and after the
// change (Lord Howe Island moves them by half an hour).
TEST(Startup, HourLengthAcrossADaylightSavingChange) {
    const struct {
        const char* zone;
        int month, day;
    } days[] = {{"America/Chicago", 3, 8},
                {"America/Chicago", 11, 1},
                {"Australia/Lord_Howe", 10, 4},
                {"Australia/Lord_Howe", 4, 5}};
    for (const auto& d : days) {
        ScopedTimeZone zone(d.zone);
        for (int hour : {0, 3, 12, 23}) {
            EXPECT_EQ(MeasureHourLength(LocalTimeT(2009, d.month, d.day, hour, 30, 0)), 3600)
                << d.zone << " " << d.month << "/" << d.day << " " << hour << ":30";
        }
    }
}

TEST(Startup, ConfigDirOptionAndGlycolFileOfTheConfigFolder) {
    const testing::TempFolder folder;
    const std::string dir = folder.File("two");
    ASSERT_FALSE(
        fs::exists(fs::path(QCoreApplication::applicationDirPath().toStdString()) / "Glycol.txt"));
    fs::create_directories(dir);
    std::ofstream(fs::path(dir) / "Glycol.txt") << "Mine 0 100 1 0 0 0 0 0 0 0 0 0\n";
    std::ofstream(fs::path(dir) / "Config.Txt") << "Version: 7\n/dev/ttyACM0 1 0\n";
    AppState state;
    EXPECT_EQ(PrepareState(state, WithConfigDir(dir), Exe()), ConfigSource::kConfigFolder);
    EXPECT_EQ(state.config.configFolder, dir);
    EXPECT_EQ(state.config.comPort, "/dev/ttyACM0");
    EXPECT_EQ(state.glycol.count, 7);
    EXPECT_EQ(state.glycol.mix[6].name, "Mine");
}

}  // namespace
}  // namespace brennic
