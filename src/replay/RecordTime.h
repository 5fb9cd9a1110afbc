#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace brennic {

// Converts the local date and time fields of a record to a time_t, with daylight saving time
// as the file declares it, exactly as FromLocalTime would (mktime with tm_isdst given, then
// the test time offset), but with one mktime per day instead of one per record: a file of
// two-second records then converts a whole day from one cached midnight.
// Out-of-range fields normalise as mktime normalises them. One thread at a time.
class LocalDayCache {
  public:
    // year is the full year (2009), month 1..12. Returns false when mktime fails.
    bool ToTime(int year, int month, int day, int hour, int minute, int second, bool dst,
                std::time_t& out);

  private:
    bool valid_ = false;
    int year_ = 0, month_ = 0, day_ = 0;
    bool dst_ = false;
    std::time_t midnight_ = 0;  // mktime of 00:00:00 of the cached day, without the offset
};

// Converts the date and time fields of a record written in a fixed zone, `utcOffset` seconds
// east of UTC, to a time_t (the test time offset subtracted as LocalDayCache does), with one
// timegm per day. The machine's own zone plays no part. Out-of-range fields normalise as
// timegm normalises them. One thread at a time.
class FixedZoneDayCache {
  public:
    bool ToTime(int year, int month, int day, int hour, int minute, int second, int utcOffset,
                std::time_t& out);

  private:
    bool valid_ = false;
    int year_ = 0, month_ = 0, day_ = 0;
    std::time_t midnight_ = 0;  // timegm of 00:00:00 of the cached day
};

// The fixed 24-character date form, "Wed Jan 02 02:03:55 1980", of the local time of t
// (test time offset added), followed by a line feed. English names, zero-padded day.
std::string Ctime24(std::time_t t);

// Local "YYYY-MM-DD HH:MM:SS" of t (test time offset added).
std::string LocalTimeText(std::time_t t);

// Reads a local "YYYY-MM-DD HH:MM:SS" (the system decides daylight saving time).
std::optional<std::time_t> ParseLocalTimeText(std::string_view text);

// Whether a zone abbreviation from a Brennic log's time text ("CDT", "CEST", "BST") means
// daylight saving time. The system's own standard and daylight abbreviations around the date
// decide; any other text falls back to the middle of its last three characters being 'D'.
// `lastThree` are the last three characters of the whole time token. One thread at a time.
class ZoneDaylightRule {
  public:
    bool IsDaylight(std::string_view zone, std::string_view lastThree, int year);

  private:
    int year_ = -1;
    std::string standard_;
    std::string daylight_;
};

}  // namespace brennic
