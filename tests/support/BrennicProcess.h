#pragma once

// The brennic program itself as a child process, for what belongs to the program as a whole:
// start without a display, signals, a second instance, a kill.

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/LinkTestSupport.h"
#include "support/TempFolder.h"

namespace brennic::testing {

// The tests' environment without a display or a service manager; HOME becomes `home` when
// given, and `extra` entries are added.
inline std::vector<std::string> NoDisplayEnvironment(const std::string& home = {},
                                                     const std::vector<std::string>& extra = {}) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM" &&
            name != "NOTIFY_SOCKET" && name != "JOURNAL_STREAM" &&
            (home.empty() || name != "HOME")) {
            env.push_back(entry);
        }
    }
    if (!home.empty()) {
        env.push_back("HOME=" + home);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// `brennic --config-dir <configDir> <args>` (shell words; redirections allowed), its standard
// error joined to its standard output.
inline std::unique_ptr<ChildProcess> StartBrennic(const std::filesystem::path& configDir,
                                                  const std::string& args,
                                                  const std::vector<std::string>& env) {
    const std::string command = "exec '" BRENNIC_BINARY_DIR "/brennic' --config-dir '" +
                                configDir.string() + "' " + args + " 2>&1";
    return std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", command}, env);
}

// The exit code in a wait status, 128 + the signal that ended the process, or -1 for none.
inline int ExitCode(const std::optional<int>& status) {
    if (!status) {
        return -1;
    }
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
}

// The daily logs (LOG-*) in `folder`, in name order.
inline std::vector<std::filesystem::path> DailyLogFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().starts_with("LOG-")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string DailyLogText(const std::filesystem::path& folder) {
    std::string text;
    for (const auto& file : DailyLogFiles(folder)) {
        text += ReadAll(file);
    }
    return text;
}

}  // namespace brennic::testing
