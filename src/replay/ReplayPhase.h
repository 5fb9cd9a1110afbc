#pragma once

#include <atomic>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/AppState.h"
#include "replay/LineReader.h"
#include "replay/RecordLines.h"
#include "replay/RecordPipeline.h"
#include "replay/RecordScan.h"
#include "replay/ReplayTypes.h"

namespace brennic {

// What the three file readers (Data Recorder, own log, terminal capture) do alike around their
// own handling of a record: the opening scans, the stop flag, the loop over lines and records,
// the statistics reset before the first processed record, the progress percentage and the
// read error that ends a replay. Each reader keeps only what it does differently with a record.
// One per replay, used on the thread that runs the reader. The caller must not hold the
// StateLock: CountProcessed takes it.
class ReplayPhase {
  public:
    // Whether Start looks for the DATE header before the first record (Data Recorder files).
    enum class HeaderScan { kNone, kDateHeader };

    ReplayPhase(AppState& state, ReplayEvents& events, ReplayOutcome& outcome,
                const std::atomic<bool>* stop)
        : state_(state), events_(events), outcome_(outcome), stop_(stop) {}
    ~ReplayPhase();
    ReplayPhase(const ReplayPhase&) = delete;
    ReplayPhase& operator=(const ReplayPhase&) = delete;

    // Data Recorder and own log: opens `path` (progress lines 1-3 and the caption), runs the
    // scans, writes the caption suffix with the file's span and progress line 4, positions for
    // fast access when the range asks for it, then starts reading with "Read File". False when
    // the replay ends here: the file did not open (outcome.opened says so), or a scan failed
    // (reported as a read error).
    bool Start(RecordFile& file, const std::string& path, const RecordRange& range,
               HeaderScan headerScan);

    // The next line of `reader`. False at the end of the file, when the stop flag is set (the
    // outcome is then aborted), or when reading fails (an IO error, reported by Finish).
    bool NextLine(LineReader& reader, std::string_view& line);

    // The next data record of `file` and its line; the other lines are passed over. A line that
    // cannot be a whole record comes back as kBad (see ParseRecordLine) with its text as
    // TakeBadLine gives it. False like NextLine, and when a header does not parse (its error is
    // reported by Finish). The lines are read ahead on a thread of their own (RecordPipeline),
    // which has the file's reader and parser to itself from the first call until Finish.
    // With ParseControllerLines called before the first call, `parsed` (when given) gets what a
    // data record's content says, read on that thread too.
    bool NextDataRecord(RecordFile& file, std::string_view& line, RecordLine& record,
                        const ParsedLine** parsed = nullptr);

    // Has the reading thread also parse each data record's content as a line of controller
    // type `model`. Before the first NextDataRecord.
    void ParseControllerLines(int model) { parseModel_ = model; }

    // Keeps a copy of the bad line `line` (valid until the next call) and, when it is the first
    // piece of an over-long line, reads past the rest of that line, so that one damaged line
    // (say 400 NUL bytes) counts as one bad record.
    std::string_view TakeBadLine(LineReader& reader, std::string_view line);

    // Reports bad record number `record` read as `line`: progress line 6, the BadRecord event
    // and, until SUPPRESS ERRORS, the record error dialog with `message`. False when the answer
    // was ABORT; the outcome is then aborted.
    bool ReportBadRecord(int record, std::string_view line, const char* message);

    // Counts a record about to go to the processor at `time`; the first one resets the
    // statistics to that time.
    void CountProcessed(std::time_t time);

    // How far `time` is through the range when one is used, else through the file, in percent.
    int Percent(std::time_t time) const { return PercentThrough(time, percentFrom_, percentTo_); }

    // Ends the reading phase: a read error that stopped it goes into the outcome and is shown.
    void Finish() {
        pipeline_.reset();
        Fail(error_);
    }

  private:
    void Fail(int code);

    AppState& state_;
    ReplayEvents& events_;
    ReplayOutcome& outcome_;
    const std::atomic<bool>* stop_;
    int error_ = kReadOk;
    bool showErrors_ = true;
    std::string badLine_;
    std::unique_ptr<RecordPipeline> pipeline_;
    std::optional<int> parseModel_;
    std::time_t percentFrom_ = 0;
    std::time_t percentTo_ = 0;
};

}  // namespace brennic
