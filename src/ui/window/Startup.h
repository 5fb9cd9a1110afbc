#pragma once

#include <QApplication>
#include <string>

#include "cli/CommandLine.h"
#include "cli/Windowless.h"
#include "config/ConfigFile.h"
#include "history/HistorySettings.h"
#include "ui/window/FontWarmUp.h"
#include "ui/window/MainWindow.h"

namespace brennic {

// Seconds between local 11:00 and 12:00 of the day of `now` (3600 unless that hour holds a
// daylight-saving change).
int MeasureHourLength(std::time_t now);

// The message hook of the window program: a message box on the main thread (a worker thread
// waits for it), standard error when there is no display.
MessageHook QtMessageHook();

// RunWindowless with PNG plots painted by Qt (WritePngPlot): before any Qt application
// object exists. Returns the exit code.
int RunWindowless(const CommandLine& options, const std::string& executablePath);

// How the window is set up for the command line: the demo shows no first-run help and says
// in its caption that its data are simulated.
MainWindowOptions WindowOptionsFor(const CommandLine& options, ConfigSource source);

// Gives every window of the application Brennic's icon. Main thread, after the QApplication.
void SetApplicationIcon();

// The window program: start-up, main window, event loop. `executablePath` names the
// program for its identity (the command the user ran); `fonts`, when given, is waited for
// before the window is built. Returns the exit code.
int RunBrennic(QApplication& app, const CommandLine& options, const std::string& executablePath,
               FontWarmUp* fonts = nullptr);

}  // namespace brennic
