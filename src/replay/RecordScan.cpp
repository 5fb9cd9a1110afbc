#include "replay/RecordScan.h"

#include <cmath>

#include "replay/RecordTime.h"

namespace brennic {

namespace {

constexpr int kMaxDataLinesBeforeHeader = 30;
constexpr std::int64_t kLastRecordStretch = 500;
constexpr double kEstimateBack = 200.0;
constexpr std::int64_t kSettleBytes = 2000;
constexpr std::int64_t kStepForward = 100;
constexpr std::int64_t kStepBack = 200;
constexpr int kMaxPositions = 5;

// Reads the next line and classifies it. kEnd is returned as -1.
int NextRecord(RecordFile& file, RecordLine& record, std::int64_t& pos, bool withTime = true) {
    std::string_view line;
    switch (file.reader.Next(line, pos)) {
        case LineReader::kEnd:
            return -1;
        case LineReader::kFailed:
            return kIoError;
        case LineReader::kLine:
            break;
    }
    return ParseRecordLine(file.parser, line, record, withTime);
}

// Reads and drops the rest of the line at the current position.
int DiscardLine(RecordFile& file) {
    std::string_view line;
    std::int64_t pos = 0;
    return file.reader.Next(line, pos) == LineReader::kFailed ? kIoError : kReadOk;
}

// A double that may be far outside the file, brought into a range where truncation is defined.
std::int64_t Truncate(double v) {
    constexpr double kLimit = 4.0e18;
    if (!(v > -kLimit)) {  // also NaN
        return static_cast<std::int64_t>(-kLimit);
    }
    if (v > kLimit) {
        return static_cast<std::int64_t>(kLimit);
    }
    return static_cast<std::int64_t>(v);
}

std::string WithoutLineFeed(std::string text) {
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

}  // namespace

int ParseRecordLine(RecordLineParser& parser, std::string_view line, RecordLine& out,
                    bool withTime) {
    const int rc = parser.Parse(line, out, withTime);
    const bool whole = !line.empty() && line.back() == '\n';
    if (!whole || (rc == kDateTimeFormat && out.kind != RecordLine::kHeader)) {
        out = RecordLine{};
        out.kind = RecordLine::kBad;
        return kReadOk;
    }
    return rc;
}

int ScanForHeader(RecordFile& file) {
    if (!file.reader.Seek(0)) {
        return kIoError;
    }
    int dataLines = 0;
    bool headerSeen = false;
    for (;;) {
        RecordLine record;
        std::int64_t pos = 0;
        const int rc = NextRecord(file, record, pos, false);
        if (rc < 0) {
            return kNoFirstRecord;
        }
        if (rc != kReadOk) {
            return rc;
        }
        if (record.kind == RecordLine::kHeader) {
            headerSeen = true;
        } else if (record.kind == RecordLine::kData) {
            if (headerSeen) {
                return kReadOk;
            }
            if (++dataLines > kMaxDataLinesBeforeHeader) {
                return kNoFirstRecord;
            }
        }
    }
}

int FindFirstRecord(RecordFile& file) {
    if (!file.reader.Seek(0)) {
        return kIoError;
    }
    for (;;) {
        RecordLine record;
        std::int64_t pos = 0;
        const int rc = NextRecord(file, record, pos);
        if (rc < 0) {
            return kNoFirstRecord;
        }
        if (rc != kReadOk) {
            return rc;
        }
        if (record.kind == RecordLine::kData) {
            file.firstPos = pos;
            file.firstTime = record.time;
            return kReadOk;
        }
    }
}

int FindLastRecord(RecordFile& file) {
    const std::int64_t size = file.reader.Size();
    if (size < 0) {
        return kIoError;
    }
    for (std::int64_t stretch = kLastRecordStretch;; stretch *= 4) {
        // A short file is read from its start, where the first line is whole.
        const bool fromStart = size <= stretch;
        if (!file.reader.Seek(fromStart ? 0 : size - stretch)) {
            return kIoError;
        }
        if (!fromStart && DiscardLine(file) != kReadOk) {
            return kIoError;
        }
        bool found = false;
        bool damaged = false;
        for (;;) {
            RecordLine record;
            std::int64_t pos = 0;
            const int rc = NextRecord(file, record, pos);
            if (rc < 0) {
                break;
            }
            if (rc != kReadOk) {
                return rc;
            }
            if (record.kind == RecordLine::kData) {
                found = true;
                file.lastPos = pos;
                file.lastTime = record.time;
            }
            damaged = damaged || record.kind == RecordLine::kBad;
        }
        if (found) {
            return kReadOk;
        }
        // Only a damaged tail sends the search further back; a tail of headers alone is the
        // file's own fault and reported as before.
        if (fromStart || !damaged) {
            return kNoLastRecord;
        }
    }
}

namespace {

// The first data record at or after the line following `pos` (a partial line at `pos` is
// dropped). kEnd comes back as -1.
int FirstRecordAfter(RecordFile& file, std::int64_t pos, RecordLine& record) {
    if (!file.reader.Seek(pos) || DiscardLine(file) != kReadOk) {
        return kIoError;
    }
    for (;;) {
        std::int64_t at = 0;
        const int rc = NextRecord(file, record, at);
        if (rc != kReadOk) {
            return rc;
        }
        if (record.kind == RecordLine::kData) {
            return kReadOk;
        }
    }
}

// Leaves the reader where the search ended: at the line after `below`, or at the first record.
int SeekBelow(RecordFile& file, std::int64_t below) {
    if (below <= file.firstPos) {
        return file.reader.Seek(file.firstPos) ? kReadOk : kIoError;
    }
    return file.reader.Seek(below) && DiscardLine(file) == kReadOk ? kReadOk : kIoError;
}

}  // namespace

int FastAccessPosition(RecordFile& file, const RecordRange& range, int* positionsTried) {
    if (positionsTried != nullptr) {
        *positionsTried = 0;
    }
    const std::time_t start = range.startTime;
    if (start > file.lastTime || range.endTime <= file.firstTime || range.endTime <= start) {
        return kRangeOutside;
    }
    const double span = static_cast<double>(file.lastTime - file.firstTime);
    const double bytes = static_cast<double>(file.lastPos - file.firstPos);
    if (!(span > 0.0) || start <= file.firstTime) {
        // Nothing to interpolate, or the range starts with the file: read from the first.
        return file.reader.Seek(file.firstPos) ? kReadOk : kIoError;
    }
    // The search keeps two positions: the record after `below` is before the start, the
    // record after `above` is not. The first few guesses interpolate by time; a start inside
    // a gap of the log makes them swing across the gap, so after those the interval is
    // halved until it is short. Reading from `below` then reaches the first record at or
    // after the start within a few lines, whatever the file.
    std::int64_t below = file.firstPos;
    std::int64_t above = file.lastPos;
    std::int64_t pos =
        Truncate(static_cast<double>(file.firstPos) +
                 bytes * static_cast<double>(start - file.firstTime) / span - kEstimateBack);
    for (int tries = 1; above - below > kSettleBytes; ++tries) {
        if (tries > kMaxPositions || pos <= below || pos >= above) {
            pos = below + (above - below) / 2;
        }
        if (positionsTried != nullptr) {
            *positionsTried = tries;
        }
        RecordLine record;
        const int rc = FirstRecordAfter(file, pos, record);
        if (rc != kReadOk && rc != -1) {
            return rc;
        }
        if (rc == -1 || record.time >= start) {
            above = pos;
            pos += Truncate(bytes *
                            static_cast<double>(start - (rc == -1 ? file.lastTime : record.time)) /
                            span) -
                   kStepBack;
            continue;
        }
        below = pos;
        const double delta = bytes * static_cast<double>(start - record.time) / span;
        if (Truncate(delta) < kSettleBytes) {
            break;  // close below the start
        }
        pos += Truncate(delta) - kStepForward;
    }
    return SeekBelow(file, below);
}

std::string RangeLineText(const RecordFile& file) {
    return "File Start: " + WithoutLineFeed(Ctime24(file.firstTime)) +
           "   File End: " + WithoutLineFeed(Ctime24(file.lastTime));
}

std::string RangeTitleText(const std::string& fileName, const RecordFile& file) {
    std::string first = Ctime24(file.firstTime);
    if (!first.empty() && first.back() == '\n') {
        first.back() = '-';
    }
    std::string text = fileName + " " + first + WithoutLineFeed(Ctime24(file.lastTime));
    return text.size() <= 255 ? text : fileName;
}

bool OpenRecordFile(RecordFile& file, const std::string& path, ReplayEvents& events,
                    ReplayOutcome& outcome) {
    std::string folder;
    std::string name;
    SplitPath(path, folder, name);
    events.ProgressLine(2, "Directory: " + folder);
    events.ProgressLine(3, "File Name: " + name);
    events.ProgressLine(1, "Open File");
    outcome.openErrno = file.reader.Open(path);
    outcome.opened = outcome.openErrno == 0;
    if (!outcome.opened) {
        return false;
    }
    events.TitleSuffix(name);
    events.ProgressLine(1, "Get File Size");
    return true;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        folder.clear();
        name = path;
    } else {
        folder = path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

int PercentThrough(std::time_t t, std::time_t from, std::time_t to) {
    if (to <= from) {
        return 100;
    }
    double pct = static_cast<double>(t - from) / static_cast<double>(to - from) * 100.0;
    pct = pct < -1.0e9 ? -1.0e9 : (pct > 1.0e9 ? 1.0e9 : pct);
    return static_cast<int>(pct);
}

}  // namespace brennic
