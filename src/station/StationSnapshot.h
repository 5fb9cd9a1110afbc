#pragma once

#include <array>
#include <cstddef>
#include <ctime>
#include <string>

#include "core/Channels.h"
#include "core/DisplayRecords.h"
#include "core/ProcessorState.h"
#include "core/Sample.h"
#include "web/WebCounters.h"

namespace brennic {

// The links as the station sees them. Plain values; any thread may read a copy.
struct StationLinks {
    bool comRunning = false;         // the serial reader runs (live or test data)
    bool testData = false;           // ... and synthesises test data
    bool serialTerminating = false;  // asked to stop, not yet ended
    bool reconnecting = false;       // the service lost the port and retries it
    int serialTimeouts = 0;          // read time-outs since the last start
    bool oneWireOpen = false;
    int oneWirePackets = 0;   // replies received since the link opened
    int oneWireTimeouts = 0;  // timer ticks that found the readings stale
};

// An owned copy of what the station knows after one event: the current sample and its
// statistics, pumps, heat, counters, links and the status lines. Built on the station's
// thread under the StateLock and handed to every observer; immutable afterwards, so
// observers keep it and read it on their own threads without any lock.
struct StationSnapshot {
    std::time_t taken = 0;         // system clock when the snapshot was built
    std::time_t lastLineTime = 0;  // system clock of the last controller line (0: none yet)
    Sample current;                // the current sample (°F, GPM, BTU per second)
    ChannelStats stats;            // maximum, minimum, day max, day min
    PumpStats collectorPump;
    PumpStats haPump;
    HeatTotals collectorHeat;  // BTU, BTU per second
    HeatTotals haHeat;
    OneWireReadings oneWire;
    int sampleCount = 0;
    std::size_t savedSamples = 0;  // samples in the chart history
    int receivedLines = 0;
    int openSensors = 0;
    int dataErrors = 0;
    int samplesLogged = 0;     // sample records written to the daily log since start
    bool sampleSaved = false;  // this sample went into the chart history
    std::string reportLine1;   // the controller's last report
    std::string reportLine2;
    int heatUnits = 0;  // Config heatUnits: 0 BTU, 1 kWh
    bool oneWireEnabled = false;
    std::string siteId;
    // What the health alerts compare against: the controller's differential and high limit
    // as it reports them (°F, 0 until reported), the model and the channels listed in the
    // status (Config::status).
    float differential = 0.0f;
    float highLimit = 0.0f;
    int controllerType = 0;
    ChannelFlags status{};
    StationLinks links;
    WebCounters web;
    // The display's status lines (time, last data, high limit, pumps, samples), as the
    // window would draw them for this moment; empty lines before data was received.
    std::array<std::string, StatusLines::kCount> statusLines;
};

}  // namespace brennic
