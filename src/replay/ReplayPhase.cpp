#include "replay/ReplayPhase.h"

#include "core/MessageProcessor.h"
#include "replay/DataRecorderReader.h"

namespace brennic {

namespace {

// The scans and positioning before the reading phase. Returns 0 or the ReadErrorCode.
int ScanRecordFile(RecordFile& file, const std::string& name, const RecordRange& range,
                   ReplayPhase::HeaderScan headerScan, ReplayEvents& events) {
    int rc = headerScan == ReplayPhase::HeaderScan::kDateHeader ? ScanForHeader(file) : kReadOk;
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

}  // namespace

bool ReplayPhase::Start(RecordFile& file, const std::string& path, const RecordRange& range,
                        HeaderScan headerScan) {
    if (!OpenRecordFile(file, path, events_, outcome_)) {
        return false;
    }
    std::string folder;
    std::string name;
    SplitPath(path, folder, name);
    const int rc = ScanRecordFile(file, name, range, headerScan, events_);
    outcome_.fileFirstTime = file.firstTime;
    outcome_.fileLastTime = file.lastTime;
    if (rc != kReadOk) {
        Fail(rc);
        return false;
    }
    percentFrom_ = range.useRange ? range.startTime : file.firstTime;
    percentTo_ = range.useRange ? range.endTime : file.lastTime;
    events_.ProgressLine(1, "Read File");
    return true;
}

bool ReplayPhase::NextLine(LineReader& reader, std::string_view& line) {
    if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) {
        outcome_.aborted = true;
        return false;
    }
    std::int64_t pos = 0;
    const LineReader::Status status = reader.Next(line, pos);
    if (status == LineReader::kFailed) {
        error_ = kIoError;
    }
    return status == LineReader::kLine;
}

ReplayPhase::~ReplayPhase() = default;

bool ReplayPhase::NextDataRecord(RecordFile& file, std::string_view& line, RecordLine& record,
                                 const ParsedLine** parsed) {
    if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) {
        outcome_.aborted = true;
        return false;
    }
    if (!pipeline_) {
        pipeline_ = std::make_unique<RecordPipeline>(file, stop_, parseModel_);
    }
    int error = kReadOk;
    bool aborted = false;
    const ParsedLine* content = nullptr;
    if (pipeline_->Next(line, record, content, error, aborted)) {
        if (parsed != nullptr) {
            *parsed = content;
        }
        return true;
    }
    error_ = error;
    outcome_.aborted = outcome_.aborted || aborted;
    return false;
}

std::string_view ReplayPhase::TakeBadLine(LineReader& reader, std::string_view line) {
    badLine_.assign(line);
    bool more = line.size() == LineReader::kLineLimit && line.back() != '\n';
    while (more) {
        std::string_view piece;
        std::int64_t pos = 0;
        const LineReader::Status status = reader.Next(piece, pos);
        if (status == LineReader::kFailed) {
            error_ = kIoError;
        }
        more = status == LineReader::kLine && piece.back() != '\n';
    }
    return badLine_;
}

bool ReplayPhase::ReportBadRecord(int record, std::string_view line, const char* message) {
    const std::string text = BadRecordText(record, line);
    events_.ProgressLine(6, text);
    events_.BadRecord(record, text);
    if (!showErrors_) {
        return true;
    }
    const RecordErrorChoice choice = events_.AskRecordError(message);
    if (choice == RecordErrorChoice::kSuppressErrors) {
        showErrors_ = false;
    } else if (choice == RecordErrorChoice::kAbort) {
        outcome_.aborted = true;
        return false;
    }
    return true;
}

void ReplayPhase::CountProcessed(std::time_t time) {
    if (outcome_.recordsProcessed == 0) {
        StateGuard guard(state_.lock);
        ResetStatistics(state_, time);
        outcome_.firstProcessedTime = time;
    }
    ++outcome_.recordsProcessed;
    outcome_.lastProcessedTime = time;
}

void ReplayPhase::Fail(int code) {
    if (code == kReadOk) {
        return;
    }
    outcome_.readError = code;
    events_.ReadError(code, ReadErrorText(code, outcome_.fileFirstTime, outcome_.fileLastTime),
                      kReadErrorCaption);
}

}  // namespace brennic
