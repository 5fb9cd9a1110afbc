#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace brennic {

// Local calendar days as YYYYMMDD numbers, the key of the store's day rows. Any thread.

// The local day of t; 0 when t cannot be converted or falls outside the years 1 to 9999.
int LocalDayNumber(std::time_t t);

// Local midnight that starts `day` (YYYYMMDD; out-of-range days and months roll over as
// mktime does). -1 when it cannot be represented.
std::time_t DayStart(int day);

// The day after `day`.
int NextDay(int day);

// Minutes of local time in `day`: 1440, or 1380 / 1500 on daylight-saving changes.
int MinutesInDay(int day);

// "YYYY-MM-DD" → YYYYMMDD (also accepts "YYYY-MM" → the 1st and "YYYY" → January 1st).
std::optional<int> ParseDayText(const std::string& text);

// YYYYMMDD → "YYYY-MM-DD".
std::string DayText(int day);

}  // namespace brennic
