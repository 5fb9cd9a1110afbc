#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace brennic {

struct ProcessorState;

// Why a log replay stopped before its end. 7 and 8 are not used.
enum ReadErrorCode : int {
    kReadOk = 0,
    kNoFirstRecord = 1,    // no data record at the start
    kNoLastRecord = 2,     // no data record in the last 500 bytes
    kFastAccessEof = 3,    // end of file while fast access looks for a record
    kFastAccessTries = 4,  // fast access did not settle within 5 positions
    kIoError = 5,          // a seek, position query or read failed
    kRangeOutside = 6,     // fast access with a range that does not overlap the file
    kDateTimeFormat = 9,   // a token or field that does not read
    kContradictoryHeaders = 10,
};

inline constexpr const char* kReadErrorCaption = "Error reading Data Recorder File";

// The message box text of a read error. `first` and `last` (the file's first and last record
// times) appear in the text of kRangeOutside only. Any thread.
std::string ReadErrorText(int code, std::time_t first, std::time_t last);

// The record range chosen for a replay (the record-range panel, or --from/--to).
struct RecordRange {
    std::time_t startTime = 0;  // range start, local time converted
    std::time_t endTime = 0;    // range end
    bool useRange = false;      // "Include Entire File Contents" unchecked
    bool fastAccess = false;    // "Fast Access" checked (used only with useRange)
    bool offerFastAccess = true;
};

// The three answers of the record error dialog.
enum class RecordErrorChoice : int { kContinue = 1, kSuppressErrors = 2, kAbort = 3 };

// How a reader talks to whoever started it: the window (through the Qt adapter, which moves
// every call to the main thread) or the command line. Every call comes from the thread that
// runs the reader, never with the StateLock held.
class ReplayEvents {
  public:
    virtual ~ReplayEvents() = default;
    // Progress line 1..6 has a new text.
    virtual void ProgressLine(int line, const std::string& text) {
        (void)line;
        (void)text;
    }
    // The window caption's suffix (after the program title and " - ").
    virtual void TitleSuffix(const std::string& text) { (void)text; }
    // Every bad record of a Data Recorder replay, whether or not the dialog is asked.
    // `text` is the progress line 6 text.
    virtual void BadRecord(int record, const std::string& text) {
        (void)record;
        (void)text;
    }
    // The record error dialog, asked while errors are shown; `text` is its message.
    virtual RecordErrorChoice AskRecordError(const std::string& text) {
        (void)text;
        return RecordErrorChoice::kContinue;
    }
    // A record has become a sample: `processor` holds it and the totals after it. Called
    // with the StateLock held, so copy what is needed and return (the history import does).
    virtual void SampleProcessed(const ProcessorState& processor) { (void)processor; }
    // A read error has ended the replay: show `text` with `caption`.
    virtual void ReadError(int code, const std::string& text, const std::string& caption) {
        (void)code;
        (void)text;
        (void)caption;
    }
};

// What a replay did, for the caller's end handling and the command-line report.
struct ReplayOutcome {
    bool opened = false;  // false: the file could not be opened (openErrno says why)
    int openErrno = 0;
    int readError = kReadOk;  // the ReadErrorCode that ended the replay
    bool aborted = false;     // ABORT in the record error dialog, or the stop flag
    bool dataReceived = false;
    int recordsRead = 0;            // data lines read in the reading phase
    int recordsProcessed = 0;       // records handed to the processor
    std::time_t fileFirstTime = 0;  // first and last record of the file (scans)
    std::time_t fileLastTime = 0;
    std::time_t firstProcessedTime = 0;
    std::time_t lastProcessedTime = 0;
};

}  // namespace brennic
