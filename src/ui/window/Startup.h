#pragma once

#include <QApplication>
#include <string>

#include "cli/CommandLine.h"
#include "config/ConfigFile.h"
#include "core/AppState.h"
#include "history/HistorySettings.h"
#include "ui/window/MainWindow.h"

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

// Seconds between local 11:00 and 12:00 of the day of `now` (3600 unless that hour holds a
// daylight-saving change).
int MeasureHourLength(std::time_t now);

// The message hook of the window program: a message box on the main thread (a worker thread
// waits for it), standard error when there is no display.
MessageHook QtMessageHook();

// Commands that need no window (--sun, a replay without --screenshot): run with plain C++
// only, before any Qt application object exists. Returns the exit code.
int RunWindowless(const CommandLine& options, const std::string& executablePath);

// The replay the command line asks for, printing its JSON report; 0 when none is asked for.
int RunReplay(AppState& state, const CommandLine& options);

// Whether the command line asks only for a windowless command.
bool IsWindowless(const CommandLine& options);

// How the window is set up for the command line: the demo shows no first-run help and says
// in its caption that its data are simulated.
MainWindowOptions WindowOptionsFor(const CommandLine& options, ConfigSource source);

// The window program: start-up, main window, event loop. Returns the exit code.
int RunBrennic(QApplication& app, const CommandLine& options);

}  // namespace brennic
