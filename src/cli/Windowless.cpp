#include "cli/Windowless.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <optional>

#include "BuildInfo.h"
#include "history/ImportCommand.h"
#include "history/ReportCommand.h"
#include "links/TestDataSettings.h"
#include "replay/ReplayCommand.h"
#include "sun/SunCommand.h"
#include "web/WritePagesCommand.h"

namespace brennic {

HistorySettings PrepareHistorySettings(AppState& state, const CommandLine& options) {
    std::optional<std::string> configDir;
    if (!options.configDir.empty()) {
        configDir = options.configDir;
    }
    const ConfigPaths paths = ResolveConfigPaths(state.identity, configDir);
    std::vector<std::string> problems;
    HistorySettings settings = LoadHistorySettings(paths.configFolder + "/brennic.toml", problems);
    for (const std::string& problem : problems) {
        state.showMessage(problem, "brennic.toml");
    }
    settings.path = HistoryStorePath(settings, state.config.dataFolder);
    return settings;
}

ProgramIdentity IdentityFromPath(const std::string& executablePath) {
    const std::filesystem::path path(executablePath);
    ProgramIdentity id;
    id.folder = path.parent_path().string();
    const std::string file = path.filename().string();
    // The extension is cut at the last '.', when there is one after the first character.
    const auto dot = file.rfind('.');
    id.name = (dot != std::string::npos && dot > 0) ? file.substr(0, dot) : file;
    id.version = kVersion;
    return id;
}

ConfigSource PrepareState(AppState& state, const CommandLine& options,
                          const std::string& executablePath) {
    state.identity = IdentityFromPath(executablePath);
    // An installed program keeps its help pages and Glycol.txt in <prefix>/share/brennic.
    {
        std::error_code ec;
        const std::filesystem::path shared =
            std::filesystem::path(state.identity.folder) / ".." / "share" / state.identity.name;
        if (!std::filesystem::exists(state.identity.folder + "/help", ec) &&
            std::filesystem::exists(shared / "help", ec)) {
            state.identity.folder = std::filesystem::weakly_canonical(shared, ec).string();
        }
    }
    std::optional<std::string> configDir;
    if (!options.configDir.empty()) {
        configDir = options.configDir;
    }
    const ConfigPaths paths = ResolveConfigPaths(state.identity, configDir);

    // The program folder is usually not writable on Linux, so a Glycol.txt of the user's
    // own may sit in the configuration folder instead.
    std::string glycol = state.identity.folder + "/Glycol.txt";
    std::error_code ec;
    if (!std::filesystem::exists(glycol, ec)) {
        glycol = paths.configFolder + "/Glycol.txt";
    }
    LoadGlycolTable(state.glycol, glycol);
    const ConfigSource source = LoadConfig(state, paths);
    state.testData = DefaultTestDataSettings(state.config.controllerType);
    return source;
}

int RunReplay(AppState& state, const CommandLine& options) {
    ReplayOptions replay;
    if (!options.replayDataRecorder.empty()) {
        replay.kind = ReplayOptions::Kind::kDataRecorder;
        replay.file = options.replayDataRecorder;
    } else if (!options.replayLog.empty()) {
        replay.kind = ReplayOptions::Kind::kOwnLog;
        replay.file = options.replayLog;
    } else if (!options.replayCapture.empty()) {
        replay.kind = ReplayOptions::Kind::kCapture;
        replay.file = options.replayCapture;
        replay.start = options.start;
        replay.interval = options.interval;
    } else {
        return 0;
    }
    replay.from = options.from;
    replay.to = options.to;
    replay.fastAccess = options.fastAccess;
    return RunReplayCommand(state, replay, std::cout, std::cerr);
}

bool IsWindowless(const CommandLine& options) {
    return !options.sunTime.empty() || (options.AnyReplay() && options.screenshotFile.empty()) ||
           !options.importFiles.empty() || !options.report.empty();
}

bool RunsWithoutWindowLibraries(const CommandLine& options) {
    return !options.headless && IsWindowless(options) &&
           (options.report.empty() || !WantsPngPlot(options));
}

int RunWindowless(const CommandLine& options, const std::string& executablePath,
                  const PngPlotFn& pngPlot) {
    AppState state;
    // No window: messages go to standard error.
    state.showMessage = StderrMessageHook();
    PrepareState(state, options, executablePath);
    if (!options.sunTime.empty()) {
        return RunSunCommand(state.config, options.sunTime, std::cout, std::cerr);
    }
    const HistorySettings history = PrepareHistorySettings(state, options);
    if (!options.importFiles.empty()) {
        ImportOptions import;
        import.files = options.importFiles;
        import.start = options.start;
        import.interval = options.interval > 0 ? options.interval : -1;
        import.storePath = history.path;
        import.minuteRetentionDays = history.minuteRetentionDays;
        import.terminal = ::isatty(STDERR_FILENO) != 0;
        const int result = RunImportCommand(state, import, std::cout, std::cerr, std::cerr);
        if (result != 0 || options.report.empty()) {
            return result;
        }
    }
    if (!options.report.empty()) {
        return RunReportCommand(history.path, options, pngPlot);
    }
    const int result = RunReplay(state, options);
    if (result != 0 || options.writePagesDir.empty()) {
        return result;
    }
    return WritePagesCommand(state, options.writePagesDir);
}

}  // namespace brennic
