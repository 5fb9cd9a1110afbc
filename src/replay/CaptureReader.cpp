#include "replay/CaptureReader.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "core/MessageProcessor.h"
#include "replay/DataRecorderReader.h"
#include "replay/ReplayPhase.h"

namespace brennic {

ReplayOutcome ReplayCaptureFile(AppState& state, const std::string& path, std::time_t start,
                                std::uint32_t interval, ReplayEvents& events,
                                const std::atomic<bool>* stop) {
    ReplayOutcome outcome;
    LineReader reader;
    outcome.openErrno = reader.Open(path);
    outcome.opened = outcome.openErrno == 0;
    if (!outcome.opened) {
        return outcome;
    }
    events.TitleSuffix(path);
    const std::time_t step = static_cast<std::time_t>(interval);
    std::time_t clock = start - step;
    char text[LineReader::kLineLimit + 1];
    ReplayPhase phase(state, events, outcome, stop);
    std::string_view line;
    while (phase.NextLine(reader, line)) {
        if (line == "\n") {
            continue;
        }
        // A line without its line feed was cut short (or runs on past the line limit): skipped
        // and counted like a bad record instead of being taken for a shorter report.
        if (line.back() != '\n') {
            line = phase.TakeBadLine(reader, line);
            if (!phase.ReportBadRecord(++outcome.recordsRead, line, RecordErrorMessage(-1))) {
                break;
            }
            continue;
        }
        if (line[0] >= '0' && line[0] <= '9') {
            clock += step;  // a digit starts the next sample
        }
        ++outcome.recordsRead;
        phase.CountProcessed(clock);
        std::memcpy(text, line.data(), line.size());
        text[line.size()] = '\0';
        StateGuard guard(state.lock);
        if (ProcessRecordedLine(state, text, nullptr, clock) > 0) {
            events.SampleProcessed(state.processor);
        }
    }
    phase.Finish();
    outcome.dataReceived = outcome.readError == kReadOk || outcome.recordsProcessed > 0;
    return outcome;
}

std::time_t CaptureDefaultStart(const std::string& path) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &sx) == 0) {
        if ((sx.stx_mask & STATX_BTIME) != 0 && sx.stx_btime.tv_sec != 0) {
            return static_cast<std::time_t>(sx.stx_btime.tv_sec);
        }
        if ((sx.stx_mask & STATX_MTIME) != 0) {
            return static_cast<std::time_t>(sx.stx_mtime.tv_sec);
        }
    }
    return std::time(nullptr);
}

}  // namespace brennic
