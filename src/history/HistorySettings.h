#pragma once

#include <string>
#include <vector>

// toml++ is large; its table type is all this header needs.
namespace toml {
inline namespace v3 {
class table;
}
}  // namespace toml

namespace brennic {

// [history] in brennic.toml.
struct HistorySettings {
    bool enabled = true;
    int minuteRetentionDays = 3650;  // minute rows older than this are deleted; days stay
    std::string path;                // empty: history.sqlite in the data folder
};

// Reads the [history] table (null: absent, all defaults). A key of the wrong type or out of
// range keeps its default and adds a line to `problems`; unknown keys are named there too.
// Any thread.
HistorySettings ReadHistorySettings(const toml::table* section, std::vector<std::string>& problems);

// Reads [history] from the brennic.toml at `tomlPath`; a missing file gives the defaults, a
// file that does not parse gives the defaults and its error in `problems`. Any thread.
HistorySettings LoadHistorySettings(const std::string& tomlPath,
                                    std::vector<std::string>& problems);

// The store's file: `settings.path`, else history.sqlite in `dataFolder`.
std::string HistoryStorePath(const HistorySettings& settings, const std::string& dataFolder);

}  // namespace brennic
