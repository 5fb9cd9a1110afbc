#pragma once

#include <optional>
#include <string>

#include "core/AppState.h"

namespace brennic {

// Where Config.Txt is looked for, and the default data folder.
struct ConfigPaths {
    std::string configFolder;   // Config.Txt is read from and written to here
    std::string programFolder;  // second place to look for Config.Txt ("" for none)
    std::string dataFolder;     // default folder of the log and summary files
};

// The paths for a program named `identity.name` in `identity.folder`; `configDirOverride`
// is the --config-dir option. Reads the environment; any thread.
ConfigPaths ResolveConfigPaths(const ProgramIdentity& identity,
                               const std::optional<std::string>& configDirOverride);

enum class ConfigSource {
    kConfigFolder,   // read from configFolder/Config.Txt
    kProgramFolder,  // read from programFolder/Config.Txt (loadedFromProgramFolder is set)
    kDefaults,       // neither could be opened; the user has been told
};

// The warning of a start-up that found no Config.Txt.
inline constexpr const char* kConfigNotRestoredText = "Your configuration can not be restored!";

// Start-up: sets the defaults (keeping the One-Wire fields and maxSamples), creates
// `paths.configFolder`, reads Config.Txt from it or else from the program folder, and puts
// the result into state.config, state.channels (colours, names, pen widths) and state.font.
// Shows "Your configuration can not be restored!" through state.showMessage when neither
// file opens. Main thread, at start-up; takes the StateLock itself while it reads the
// channels and publishes the result (the caller may hold it, but the message is then shown
// under the lock).
ConfigSource LoadConfig(AppState& state, const ConfigPaths& paths);

// Writes state.config, the channel colours and names and state.font as configFolder/Config.Txt
// (mode 0600). The new text goes to a temporary file in the same folder that then replaces
// the old file, so a failed save leaves the previous file whole. Failures are not shown: the
// settings stay in memory until the next save. Returns false on failure and, when `why` is
// given, says why. Main thread (the only writer of these records), so no lock is taken.
bool SaveConfig(const AppState& state, std::string* why = nullptr);

}  // namespace brennic
