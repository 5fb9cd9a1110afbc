#include "replay/RecordTime.h"

#include <climits>
#include <cstdio>

#include "core/LocalTime.h"

namespace brennic {

namespace {

// A damaged record can carry any int as its date; the calendar fields mktime and timegm take
// are offsets (years since 1900, months from 0) and must not overflow on the way there.
bool FitsCalendarFields(int year, int month) {
    return year >= INT_MIN + 1900 && month > INT_MIN;
}

// The latest years since 1900 a record's day may fall in (months past December carry into the
// year). Anything later is damage too; a day up to it, even with billions of hours added by
// its clock fields, leaves a year that formatting can still add 1900 to.
constexpr int kLatestYearSince1900 = 2'000'000'000;

}  // namespace

bool LocalDayCache::ToTime(int year, int month, int day, int hour, int minute, int second, bool dst,
                           std::time_t& out) {
    if (!valid_ || year != year_ || month != month_ || day != day_ || dst != dst_) {
        if (!FitsCalendarFields(year, month)) {
            return false;
        }
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_isdst = dst ? 1 : 0;
        tm.tm_wday = -1;  // mktime sets it on success; -1 is also a valid time
        const std::time_t t = std::mktime(&tm);
        if (tm.tm_wday < 0 || tm.tm_year > kLatestYearSince1900) {
            valid_ = false;
            return false;
        }
        valid_ = true;
        year_ = year;
        month_ = month;
        day_ = day;
        dst_ = dst;
        midnight_ = t;
    }
    out = midnight_ + static_cast<std::time_t>(hour) * 3600 +
          static_cast<std::time_t>(minute) * 60 + static_cast<std::time_t>(second) -
          static_cast<std::time_t>(TestTimeOffset());
    return true;
}

bool FixedZoneDayCache::ToTime(int year, int month, int day, int hour, int minute, int second,
                               int utcOffset, std::time_t& out) {
    if (!valid_ || year != year_ || month != month_ || day != day_) {
        if (!FitsCalendarFields(year, month)) {
            return false;
        }
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_wday = -1;  // timegm sets it on success
        const std::time_t t = timegm(&tm);
        if (tm.tm_wday < 0 || tm.tm_year > kLatestYearSince1900) {
            valid_ = false;
            return false;
        }
        valid_ = true;
        year_ = year;
        month_ = month;
        day_ = day;
        midnight_ = t;
    }
    out = midnight_ + static_cast<std::time_t>(hour) * 3600 +
          static_cast<std::time_t>(minute) * 60 + static_cast<std::time_t>(second) -
          static_cast<std::time_t>(utcOffset) - static_cast<std::time_t>(TestTimeOffset());
    return true;
}

namespace {

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string Ctime24(std::time_t t) {
    std::tm tm{};
    if (!ToLocalTime(t, tm) || tm.tm_wday < 0 || tm.tm_wday > 6 || tm.tm_mon < 0 ||
        tm.tm_mon > 11) {
        return "??? ??? ?? ??:??:?? ????\n";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %s %02d %02d:%02d:%02d %04lld\n",
                  kDayNames[tm.tm_wday], kMonthNames[tm.tm_mon], tm.tm_mday, tm.tm_hour, tm.tm_min,
                  tm.tm_sec, tm.tm_year + 1900LL);
    return buffer;
}

std::string LocalTimeText(std::time_t t) {
    std::tm tm{};
    if (!ToLocalTime(t, tm)) {
        return {};
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900LL,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

std::optional<std::time_t> ParseLocalTimeText(std::string_view text) {
    // Exactly "YYYY-MM-DD HH:MM:SS".
    if (text.size() != 19) {
        return std::nullopt;
    }
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd";
    for (std::size_t i = 0; i < 19; ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        if (kShape[i] == 'd' ? !digit : c != kShape[i]) {
            return std::nullopt;
        }
    }
    auto number = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = 0; i < n; ++i) {
            v = v * 10 + (text[at + i] - '0');
        }
        return v;
    };
    std::tm tm{};
    tm.tm_year = number(0, 4) - 1900;
    tm.tm_mon = number(5, 2) - 1;
    tm.tm_mday = number(8, 2);
    tm.tm_hour = number(11, 2);
    tm.tm_min = number(14, 2);
    tm.tm_sec = number(17, 2);
    tm.tm_isdst = -1;
    if (tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 60) {
        return std::nullopt;
    }
    const int wantDay = tm.tm_mday;
    const std::time_t t = FromLocalTime(tm);
    if (tm.tm_mday != wantDay) {  // 2009-02-30 and the like
        return std::nullopt;
    }
    return t;
}

bool ZoneDaylightRule::IsDaylight(std::string_view zone, std::string_view lastThree, int year) {
    if (year != year_) {
        // The abbreviations in force in January and July of that year, read from the system's
        // zone, so a changed abbreviation in an older year is still recognised.
        year_ = year;
        standard_.clear();
        daylight_.clear();
        for (int month : {0, 6}) {
            std::tm probe{};
            probe.tm_year = year - 1900;
            probe.tm_mon = month;
            probe.tm_mday = 15;
            probe.tm_hour = 12;
            probe.tm_isdst = -1;
            const std::time_t t = std::mktime(&probe);
            std::tm local{};
            if (t == static_cast<std::time_t>(-1) || localtime_r(&t, &local) == nullptr ||
                local.tm_zone == nullptr) {
                continue;
            }
            (local.tm_isdst > 0 ? daylight_ : standard_) = local.tm_zone;
        }
    }
    if (!zone.empty()) {
        if (zone == standard_) {
            return false;
        }
        if (zone == daylight_) {
            return true;
        }
    }
    return lastThree.size() == 3 && lastThree[1] == 'D';
}

}  // namespace brennic
