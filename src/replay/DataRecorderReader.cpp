#include "replay/DataRecorderReader.h"

#include <cstdio>
#include <cstring>

#include "core/MessageProcessor.h"
#include "replay/ReplayPhase.h"

namespace brennic {

namespace {

constexpr int kPercentStep = 5;
constexpr int kRecordsStep = 5000;

std::string CompleteText(int percent, int records) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%% complete: %i   Record: %i", percent, records);
    return buffer;
}

}  // namespace

std::string BadRecordText(int record, std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    if (line.size() > 126) {
        line = line.substr(0, 126);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%i", record);
    std::string text = "Error in record  ";
    text += number;
    text += ": \"";
    // Control bytes (NUL runs after a power cut) would cut the text short in a message box.
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        text += u < 0x20 || u == 0x7f ? '?' : c;
    }
    text += '"';
    return text;
}

const char* RecordErrorMessage(int result) {
    switch (result) {
        case -2:
            return "Config type Vexin 2; Data type Vexin 2 BTU";
        case -3:
            return "Config type Vexin 2 BTU; Data type Vexin 2";
        default:
            return "Data error";
    }
}

ReplayOutcome ReplayDataRecorderFile(AppState& state, const std::string& path,
                                     const RecordRange& range, ReplayEvents& events,
                                     const std::atomic<bool>* stop) {
    ReplayOutcome outcome;
    RecordFile file(LogFormat::kDataRecorder);
    ReplayPhase phase(state, events, outcome, stop);
    if (!phase.Start(file, path, range, ReplayPhase::HeaderScan::kDateHeader)) {
        return outcome;
    }
    {
        StateGuard guard(state.lock);
        phase.ParseControllerLines(state.config.controllerType);
    }
    int lastPercent = 0;
    int recordsAtUpdate = 0;
    std::string_view line;
    RecordLine record;
    const ParsedLine* parsed = nullptr;
    while (phase.NextDataRecord(file, line, record, &parsed)) {
        const int recordsRead = ++outcome.recordsRead;
        if (record.kind == RecordLine::kBad) {
            if (!phase.ReportBadRecord(recordsRead, line, RecordErrorMessage(-1))) {
                break;
            }
            continue;
        }
        if (range.useRange) {
            if (record.time < range.startTime) {
                continue;
            }
            if (record.time > range.endTime) {
                break;
            }
        }
        phase.CountProcessed(record.time);
        int result = kNothingToProcess;
        if (record.content != "\n") {
            StateGuard guard(state.lock);
            result = ProcessParsedLine(state, UpToFirstNul(record.content), *parsed, record.time);
            if (result > 0) {
                events.SampleProcessed(state.processor);
            }
        }
        const int percent = phase.Percent(record.time);
        if (percent - lastPercent >= kPercentStep || recordsRead - recordsAtUpdate > kRecordsStep ||
            result < 0) {
            lastPercent = percent;
            recordsAtUpdate = recordsRead;
            events.ProgressLine(5, CompleteText(percent, recordsRead));
        }
        if (result < 0 && !phase.ReportBadRecord(recordsRead, line, RecordErrorMessage(result))) {
            break;
        }
    }
    phase.Finish();
    outcome.dataReceived = outcome.recordsProcessed > 0;
    return outcome;
}

}  // namespace brennic
