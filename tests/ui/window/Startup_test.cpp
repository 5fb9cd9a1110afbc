#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>

#include "ui/window/Startup.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;

fs::path TempRoot() {
    return fs::temp_directory_path() / ("brennic_startup_" + std::to_string(::getpid()));
}

std::string TempConfigDir(const char* name) {
    const fs::path dir = TempRoot() / name;
    fs::remove_all(dir);
    return dir.string();
}

// Removes the temporary folders after the last test of the suite.
class StartupCleanup : public ::testing::Environment {
  public:
    void TearDown() override { fs::remove_all(TempRoot()); }
};
const auto* const kCleanup = ::testing::AddGlobalTestEnvironment(new StartupCleanup);

CommandLine WithConfigDir(const std::string& dir) {
    CommandLine cl;
    cl.configDir = dir;
    return cl;
}

std::string Exe() {
    return QCoreApplication::applicationFilePath().toStdString();
}

TEST(Startup, IdentityComesFromTheExecutable) {
    const std::string dir = TempConfigDir("identity");
    AppState state;
    PrepareState(state, WithConfigDir(dir), Exe());
    EXPECT_EQ(state.identity.name, "brennic_ui_tests");
    EXPECT_FALSE(state.identity.folder.empty());
    EXPECT_EQ(state.glycol.count, 6);
    EXPECT_EQ(state.testData.lineFormat, state.config.controllerType);
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

TEST(Startup, HourLengthAcrossADaylightSavingChange) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    // Lord Howe Island moves its clocks by half an hour at 02:00; Chicago never at 11:00.
    setenv("TZ", "America/Chicago", 1);
    tzset();
    EXPECT_EQ(MeasureHourLength(1243865130), 3600);
    if (old) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST(Startup, ConfigDirOptionAndGlycolFileOfTheConfigFolder) {
    const std::string dir = TempConfigDir("two");
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
