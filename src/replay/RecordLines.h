#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "replay/RecordTime.h"

namespace brennic {

// The two kinds of recorded log the line parser knows.
enum class LogFormat {
    kDataRecorder,  // the controller's Data Recorder file: "M/D/YYYY H:M:S content", DATE headers
    kOwnLog,        // Brennic's daily log: "YYYY-MM-DD H:M:SSzone values", QMX_DATA records
};

// One classified line.
struct RecordLine {
    // kBad: a line that cannot be a whole record (see ParseRecordLine); the parser itself never
    // returns it.
    enum Kind { kSkip, kHeader, kData, kBad };
    Kind kind = kSkip;
    std::time_t time = 0;      // data lines read with their time
    std::string_view content;  // data lines: everything after the time token and its blanks
};

// Classifies the lines of one recorded file and reads their times. Keeps the file's header
// state (the first DATE header fixes zone and daylight flag for the whole file) across all the
// scans of one replay, so one parser serves one file. Data Recorder times are read in the
// header's zone (EST, CST, MST, PST; "+DST" one hour ahead), whatever the machine's zone;
// before any header, in the machine's zone. One thread at a time.
class RecordLineParser {
  public:
    explicit RecordLineParser(LogFormat format) : format_(format) {}

    // Parses `line` (as LineReader returns it). Returns 0 or a ReadErrorCode (9 or 10).
    // With withTime false a data line's date and time are not read (the header scan).
    int Parse(std::string_view line, RecordLine& out, bool withTime = true);

    bool HeaderSeen() const { return headerSeen_; }
    bool Daylight() const { return daylight_; }

  private:
    int ParseHeader(std::string_view rest);
    int DataRecorderTime(std::string_view date, std::string_view time, std::time_t& out);
    int OwnLogTime(std::string_view date, std::string_view time, std::time_t& out);

    LogFormat format_;
    bool headerSeen_ = false;
    std::string zone_;
    bool daylight_ = false;
    int utcOffset_ = 0;  // of the header's zone and flag, seconds east of UTC
    LocalDayCache days_;
    FixedZoneDayCache zoneDays_;
    ZoneDaylightRule zones_;
    // The last date token read and its numbers: records of one day repeat it.
    char lastDate_[16] = {};
    std::size_t lastDateLength_ = 0;
    int lastDateFields_[3] = {};
};

// `text` up to its first NUL byte: how far a record's content reads as a C string, as the
// processor has always taken it. Any thread.
std::string_view UpToFirstNul(std::string_view text);

// C-style number reading without the locale: what "%d" / "%i" / "%f" read, starting at `p`
// (leading whitespace skipped). They return the position after the number, or nullptr when
// nothing converts. ScanFloat reads the longest decimal prefix (sign, digits, point, exponent,
// also "inf" and "nan").
const char* ScanDecimal(const char* p, const char* end, int& out);
const char* ScanInteger(const char* p, const char* end, int& out);  // %i: 0x.. hex, 0.. octal
const char* ScanFloat(const char* p, const char* end, float& out);
const char* ScanDouble(const char* p, const char* end, double& out);

}  // namespace brennic
