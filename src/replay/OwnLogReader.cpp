#include "replay/OwnLogReader.h"

#include <cstdio>

#include "core/MessageProcessor.h"
#include "replay/DataRecorderReader.h"
#include "replay/RecordLines.h"
#include "replay/ReplayPhase.h"

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
constexpr int kShortConversions = 9;

// Runs the steps like sscanf: stops at the first that does not match; returns the number of
// conversions made and sets `rest` to where reading stopped.
template <std::size_t N>
int ScanLayout(std::string_view values, const Step (&steps)[N], Sample& sample, const char*& rest) {
    const char* p = values.data();
    const char* const end = p + values.size();
    int count = 0;
    rest = p;
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
        rest = p;
        ++count;
    }
    return count;
}

}  // namespace

bool ParseSampleRecord(std::string_view values, Sample& sample) {
    const char* rest = nullptr;
    bool whole = ScanLayout(values, kLongLayout, sample, rest) == kLongConversions;
    if (!whole) {
        whole = ScanLayout(values, kShortLayout, sample, rest) == kShortConversions;
        for (int slot : {kSlotWAux1, kSlotWAux2, kSlotWAux3, kSlotWAux4}) {
            sample[slot] = kNoReading;
        }
        sample[kSlotHaPump] = 0.0f;
        sample[kSlotHaFlow] = 0.0f;
    }
    const char* const end = values.data() + values.size();
    while (whole && rest < end) {
        whole = *rest == ' ' || *rest == '\t' || *rest == '\r' || *rest == '\n';
        ++rest;
    }
    return whole;
}

ReplayOutcome ReplayOwnLogFile(AppState& state, const std::string& path, const RecordRange& range,
                               ReplayEvents& events, const std::atomic<bool>* stop) {
    ReplayOutcome outcome;
    RecordFile file(LogFormat::kOwnLog);
    ReplayPhase phase(state, events, outcome, stop);
    if (!phase.Start(file, path, range, ReplayPhase::HeaderScan::kNone)) {
        return outcome;
    }
    int lastPercent = 0;
    std::string_view line;
    RecordLine record;
    while (phase.NextDataRecord(file, line, record)) {
        const int recordsRead = ++outcome.recordsRead;
        const bool bad = record.kind == RecordLine::kBad;
        if (!bad && range.useRange &&
            (record.time < range.startTime || record.time > range.endTime)) {
            continue;
        }
        // A record cut short or glued to another one is skipped, counted and shown; the records
        // around it replay.
        Sample sample;
        if (bad || !ParseSampleRecord(record.content, sample)) {
            if (!phase.ReportBadRecord(recordsRead, line, RecordErrorMessage(-1))) {
                break;
            }
            continue;
        }
        sample.time = record.time;
        phase.CountProcessed(record.time);
        {
            StateGuard guard(state.lock);
            if (ProcessRecordedLine(state, nullptr, &sample, record.time) > 0) {
                events.SampleProcessed(state.processor);
            }
        }
        const int percent = phase.Percent(record.time);
        if (percent - lastPercent > 5) {
            lastPercent = percent;
            char text[48];
            std::snprintf(text, sizeof text, "%% complete: %i", percent);
            events.ProgressLine(5, text);
        }
    }
    phase.Finish();
    // The end of an own-log replay always counts as data received once reading began.
    outcome.dataReceived = true;
    return outcome;
}

}  // namespace brennic
