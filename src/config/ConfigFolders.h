#pragma once

#include <optional>
#include <string>

namespace brennic {

// Where Brennic keeps its files on Linux. Paths are joined with "/". These read the
// environment (HOME, XDG_CONFIG_HOME) and the user-dirs file; any thread, no lock.

// The folder for Config.Txt: `overrideDir` (the --config-dir option) made absolute when
// given, else $XDG_CONFIG_HOME/<programName>, with ~/.config when XDG_CONFIG_HOME is unset or
// not absolute. Nothing is created.
std::string ResolveConfigFolder(const std::string& programName,
                                const std::optional<std::string>& overrideDir);

// The user's documents folder: XDG_DOCUMENTS_DIR from $XDG_CONFIG_HOME/user-dirs.dirs when
// that file names one, else ~/Documents.
std::string DocumentsFolder();

// The default folder of the log and summary files: DocumentsFolder()/<programName>. Nothing
// is created.
std::string ResolveDataFolder(const std::string& programName);

// Creates `folder` and every missing parent, each with mode 0700 (the configuration holds
// the FTP password). An existing folder is no error. Returns whether the folder exists now.
bool CreateFolderPath(const std::string& folder);

}  // namespace brennic
