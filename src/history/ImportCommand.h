#pragma once

#include <cstdint>
#include <ctime>
#include <ostream>
#include <string>
#include <vector>

namespace brennic {

struct AppState;

// What a file to import holds, told from its first lines.
enum class ImportKind { kUnknown, kOwnLog, kDataRecorder, kCapture };

// Reads the start of `path`: Brennic daily log lines begin "YYYY-MM-DD", Data Recorder lines
// "M/D/YYYY" (or a DATE header), terminal captures bare controller lines. Any thread.
ImportKind SniffImportFile(const std::string& path);

// brennic --import FILE... [--start T --interval SECONDS]
struct ImportOptions {
    std::vector<std::string> files;
    std::string start;        // captures: local time of the first line
    long long interval = -1;  // captures: seconds between lines
    std::string storePath;
    int minuteRetentionDays = 3650;
    bool terminal = false;  // progress as a bar redrawn in place, else plain lines
};

// Replays each file through the processor exactly as the replay commands do and adds its
// minutes and days to the store; minutes already stored are left alone, and a file imported
// before (same content) is skipped. Progress goes to `progress`, the summary line to `out`,
// messages to `err`. Returns 0, 1 when a file or the store failed, 2 for bad options.
// The `state` configuration (model, flows, glycol) applies; its statistics are overwritten.
// Any thread; the caller must not hold the StateLock.
int RunImportCommand(AppState& state, const ImportOptions& options, std::ostream& out,
                     std::ostream& progress, std::ostream& err);

// A fingerprint of a file's content: its size and a 64-bit hash of its first and last MiB.
std::string ImportFingerprint(const std::string& path, std::int64_t& size);

}  // namespace brennic
