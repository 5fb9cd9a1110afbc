#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "config/Config.h"
#include "core/Channels.h"
#include "core/ProcessorState.h"
#include "web/WebPages.h"

namespace brennic {

struct AppState;

// The texts of the main display's status block and value table. Plain string work, so the
// tests can check them character for character. Every function: main thread (or any thread
// holding the StateLock); the caller holds the StateLock.

// What the status lines show of the links and the web publisher. Those records belong to
// the links and the publisher; the main window fills this for each render.
struct DisplayStatus {
    LinkStatus links;                // serial and One-Wire link state, as the web pages show it too
    bool serialTerminating = false;  // the reader thread was asked to stop and runs still
    int serialTimeouts = 0;
    int oneWirePackets = 0;
    int webUploads = 0;
    int webErrors = 0;
};

// printf into a std::string (LC_NUMERIC is "C" in the program).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Seconds from the first sample to the current sample; never negative.
double ElapsedSeconds(const ProcessorState& p);

// Collector flux (geometry factor x air-mass factor) at `now` for the configured array.
float DisplayFlux(const Config& config, std::time_t now);

// Status line 1, including the "  Flux=%4.2f" ending. `now` is the clock time shown.
std::string TimeLine(const Config& config, const ProcessorState& p, const DisplayStatus& status,
                     std::time_t now, float flux);
std::string LastDataLine(const ProcessorState& p);
std::string HighLimitLine(const ProcessorState& p);
std::string PumpLine(const ProcessorState& p, const ChannelTable& channels);
std::string HaPumpLine(const ProcessorState& p, const ChannelTable& channels);
// `samplesLogged`: the daily log writer's count of sample records written.
std::string SamplesLine(const Config& config, const ProcessorState& p, int samplesLogged,
                        const DisplayStatus& status);

// The "data received" flag: a sample was saved since the last Start or Reset, or a replay
// finished with data. Until then only the time line is shown.
inline bool DataReceived(const ProcessorState& p) {
    return p.newSample;
}

// Writes state.statusLines: the time line always, the other five once data was received. The
// one operation here that reads the whole state (settings, processor, channels, daily log).
void UpdateStatusLines(AppState& state, const DisplayStatus& status, std::time_t now, float flux);

// One value cell: "%10.1lf", or for readings that are missing "     Open" in the Current
// column and nine blanks in the others.
std::string CellText(double value, bool currentColumn);

inline constexpr std::array<const char*, 5> kTableHeadings = {"Current", "Maximum", "Minimum",
                                                              "Day Max", "Day Min"};

struct TableRow {
    std::string name;
    std::array<std::string, 5> cells;  // Current, Maximum, Minimum, Day Max, Day Min
};

// The number of table quantities chosen for the status area (pump lines not counted).
int ChosenTableQuantities(const Config& config);

// The value table's rows in display order, only those chosen; without the heading.
std::vector<TableRow> TableRows(const Config& config, const ProcessorState& p,
                                const ChannelTable& channels);

}  // namespace brennic
