#include "station/StationSnapshotBuild.h"

#include "core/AppState.h"
#include "display/StatusText.h"

namespace brennic {

void BuildSnapshot(const AppState& state, const StationLinks& links, const WebCounters& web,
                   std::time_t lastLineTime, std::time_t now, StationSnapshot& out) {
    const ProcessorState& p = state.processor;
    out.taken = now;
    out.lastLineTime = lastLineTime;
    out.current = p.current;
    out.stats = p.stats;
    out.collectorPump = p.collectorPump;
    out.haPump = p.haPump;
    out.collectorHeat = p.collectorHeat;
    out.haHeat = p.haHeat;
    out.oneWire = state.oneWire;
    out.sampleCount = p.sampleCount;
    out.savedSamples = p.history.Count();
    out.receivedLines = p.receivedLines;
    out.openSensors = p.openSensors;
    out.dataErrors = p.dataErrors;
    out.samplesLogged = state.dailyLog.samplesLogged;
    out.sampleSaved = p.newSample;
    out.reportLine1 = p.reportLine1;
    out.reportLine2 = p.reportLine2;
    out.heatUnits = state.config.heatUnits;
    out.oneWireEnabled = state.config.oneWireEnable != 0;
    out.siteId = state.config.siteId;
    out.differential = p.differential;
    out.highLimit = p.highLimit;
    out.controllerType = state.config.controllerType;
    out.status = state.config.status;
    out.links = links;
    out.web = web;

    DisplayStatus status;
    status.links.comActive = links.comRunning;
    status.links.oneWireActive = links.oneWireOpen;
    status.links.oneWireTimeouts = links.oneWireTimeouts;
    status.serialTerminating = links.serialTerminating;
    status.serialTimeouts = links.serialTimeouts;
    status.oneWirePackets = links.oneWirePackets;
    status.webUploads = web.uploads;
    status.webErrors = web.errors;
    auto& l = out.statusLines;
    l[StatusLines::kTime] = TimeLine(state.config, p, status, now, DisplayFlux(state.config, now));
    if (DataReceived(p)) {
        l[StatusLines::kLastData] = LastDataLine(p);
        l[StatusLines::kHighLimit] = HighLimitLine(p);
        l[StatusLines::kPump] = PumpLine(p, state.channels);
        l[StatusLines::kHaPump] = HaPumpLine(p, state.channels);
        l[StatusLines::kSamples] =
            SamplesLine(state.config, p, state.dailyLog.samplesLogged, status);
    }
}

std::string StatusSummary(const StationSnapshot& s) {
    if (s.links.reconnecting) {
        return Format("waiting for the serial port, %d samples", s.sampleCount);
    }
    if (s.lastLineTime == 0) {
        return s.links.comRunning ? "running, no data yet" : "stopped";
    }
    const long long age = static_cast<long long>(s.taken - s.lastLineTime);
    std::string line = Format("%d samples, last line %llds ago", s.sampleCount, age);
    if (IsReading(s.current[kSlotCollector])) {
        line += Format(", collector %.1f F", static_cast<double>(s.current[kSlotCollector]));
    }
    return line;
}

}  // namespace brennic
