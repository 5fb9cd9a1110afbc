#pragma once

#include <functional>
#include <string>

#include "cli/CommandLine.h"
#include "history/HistoryReport.h"

namespace brennic {

// Draws the chart of `report` as a PNG into `file`; returns 0 or 1 (reported on standard
// error). The window program paints it with Qt.
using PngPlotFn = std::function<int(const EnergyReport& report, const std::string& file)>;

// brennic --report day|month|year [--from DATE] [--to DATE] [--format table|csv|json]
// [--plot FILE.png|FILE.svg]: reads the history store at `storePath`, prints the report
// to standard output and draws the chart (an SVG here, a PNG through `pngPlot`). Returns 0,
// 1 when the store or the plot file fails, 2 for bad options. Main thread.
int RunReportCommand(const std::string& storePath, const CommandLine& options,
                     const PngPlotFn& pngPlot);

// Whether the command line asks for a PNG plot.
bool WantsPngPlot(const CommandLine& options);

}  // namespace brennic
