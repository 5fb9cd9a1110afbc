// brennic-window: the window program, started by the brennic command (src/cli/main.cpp) for
// the window, the demo, pictures, PNG plots and the service.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BuildInfo.h"
#include "cli/CommandLine.h"
#include "cli/WindowProgram.h"
#include "core/CoreDumps.h"
#include "ui/service/Headless.h"
#include "ui/window/FontWarmUp.h"
#include "ui/window/Startup.h"

int main(int argc, char** argv) {
    brennic::KeepSecretsOutOfCoreDumps();
    std::vector<std::string> args(argv + 1, argv + argc);
    brennic::CommandLine options;
    const std::string name = std::filesystem::path(argv[0]).stem().string();
    if (const auto error = brennic::ParseCommandLine(args, options)) {
        std::fprintf(stderr, "%s\n%s", error->c_str(), brennic::CommandLineHelp(name).c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(brennic::CommandLineHelp(name).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s %s\n", name.c_str(), brennic::kVersion);
        return 0;
    }
    // Started by the brennic command: the program is known by that command's path.
    std::string exe;
    if (const char* front = std::getenv(brennic::kFrontPathVariable)) {
        exe = front;
        unsetenv(brennic::kFrontPathVariable);
    } else {
        exe = brennic::ExecutablePath(argv[0]);
    }
    if (options.headless) {
        return brennic::RunHeadless(argc, argv, options, exe);
    }
    if (brennic::IsWindowless(options)) {
        return brennic::RunWindowless(options, exe);
    }
    // A picture or pages need no screen: without a display they are rendered offscreen.
    const bool endsByItself = !options.screenshotFile.empty() || !options.writePagesDir.empty();
    if (endsByItself && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    brennic::FontWarmUp fonts;  // while Qt starts
    QApplication app(argc, argv);
    const int result = brennic::RunBrennic(app, options, exe, &fonts);
    if (endsByItself) {
        // The window, its station and logs are closed and the files written; Qt's own
        // teardown (fonts, plugins, its libraries) is all that is left, and a picture run has
        // no clipboard to hand over. A window run keeps it.
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
