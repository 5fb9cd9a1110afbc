#pragma once

#include <ctime>
#include <string>

#include "cli/CommandLine.h"
#include "config/ConfigFile.h"
#include "core/AppState.h"
#include "history/HistorySettings.h"
#include "history/ReportCommand.h"

namespace brennic {

// Identity from the executable path: the folder and the file name without its extension.
// A name without extension is kept whole.
ProgramIdentity IdentityFromPath(const std::string& executablePath);

// Start-up up to the main window: identity (from `executablePath`), glycol table,
// configuration, test-data defaults. Main thread, before any other thread exists.
ConfigSource PrepareState(AppState& state, const CommandLine& options,
                          const std::string& executablePath);

// The [history] settings from brennic.toml in the configuration folder, with the store's
// path resolved (problems shown through state.showMessage). Main thread, after PrepareState.
HistorySettings PrepareHistorySettings(AppState& state, const CommandLine& options);

// The replay the command line asks for, printing its JSON report; 0 when none is asked for.
int RunReplay(AppState& state, const CommandLine& options);

// Whether the command line asks only for a windowless command (--sun, a replay without
// --screenshot and its pages, --import, --report).
bool IsWindowless(const CommandLine& options);

// Whether the windowless command line can run without the window program's libraries:
// everything but a PNG plot, which is painted with Qt.
bool RunsWithoutWindowLibraries(const CommandLine& options);

// Windowless commands with plain C++ only, before any Qt application object exists.
// `pngPlot` draws a --plot PNG of a report (see RunReportCommand); without it such a
// command line must not come here. Returns the exit code. Main thread.
int RunWindowless(const CommandLine& options, const std::string& executablePath,
                  const PngPlotFn& pngPlot);

}  // namespace brennic
