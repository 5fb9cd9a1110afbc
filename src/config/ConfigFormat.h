#pragma once

#include <istream>
#include <string>

#include "config/Config.h"
#include "core/Channels.h"

namespace brennic {

// The text of Config.Txt, apart from where it is stored. Pure functions on the records they
// are given; any thread, no lock.

inline constexpr int kConfigVersion = 7;   // the version written
inline constexpr int kNoVersionLine = -1;  // a file whose first line is the port line

// Reads Config.Txt text over `config`, `channels` (colours, names, pen widths) and `font`,
// which hold the defaults beforehand. A line that is missing, or a value that does not read,
// leaves its fields as they were; values out of range are corrected. `glycolCount` is the
// number of glycol mixtures, for the check of the two mixture indexes. Returns the file's
// version.
int ParseConfig(std::istream& in, Config& config, ChannelTable& channels, DisplayFont& font,
                int glycolCount);

// The whole file as written: version 7, all 44 lines.
std::string FormatConfig(const Config& config, const ChannelTable& channels,
                         const DisplayFont& font);

// The switch column of a One-Wire probe row: "A" 1, "-A" -1, "B" 2, "-B" -2, otherwise a
// number where 0 or nothing gives 1, below -8 gives -1 and above 8 gives 1.
int ParseSwitchField(const std::string& field);

}  // namespace brennic
