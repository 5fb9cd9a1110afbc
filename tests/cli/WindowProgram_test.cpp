#include "cli/WindowProgram.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/FtpTestServer.h"
#include "support/TempFolder.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;

void MakeProgram(const fs::path& path) {
    fs::create_directories(path.parent_path());
    test::WriteFile(path, "#!/bin/sh\n");
    fs::permissions(path, fs::perms::owner_all);
}

// The window program is found beside the command (a build folder) before the libexec folder
// of an installed one; a file that cannot be run does not count.
TEST(WindowProgram, IsFoundBesideTheCommandOrInLibexec) {
    struct Case {
        const char* name;
        bool beside;
        bool libexec;
        bool runnable;
        const char* expected;  // relative to the scratch folder; "" for none
    };
    const Case cases[] = {
        {"build folder", true, false, true, "bin/brennic-window"},
        {"installed", false, true, true, "libexec/brennic/brennic-window"},
        {"both", true, true, true, "bin/brennic-window"},
        {"neither", false, false, true, ""},
        {"not runnable", false, true, false, ""},
    };
    for (const Case& c : cases) {
        testing::TempFolder scratch;
        const fs::path root = scratch.Path();
        MakeProgram(root / "bin" / "brennic");
        if (c.beside) {
            MakeProgram(root / "bin" / kWindowProgramName);
        }
        if (c.libexec) {
            MakeProgram(root / "libexec" / "brennic" / kWindowProgramName);
            if (!c.runnable) {
                fs::permissions(root / "libexec" / "brennic" / kWindowProgramName,
                                fs::perms::owner_read | fs::perms::owner_write);
            }
        }
        const std::string expected =
            *c.expected == '\0' ? "" : (root / c.expected).lexically_normal().string();
        EXPECT_EQ(FindWindowProgram((root / "bin" / "brennic").string()), expected) << c.name;
    }
}

// The windowless commands of the built command: their results, and not one Qt library in the
// dynamic loader's account of what it loaded (LD_DEBUG=libs).
TEST(WindowProgram, WindowlessCommandsLoadNoQtLibrary) {
    testing::TempFolder scratch;
    const std::string records =
        scratch.Write("records.txt",
                      "DATE CST\n"
                      "06/01/2009 12:00:00 04:05 150.5 120.0 12.0 180.0 57.4 57.2 ON OFF\n"
                      "06/01/2009 12:00:02 04:05 150.7 120.1 12.0 180.0 57.4 57.2 ON OFF\n");
    struct Case {
        std::string args;
        int exitCode;
        std::string output;  // a piece of standard output
    };
    const Case cases[] = {
        {"--version", 0, "brennic "},
        {"--help", 0, "--replay-datarecorder"},
        {"--sun '2009-06-21 12:00:00'", 0, ""},
        {"--replay-datarecorder " + records, 0, "\"records\": 2"},
        {"--replay-datarecorder " + records + " --write-pages " + scratch.File("pages"), 0,
         "\"records\": 2"},
        {"--report day --format csv", 1, ""},  // no history store yet
        {"--bogus", 2, ""},
    };
    for (const Case& c : cases) {
        const std::string out = scratch.File("out.txt");
        const std::string err = scratch.File("err.txt");
        // Its own home: a history store in the user's data folder must not answer the report.
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME HOME=" + scratch.File("home") +
            " LD_DEBUG=libs " + std::string(BRENNIC_BINARY_DIR) + "/brennic --config-dir " +
            scratch.File("config") + " " + c.args + " >" + out + " 2>" + err;
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.args;
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.args;
        EXPECT_NE(test::ReadAll(out).find(c.output), std::string::npos) << c.args;
        const std::string loader = test::ReadAll(err);
        EXPECT_NE(loader.find("libc.so.6"), std::string::npos) << c.args;  // LD_DEBUG worked
        EXPECT_EQ(loader.find("libQt"), std::string::npos) << c.args;
    }
    EXPECT_TRUE(fs::exists(scratch.Path() / "pages" / "BRN_Stats.htm"));
}

}  // namespace
}  // namespace brennic
