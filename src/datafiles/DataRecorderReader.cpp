#include "datafiles/DataRecorderReader.h"

#include <cstdio>
#include <cstring>

#include "core/MessageProcessor.h"
#include "datafiles/RecordScan.h"

namespace brennic {

namespace {

constexpr int kPercentStep = 5;
constexpr int kRecordsStep = 5000;

// The scans and positioning before the reading phase (steps 2 to 5).
int PrepareDataRecorderFile(RecordFile& file, const std::string& name, const RecordRange& range,
                            ReplayEvents& events) {
    int rc = ScanForHeader(file);
    if (rc == kReadOk) {
        rc = FindFirstRecord(file);
    }
    if (rc == kReadOk) {
        rc = FindLastRecord(file);
    }
    if (rc != kReadOk) {
        return rc;
    }
    events.TitleSuffix(RangeTitleText(name, file));
    events.ProgressLine(4, RangeLineText(file));
    if (range.useRange && range.fastAccess) {
        events.ProgressLine(1, "Fast access searching for start time");
        return FastAccessPosition(file, range);
    }
    return file.reader.Seek(0) ? kReadOk : kIoError;
}

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
    text += line;
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
    if (!OpenRecordFile(file, path, events, outcome)) {
        return outcome;
    }
    std::string folder;
    std::string name;
    SplitPath(path, folder, name);
    int rc = PrepareDataRecorderFile(file, name, range, events);
    outcome.fileFirstTime = file.firstTime;
    outcome.fileLastTime = file.lastTime;
    if (rc != kReadOk) {
        outcome.readError = rc;
        events.ReadError(rc, ReadErrorText(rc, file.firstTime, file.lastTime), kReadErrorCaption);
        return outcome;
    }

    events.ProgressLine(1, "Read File");
    const std::time_t percentFrom = range.useRange ? range.startTime : file.firstTime;
    const std::time_t percentTo = range.useRange ? range.endTime : file.lastTime;
    int lastPercent = 0;
    int recordsAtUpdate = 0;
    bool showErrors = true;
    char content[LineReader::kLineLimit + 1];
    for (;;) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
            outcome.aborted = true;
            break;
        }
        std::string_view line;
        std::int64_t pos = 0;
        const LineReader::Status status = file.reader.Next(line, pos);
        if (status == LineReader::kEnd) {
            break;
        }
        if (status == LineReader::kFailed) {
            rc = kIoError;
            break;
        }
        RecordLine record;
        rc = file.parser.Parse(line, record);
        if (rc != kReadOk) {
            break;
        }
        if (record.kind != RecordLine::kData) {
            continue;
        }
        const int recordsRead = ++outcome.recordsRead;
        if (range.useRange) {
            if (record.time < range.startTime) {
                continue;
            }
            if (record.time > range.endTime) {
                break;
            }
        }
        if (outcome.recordsProcessed == 0) {
            StateGuard guard(state.lock);
            ResetStatistics(state, record.time);
            outcome.firstProcessedTime = record.time;
        }
        ++outcome.recordsProcessed;
        outcome.lastProcessedTime = record.time;
        int result = kNothingToProcess;
        if (record.content != "\n") {
            std::memcpy(content, record.content.data(), record.content.size());
            content[record.content.size()] = '\0';
            StateGuard guard(state.lock);
            result = ProcessRecordedLine(state, content, nullptr, record.time);
        }
        const int percent = PercentThrough(record.time, percentFrom, percentTo);
        if (percent - lastPercent >= kPercentStep || recordsRead - recordsAtUpdate > kRecordsStep ||
            result < 0) {
            lastPercent = percent;
            recordsAtUpdate = recordsRead;
            events.ProgressLine(5, CompleteText(percent, recordsRead));
        }
        if (result < 0) {
            const std::string text = BadRecordText(recordsRead, line);
            events.ProgressLine(6, text);
            events.BadRecord(recordsRead, text);
            if (showErrors) {
                const RecordErrorChoice choice = events.AskRecordError(RecordErrorMessage(result));
                if (choice == RecordErrorChoice::kSuppressErrors) {
                    showErrors = false;
                } else if (choice == RecordErrorChoice::kAbort) {
                    outcome.aborted = true;
                    break;
                }
            }
        }
    }
    if (rc != kReadOk) {
        outcome.readError = rc;
        events.ReadError(rc, ReadErrorText(rc, file.firstTime, file.lastTime), kReadErrorCaption);
    }
    outcome.dataReceived = outcome.recordsProcessed > 0;
    return outcome;
}

}  // namespace brennic
