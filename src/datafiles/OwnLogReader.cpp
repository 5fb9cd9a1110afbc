#include "datafiles/OwnLogReader.h"

#include <cstdio>

#include "core/MessageProcessor.h"
#include "datafiles/RecordLines.h"
#include "datafiles/RecordScan.h"

namespace brennic {

namespace {

// One conversion of the record layouts: a float into a slot, an integer into a slot, a heat
// total that is read but not kept, or the literal comma after the storage temperature.
enum class Op : char { kFloat, kInt, kSkipDouble, kComma };
struct Step {
    Op op;
    int slot;
};

// "%f %f, %f %f %f %f %f %f %f %f %i %f %lf %i %f %lf"
constexpr Step kLongLayout[] = {
    {Op::kFloat, 1},  {Op::kFloat, 2},     {Op::kComma, 0},  {Op::kFloat, 3},      {Op::kFloat, 4},
    {Op::kFloat, 5},  {Op::kFloat, 6},     {Op::kFloat, 10}, {Op::kFloat, 11},     {Op::kFloat, 12},
    {Op::kFloat, 13}, {Op::kInt, 8},       {Op::kFloat, 9},  {Op::kSkipDouble, 0}, {Op::kInt, 15},
    {Op::kFloat, 16}, {Op::kSkipDouble, 0}};
// "%f %f, %f %f %f %f %i %f %lf"
constexpr Step kShortLayout[] = {
    {Op::kFloat, 1}, {Op::kFloat, 2}, {Op::kComma, 0}, {Op::kFloat, 3}, {Op::kFloat, 4},
    {Op::kFloat, 5}, {Op::kFloat, 6}, {Op::kInt, 8},   {Op::kFloat, 9}, {Op::kSkipDouble, 0}};
constexpr int kLongConversions = 16;

// Runs the steps like sscanf: stops at the first that does not match; returns the number of
// conversions made.
template <std::size_t N>
int ScanLayout(std::string_view values, const Step (&steps)[N], Sample& sample) {
    const char* p = values.data();
    const char* const end = p + values.size();
    int count = 0;
    for (const Step& step : steps) {
        const char* next = nullptr;
        switch (step.op) {
            case Op::kComma:
                if (p >= end || *p != ',') {
                    return count;
                }
                ++p;
                continue;
            case Op::kFloat: {
                float v = 0.0f;
                next = ScanFloat(p, end, v);
                if (next != nullptr) {
                    sample[step.slot] = v;
                }
                break;
            }
            case Op::kInt: {
                int v = 0;
                next = ScanInteger(p, end, v);
                if (next != nullptr) {
                    sample[step.slot] = static_cast<float>(v);
                }
                break;
            }
            case Op::kSkipDouble: {
                double v = 0.0;
                next = ScanDouble(p, end, v);
                break;
            }
        }
        if (next == nullptr) {
            return count;
        }
        p = next;
        ++count;
    }
    return count;
}

int PrepareOwnLogFile(RecordFile& file, const std::string& name, const RecordRange& range,
                      ReplayEvents& events) {
    int rc = FindFirstRecord(file);
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

void ParseSampleRecord(std::string_view values, Sample& sample) {
    if (ScanLayout(values, kLongLayout, sample) != kLongConversions) {
        ScanLayout(values, kShortLayout, sample);
        for (int slot : {kSlotWAux1, kSlotWAux2, kSlotWAux3, kSlotWAux4}) {
            sample[slot] = kNoReading;
        }
        sample[kSlotHaPump] = 0.0f;
        sample[kSlotHaFlow] = 0.0f;
    }
}

ReplayOutcome ReplayOwnLogFile(AppState& state, const std::string& path, const RecordRange& range,
                               ReplayEvents& events, const std::atomic<bool>* stop) {
    ReplayOutcome outcome;
    RecordFile file(LogFormat::kOwnLog);
    if (!OpenRecordFile(file, path, events, outcome)) {
        return outcome;
    }
    std::string folder;
    std::string name;
    SplitPath(path, folder, name);
    int rc = PrepareOwnLogFile(file, name, range, events);
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
        ++outcome.recordsRead;
        if (range.useRange && (record.time < range.startTime || record.time > range.endTime)) {
            continue;
        }
        Sample sample;
        ParseSampleRecord(record.content, sample);
        sample.time = record.time;
        if (outcome.recordsProcessed == 0) {
            StateGuard guard(state.lock);
            ResetStatistics(state, record.time);
            outcome.firstProcessedTime = record.time;
        }
        ++outcome.recordsProcessed;
        outcome.lastProcessedTime = record.time;
        {
            StateGuard guard(state.lock);
            ProcessRecordedLine(state, nullptr, &sample, record.time);
        }
        const int percent = PercentThrough(record.time, percentFrom, percentTo);
        if (percent - lastPercent > 5) {
            lastPercent = percent;
            char text[48];
            std::snprintf(text, sizeof text, "%% complete: %i", percent);
            events.ProgressLine(5, text);
        }
    }
    if (rc != kReadOk) {
        outcome.readError = rc;
        events.ReadError(rc, ReadErrorText(rc, file.firstTime, file.lastTime), kReadErrorCaption);
    }
    // The end of an own-log replay always counts as data received once reading began.
    outcome.dataReceived = true;
    return outcome;
}

}  // namespace brennic
