#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brennic {

// What the command line asks for. Without options the program opens its window as usual.
struct CommandLine {
    std::string configDir;                 // --config-dir DIR
    bool demo = false;                     // --demo: start with test data running
    std::string screenshotFile;            // --screenshot FILE: write the window picture and exit
    int screenshotAfter = 10;              // --after SECONDS (with --demo)
    std::string sunTime;                   // --sun "YYYY-MM-DD HH:MM:SS"
    std::string replayDataRecorder;        // --replay-datarecorder FILE
    std::string replayLog;                 // --replay-log FILE
    std::string replayCapture;             // --replay-capture FILE
    std::string from;                      // --from "YYYY-MM-DD HH:MM:SS"
    std::string to;                        // --to "..."
    bool fastAccess = false;               // --fast-access
    std::string start;                     // --start "..." (capture replay)
    int interval = 0;                      // --interval SECONDS (capture replay)
    std::string writePagesDir;             // --write-pages DIR
    bool headless = false;                 // --headless: the service, no window
    std::vector<std::string> importFiles;  // --import FILE... (into the history store)
    std::string report;                    // --report day|month|year
    std::string reportFormat = "table";    // --format table|csv|json
    std::string plotFile;                  // --plot FILE.png|FILE.svg
    bool help = false;                     // --help
    bool version = false;                  // --version

    bool AnyReplay() const {
        return !replayDataRecorder.empty() || !replayLog.empty() || !replayCapture.empty();
    }
};

// Parses the arguments after the program name. Returns the error text for an unknown
// option, a missing value or a bad number.
std::optional<std::string> ParseCommandLine(const std::vector<std::string>& args, CommandLine& out);

// The text printed by --help.
std::string CommandLineHelp(const std::string& programName);

}  // namespace brennic
