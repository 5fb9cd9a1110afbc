#pragma once

#include <string>
#include "cli/CommandLine.h"

namespace brennic {

// brennic --report day|month|year [--from DATE] [--to DATE] [--format table|csv|json]
// [--plot FILE.png|FILE.svg]: reads the history store at `storePath`, prints the report
// to standard output and draws the chart. A PNG is painted offscreen with a QGuiApplication
// of its own, so call this before any Qt application exists. Returns 0, 1 when the store or
// the plot file fails, 2 for bad options. Main thread.
int RunReportCommand(const std::string& storePath, const CommandLine& options);

}  // namespace brennic
