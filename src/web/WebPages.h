#pragma once

#include <ctime>
#include <string>

#include "core/Channels.h"
#include "core/Sample.h"

namespace brennic {

struct AppState;

// What the links report about themselves; the shell supplies it (the links own these values).
struct LinkStatus {
    bool comActive = false;      // the serial link is active
    bool oneWireActive = false;  // the One-Wire link is active
    int oneWireTimeouts = 0;     // One-Wire time-out count
};

// Everything the two pages print, copied out of the shared state in one go so that the pages
// can be built (and sent over a slow network) without holding the StateLock.
struct PageSnapshot {
    std::string siteId;
    int intervalMinutes = 1;
    int oneWireEnable = 0;
    int uploadNumber = 0;  // "ftpsample": the publisher's upload counter after its increment
    std::tm localNow{};    // local time of the publication (test time offset included)
    LinkStatus links;

    Sample current;
    ChannelStats stats;
    std::time_t firstSampleTime = 0;
    PumpStats collectorPump;
    PumpStats haPump;
    HeatTotals collectorHeat;
    HeatTotals haHeat;
    int sampleCount = 0;
    int samplesSaved = 0;
    int samplesLogged = 0;
    int openSensors = 0;
    int dataErrors = 0;
    ChannelTable channels;
};

// Copies what the pages need out of four records of the state (settings, processor, channels,
// daily log). `now` is the time of the publication (converted to local time here). Caller
// holds the StateLock; any thread.
PageSnapshot TakePageSnapshot(const AppState& state, const LinkStatus& links, int uploadNumber,
                              std::time_t now);

// The contents of BRN_Stats.htm and BRN_Probes.htm, byte for byte, lines ending in "\n".
// Pure functions of the snapshot; no lock needed, any thread.
std::string WriteStatsPage(const PageSnapshot& s);
std::string WriteProbesPage(const PageSnapshot& s);

// printf-style "%<width>.<precision>f" that ignores the C locale (always a decimal point).
std::string FormatFixed(double value, int precision, int width = 0);

}  // namespace brennic
