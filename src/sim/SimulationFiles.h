#pragma once

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "config/GlycolTable.h"
#include "sim/InstallationParameters.h"

namespace brennic {

// Files of the simulated installation that Brennic's replays read back: a controller Data
// Recorder file, Brennic's own daily log, or a terminal capture of the controller's lines.
enum class SimulationFormat { kDataRecorder, kOwnLog, kCapture };

struct SimulationOptions {
    InstallationParameters parameters;
    std::time_t start = 0;  // the first report; the model settles for a day before it
    int days = 1;
    int interval = 60;  // seconds between reports
    SimulationFormat format = SimulationFormat::kDataRecorder;
    // Line form of the own log and the capture (0, 1, 2); a Data Recorder file always holds
    // positional lines, as its header describes.
    int model = 0;
};

// "datarecorder", "log" or "capture".
std::optional<SimulationFormat> SimulationFormatByName(const std::string& name);

// Writes the whole file to `out`. The own log is written by Brennic's own log writer from
// the processor's live road, with One-Wire columns, settings matching the model (controller
// model, flows, glycol). Returns false when writing failed. Any thread; touches no shared
// state.
bool WriteSimulation(std::FILE* out, const SimulationOptions& options, const GlycolTable& glycol);

}  // namespace brennic
