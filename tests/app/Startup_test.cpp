#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>

#include "app/Startup.h"

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

TEST(Startup, IdentityComesFromTheExecutable) {
    const std::string dir = TempConfigDir("identity");
    AppState state;
    ASSERT_TRUE(PrepareState(state, {"brennic", "--config-dir", QString::fromStdString(dir)}));
    EXPECT_EQ(state.identity.name, "brennic_ui_tests");
    EXPECT_FALSE(state.identity.folder.empty());
    EXPECT_EQ(state.glycol.count, 6);
}

TEST(Startup, ConfigDirOptionAndGlycolFileOfTheConfigFolder) {
    const std::string dir = TempConfigDir("two");
    ASSERT_FALSE(
        fs::exists(fs::path(QCoreApplication::applicationDirPath().toStdString()) / "Glycol.txt"));
    fs::create_directories(dir);
    std::ofstream(fs::path(dir) / "Glycol.txt") << "Mine 0 100 1 0 0 0 0 0 0 0 0 0\n";
    std::ofstream(fs::path(dir) / "Config.Txt") << "Version: 7\n/dev/ttyACM0 1 0\n";
    AppState state;
    ASSERT_TRUE(PrepareState(state, {"brennic", "--config-dir", QString::fromStdString(dir)}));
    EXPECT_EQ(state.config.configFolder, dir);
    EXPECT_EQ(state.config.comPort, "/dev/ttyACM0");
    EXPECT_EQ(state.glycol.count, 7);
    EXPECT_EQ(state.glycol.mix[6].name, "Mine");
}

TEST(Startup, ConfigDirOptionWithoutAFolderEndsTheProgram) {
    AppState state;
    EXPECT_FALSE(PrepareState(state, {"brennic", "--config-dir"}));
}

}  // namespace
}  // namespace brennic
