// brennic, the command the user runs. The windowless commands (replays and their pages, --sun,
// --import, --report, --help, --version) run here in plain C++ and start in a few
// milliseconds; the window, the demo, pictures, PNG plots and the service go on in the window
// program, which takes over this process.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BuildInfo.h"
#include "cli/CommandLine.h"
#include "cli/WindowProgram.h"
#include "cli/Windowless.h"
#include "core/CoreDumps.h"

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
    const std::string exe = brennic::ExecutablePath(argv[0]);
    if (brennic::RunsWithoutWindowLibraries(options)) {
        return brennic::RunWindowless(options, exe, {});
    }
    return brennic::StartWindowProgram(exe, argv);
}
