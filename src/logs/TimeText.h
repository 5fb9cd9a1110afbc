#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace brennic {

// The time text of every log and summary record: date, time and the zone abbreviation
// directly after the seconds ("2009-06-01 14:05:30CDT").
inline constexpr std::string_view kTimeTextFormat = "%Y-%m-%d %H:%M:%S%z";

// The zone abbreviation is cut to this many characters.
inline constexpr std::size_t kZoneTextMax = 7;

// Formats the local time of `t` (test time offset applied, zone decided for that time).
// Known conversions: %% %B %b %d %H %I %M %S %m %p %Y %y %z %Z. %B is the English month
// name, %b the month in three capital letters (JAN), %p AM or PM, %z and %Z the zone
// abbreviation of the system (CST, CDT, CEST, "+03"). Any other conversion is copied as it
// stands. Independent of the locale. When `t` cannot be converted the result is empty.
// Thread-safe.
std::string FormatTime(std::string_view format, std::time_t t);

// The same for a broken-down local time that the caller already has; the zone comes from
// its tm_zone (or the system's name for its tm_isdst when tm_zone is not set).
std::string FormatTime(std::string_view format, const std::tm& local);

// FormatTime(kTimeTextFormat, t).
std::string TimeText(std::time_t t);

// The zone abbreviation of a converted local time, at most kZoneTextMax characters.
std::string ZoneText(const std::tm& local);

}  // namespace brennic
