#pragma once

#include <string>

#include "cli/CommandLine.h"
#include "history/ReportCommand.h"

namespace brennic {

// Draws the chart of `report` into the PNG `file`, offscreen with a QGuiApplication of its
// own when none exists (so call it before any Qt application exists). Main thread.
int WritePngPlot(const EnergyReport& report, const std::string& file);

// RunReportCommand with PNG plots painted by WritePngPlot.
int RunReportCommand(const std::string& storePath, const CommandLine& options);

}  // namespace brennic
