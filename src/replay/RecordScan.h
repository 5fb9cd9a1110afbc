#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "replay/LineReader.h"
#include "replay/RecordLines.h"
#include "replay/ReplayTypes.h"

namespace brennic {

// One recorded file being replayed: its reader, its line parser and what the scans found.
struct RecordFile {
    explicit RecordFile(LogFormat format) : parser(format) {}

    LineReader reader;
    RecordLineParser parser;
    std::int64_t firstPos = 0;  // file positions of the first and last data records
    std::int64_t lastPos = 0;
    std::time_t firstTime = 0;
    std::time_t lastTime = 0;
};

// Parses one line the way every reader and scan sees it. A line that cannot be a whole record
// comes back as kBad with 0, so that one damaged record is skipped and counted instead of making
// the whole file unreadable: a line without its line feed (cut short by a power cut or a full
// disk, or longer than the line limit) and a line other than a header whose date or time does
// not read. A whole DATE header that does not read and contradictory headers are still errors.
int ParseRecordLine(RecordLineParser& parser, std::string_view line, RecordLine& out,
                    bool withTime = true);

// The phases before reading, shared by the Data Recorder and own-log readers. Each returns 0
// or the ReadErrorCode that ends the replay. Any thread; no lock needed.

// Data Recorder only: from the start, a DATE header must come within the first 30 data lines
// and be followed by a data line.
int ScanForHeader(RecordFile& file);

// From the start: the first data line gives firstPos and firstTime.
int FindFirstRecord(RecordFile& file);

// The last data line within the last 500 bytes gives lastPos and lastTime. When those bytes
// hold no data line but a damaged one (a file ending in NUL bytes after a power cut) the search
// looks four times further back, up to the start of the file.
int FindLastRecord(RecordFile& file);

// Fast access: positions the reader near range.startTime by interpolating between the first
// and last records; the reading phase then skips the few records before the range start.
// At most 5 positions are tried. `positionsTried`, when given, receives their count.
int FastAccessPosition(RecordFile& file, const RecordRange& range, int* positionsTried = nullptr);

// The texts of progress line 4 and of the caption suffix for the scanned file.
std::string RangeLineText(const RecordFile& file);
std::string RangeTitleText(const std::string& fileName, const RecordFile& file);

// The opening steps of the Data Recorder and own-log readers: progress lines 2 and 3, "Open
// File", the caption suffix and "Get File Size". Fills outcome.opened / openErrno.
bool OpenRecordFile(RecordFile& file, const std::string& path, ReplayEvents& events,
                    ReplayOutcome& outcome);

// Splits a path into its folder and its file name (at the last '/').
void SplitPath(const std::string& path, std::string& folder, std::string& name);

// The progress line 5 percentage: how far `t` is through [from, to], truncated; 100 when the
// span is empty.
int PercentThrough(std::time_t t, std::time_t from, std::time_t to);

}  // namespace brennic
