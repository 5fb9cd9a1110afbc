#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "core/DisplayRecords.h"
#include "web/WebPages.h"

namespace brennic {

struct AppState;

// What the links say about themselves beyond the pages' LinkStatus; the shell supplies it.
struct LiveLinks {
    LinkStatus page;                  // serial and One-Wire active, One-Wire time-outs
    bool testData = false;            // the serial link synthesises test data
    int serialTimeouts = 0;           // read time-outs of the serial link
    int expectedIntervalSeconds = 5;  // a controller line is due at least this often
};

// Everything the API routes print, copied out of the shared state in one go so that the
// answer is formatted and sent without holding the StateLock.
struct LiveSnapshot {
    PageSnapshot page;  // also exactly what the two published pages print
    LiveLinks links;
    std::array<std::string, StatusLines::kCount> statusLines;
    int receivedLines = 0;
    std::time_t now = 0;
};

// Copies the live state. `now` is the time of the request. Caller holds the StateLock.
LiveSnapshot TakeLiveSnapshot(const AppState& state, const LiveLinks& links, std::time_t now);

// The saved samples with from <= time <= to, oldest first. Caller holds the StateLock.
std::vector<Sample> CopyHistory(const AppState& state, std::time_t from, std::time_t to);

// The API's channel keys in slot order: the key of slot 1..16 ("collector", ..., "haFlow"),
// its unit ("°F", "GPM", "BTU/s", "on") and the display channel that names it (-1: none).
struct SlotKey {
    int slot;
    const char* key;
    const char* unit;
    int channel;
};
const std::vector<SlotKey>& SlotKeys();

// "2026-06-01T14:05:09+02:00" in local time (test time offset included). Any thread.
std::string IsoTime(std::time_t t);

}  // namespace brennic
