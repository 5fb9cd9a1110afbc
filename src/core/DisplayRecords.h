#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace brennic {

// The six status texts of the main display, rewritten on every render and shown again by the
// statistics dialog. Read and written under the StateLock.
struct StatusLines {
    enum Line : int {
        kTime = 0,
        kLastData = 1,
        kHighLimit = 2,
        kPump = 3,
        kHaPump = 4,
        kSamples = 5,
        kCount = 6,
    };
    std::array<std::string, kCount> line;
};

// Replay of a log file in progress: while `active` is set the main display shows only these
// six lines. Written by the log readers, read by the display; under the StateLock.
struct ReplayProgress {
    static constexpr std::size_t kLineMax = 127;  // characters kept of each line

    bool active = false;
    std::array<std::string, 6> line;

    // Sets line 1..6 (other numbers change nothing), cut to kLineMax characters.
    void SetLine(int number, std::string_view text) {
        if (number < 1 || number > 6) {
            return;
        }
        line[static_cast<std::size_t>(number - 1)] = std::string(text.substr(0, kLineMax));
    }
    void ClearLines() { line = {}; }
};

}  // namespace brennic
