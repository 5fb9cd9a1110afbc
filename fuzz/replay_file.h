#pragma once

// The three log readers through the command-line replay (reader, processor and the JSON
// report). The first byte picks a range and fast access; the rest is the file.

#include <sstream>

#include "fuzz/FuzzSupport.h"
#include "replay/ReplayCommand.h"

namespace brennic::fuzz {

inline int FuzzReplay(ReplayOptions::Kind kind, const std::uint8_t* data, std::size_t size) {
    const std::uint8_t mode = TakeByte(data, size);
    AppState state;
    Quiet(state);
    state.config.controllerType = mode % 3;
    ReplayOptions options;
    options.kind = kind;
    options.file = ScratchFile(data, size);
    if (kind == ReplayOptions::Kind::kCapture) {
        options.start = "2009-06-01 06:00:00";
        options.interval = (mode & 0x04) != 0 ? 360 : 2;
    } else if ((mode & 0x04) != 0) {
        options.from = (mode & 0x40) != 0 ? "2009-06-01 14:00:00" : "2009-06-01 00:00:00";
        options.to = (mode & 0x80) != 0 ? "2009-06-01 14:05:00" : "2009-06-02 00:00:00";
        options.fastAccess = (mode & 0x08) != 0;
    }
    std::ostringstream out;
    std::ostringstream err;
    RunReplayCommand(state, options, out, err);
    return 0;
}

}  // namespace brennic::fuzz
