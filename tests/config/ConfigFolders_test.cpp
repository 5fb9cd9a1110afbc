#include "config/ConfigFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/TempFolder.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;

// Sets (or, with nullptr, removes) an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class ConfigFoldersTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(home_ / ".config"); }
    testing::TempFolder folder_;
    const fs::path home_ = folder_.Path();
};

TEST_F(ConfigFoldersTest, ConfigFolder) {
    ScopedEnv home("HOME", home_.c_str());
    const std::string h = home_.string();
    const struct {
        const char* xdg;
        std::optional<std::string> override;
        std::string expected;
    } cases[] = {
        {nullptr, std::nullopt, h + "/.config/brennic"},
        {"relative/cfg", std::nullopt, h + "/.config/brennic"},
        {"/etc/xdg-user/", std::nullopt, "/etc/xdg-user/brennic"},
        {"/etc/xdg-user", std::string("/srv/brennic-two/"), "/srv/brennic-two"},
        {nullptr, std::string("two/cfg"), (fs::current_path() / "two/cfg").string()},
    };
    for (const auto& c : cases) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(ResolveConfigFolder("brennic", c.override), c.expected)
            << (c.xdg ? c.xdg : "(unset)");
    }
}

TEST_F(ConfigFoldersTest, DataFolderFollowsTheUserDirsFile) {
    ScopedEnv home("HOME", home_.c_str());
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    const std::string h = home_.string();
    const struct {
        const char* file;  // nullptr: no user-dirs.dirs
        std::string expected;
    } cases[] = {
        {nullptr, h + "/Documents/brennic"},
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
         h + "/Dokumente/brennic"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Files\\\"\"\n", h + "/My \"Files\"/brennic"},
        {"XDG_DOCUMENTS_DIR=\"relative\"\n", h + "/Documents/brennic"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", h + "/brennic"},
    };
    for (const auto& c : cases) {
        fs::remove(home_ / ".config" / "user-dirs.dirs");
        if (c.file != nullptr) {
            std::ofstream(home_ / ".config" / "user-dirs.dirs") << c.file;
        }
        EXPECT_EQ(ResolveDataFolder("brennic"), c.expected) << (c.file ? c.file : "(no file)");
    }
}

TEST_F(ConfigFoldersTest, CreatesTheWholePathPrivately) {
    const fs::path deep = home_ / "a" / "b" / "c";
    EXPECT_TRUE(CreateFolderPath(deep.string()));
    EXPECT_TRUE(CreateFolderPath(deep.string()));  // existing: no error
    struct stat st {};
    ASSERT_EQ(::stat((home_ / "a").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::ofstream(home_ / "file") << "x";
    EXPECT_FALSE(CreateFolderPath((home_ / "file" / "sub").string()));
    EXPECT_FALSE(CreateFolderPath(""));
}

}  // namespace
}  // namespace brennic
