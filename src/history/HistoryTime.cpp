#include "history/HistoryTime.h"

#include <charconv>
#include <cstdio>

#include "core/LocalTime.h"

namespace brennic {

int LocalDayNumber(std::time_t t) {
    std::tm local{};
    // A damaged record can carry a time thousands of years away; YYYYMMDD has room for four
    // digits of year only.
    if (!ToLocalTime(t, local) || local.tm_year + 1900 < 1 || local.tm_year + 1900 > 9999) {
        return 0;
    }
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

std::time_t DayStart(int day) {
    std::tm local{};
    local.tm_year = day / 10000 - 1900;
    local.tm_mon = day / 100 % 100 - 1;
    local.tm_mday = day % 100;
    local.tm_isdst = -1;
    return FromLocalTime(local);
}

int NextDay(int day) {
    // Noon of the next day is safe from daylight-saving changes, which happen at night.
    std::tm local{};
    local.tm_year = day / 10000 - 1900;
    local.tm_mon = day / 100 % 100 - 1;
    local.tm_mday = day % 100 + 1;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const std::time_t noon = FromLocalTime(local);
    return noon == -1 ? 0 : LocalDayNumber(noon);
}

int MinutesInDay(int day) {
    const std::time_t start = DayStart(day);
    const std::time_t end = DayStart(NextDay(day));
    return start == -1 || end == -1 ? 1440 : static_cast<int>((end - start) / 60);
}

std::optional<int> ParseDayText(const std::string& text) {
    int parts[3] = {0, 1, 1};
    const char* p = text.data();
    const char* end = p + text.size();
    int n = 0;
    while (n < 3) {
        const auto r = std::from_chars(p, end, parts[n]);
        if (r.ec != std::errc()) {
            return std::nullopt;
        }
        p = r.ptr;
        ++n;
        if (p == end) {
            break;
        }
        if (*p != '-') {
            return std::nullopt;
        }
        ++p;
    }
    if (p != end || parts[0] < 1900 || parts[0] > 9999 || parts[1] < 1 || parts[1] > 12) {
        return std::nullopt;
    }
    // "2009-02-31" names no day; taking it as 3 March would report the wrong period.
    const int year = parts[0];
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int lastDay = kDaysInMonth[parts[1] - 1] + (parts[1] == 2 && leap ? 1 : 0);
    if (parts[2] < 1 || parts[2] > lastDay) {
        return std::nullopt;
    }
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

std::string DayText(int day) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", day / 10000 % 10000, day / 100 % 100,
                  day % 100);
    return buffer;
}

}  // namespace brennic
