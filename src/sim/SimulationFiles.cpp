#include "sim/SimulationFiles.h"

#include <cstring>
#include <memory>

#include "core/AppState.h"
#include "core/LocalTime.h"
#include "core/MessageProcessor.h"
#include "sim/ControllerLines.h"
#include "sim/Installation.h"

namespace brennic {

namespace {

constexpr std::time_t kDay = 24 * 3600;

// Runs the model over the options' period and hands every report to `emit`.
template <typename Emit>
void RunReports(const SimulationOptions& o, const GlycolTable& glycol, Emit emit) {
    Installation model(o.parameters, glycol, o.start - kDay);
    const std::time_t step = o.interval > 0 ? o.interval : 1;
    const std::time_t end = o.start + static_cast<std::time_t>(o.days) * kDay;
    for (std::time_t t = o.start; t < end; t += step) {
        model.AdvanceTo(t);
        emit(model.Read());
    }
}

// The controller's clock does not follow daylight saving time: every record carries the
// offset the file started with, as its header declares.
bool WriteDataRecorder(std::FILE* out, const SimulationOptions& o, const GlycolTable& glycol) {
    std::tm first{};
    if (!ToLocalTime(o.start, first)) {
        return false;
    }
    const long offset = first.tm_gmtoff;
    std::fprintf(out,
                 "DATE       CST      %sRUNTIME COLL-T  STOR-T  DIFF-T  HILI-T   AUX-1  "
                 "AUX-2  PUMP UPLim FAULT  \n",
                 first.tm_isdst > 0 ? "+DST " : "");
    RunReports(o, glycol, [&](const InstallationReading& r) {
        const std::time_t shifted = r.time + offset;
        std::tm f{};
        gmtime_r(&shifted, &f);
        std::string line = ControllerLines(r, 0)[0];
        // The first column of a recorder line is the pump's run time, not the clock.
        char runtime[32];
        std::snprintf(runtime, sizeof runtime, "%02d:%02d", r.pumpMinutes / 60, r.pumpMinutes % 60);
        line.replace(0, line.find(' '), runtime);
        std::fprintf(out, "%02d/%02d/%04d %02d:%02d:%02d %s\n", f.tm_mon + 1, f.tm_mday,
                     f.tm_year + 1900, f.tm_hour, f.tm_min, f.tm_sec, line.c_str());
    });
    return true;
}

bool WriteCapture(std::FILE* out, const SimulationOptions& o, const GlycolTable& glycol) {
    RunReports(o, glycol, [&](const InstallationReading& r) {
        for (const std::string& line : ControllerLines(r, o.model)) {
            std::fprintf(out, "%s\n", line.c_str());
        }
    });
    return true;
}

bool WriteOwnLog(std::FILE* out, const SimulationOptions& o, const GlycolTable& glycol) {
    auto state = std::make_unique<AppState>();
    state->glycol = glycol;
    Config& c = state->config;
    c.controllerType = o.model;
    c.fixedFlowGpm = o.parameters.flowGpm;
    c.haFlowGpm = o.parameters.heatAssistGpm;
    c.solarGlycolMix = o.parameters.glycolMix;
    c.solarGlycolPercent = o.parameters.glycolPercent;
    c.haGlycolMix = o.parameters.heatAssistGlycolMix;
    c.haGlycolPercent = o.parameters.heatAssistGlycolPercent;
    c.oneWireEnable = 1;
    c.logData = 1;
    c.logEveryNth = 1;
    c.newLogAtMidnight = 0;
    c.summaryEnable = 0;
    c.logQmxData = 0;
    StateGuard guard(state->lock);
    ResetStatistics(*state, o.start);
    // The writer appends whole records to a real file's descriptor, so it writes to a
    // scratch file that is then copied to the output (which may be a memory stream).
    std::FILE* scratch = std::tmpfile();
    if (scratch == nullptr) {
        return false;
    }
    state->dailyLog.file = scratch;
    RunReports(o, glycol, [&](const InstallationReading& r) {
        state->oneWire.currentValues = r.oneWire;
        state->oneWire.switchState = r.heatAssistPump ? 1 : 0;
        for (const std::string& line : ControllerLines(r, o.model)) {
            ProcessLiveLine(*state, line, r.time);
        }
    });
    bool ok = state->config.logData != 0;
    state->dailyLog.file = nullptr;
    std::rewind(scratch);
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, scratch)) > 0) {
        ok = std::fwrite(buffer, 1, n, out) == n && ok;
    }
    std::fclose(scratch);
    return ok;
}

}  // namespace

std::optional<SimulationFormat> SimulationFormatByName(const std::string& name) {
    if (name == "datarecorder") {
        return SimulationFormat::kDataRecorder;
    }
    if (name == "log") {
        return SimulationFormat::kOwnLog;
    }
    if (name == "capture") {
        return SimulationFormat::kCapture;
    }
    return std::nullopt;
}

bool WriteSimulation(std::FILE* out, const SimulationOptions& options, const GlycolTable& glycol) {
    bool ok = false;
    switch (options.format) {
        case SimulationFormat::kDataRecorder:
            ok = WriteDataRecorder(out, options, glycol);
            break;
        case SimulationFormat::kOwnLog:
            ok = WriteOwnLog(out, options, glycol);
            break;
        case SimulationFormat::kCapture:
            ok = WriteCapture(out, options, glycol);
            break;
    }
    return std::fflush(out) == 0 && !std::ferror(out) && ok;
}

}  // namespace brennic
