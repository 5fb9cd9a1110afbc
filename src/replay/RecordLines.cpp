#include "replay/RecordLines.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "replay/ReplayTypes.h"

namespace brennic {

namespace {

// isspace in the C locale, as one bit test.
constexpr std::uint64_t kSpaces = (std::uint64_t{1} << ' ') | (std::uint64_t{1} << '\t') |
                                  (std::uint64_t{1} << '\n') | (std::uint64_t{1} << '\v') |
                                  (std::uint64_t{1} << '\f') | (std::uint64_t{1} << '\r');

inline bool IsSpace(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= ' ' && ((kSpaces >> u) & 1U) != 0;
}

inline const char* SkipSpace(const char* p, const char* end) {
    while (p < end && IsSpace(*p)) {
        ++p;
    }
    return p;
}

inline const char* TokenEnd(const char* p, const char* end) {
    while (p < end && !IsSpace(*p)) {
        ++p;
    }
    return p;
}

// Reads "%d<sep>%d<sep>%d" from a token; returns how many numbers were read.
int ScanThree(std::string_view token, char separator, int (&v)[3], const char** after = nullptr) {
    const char* p = token.data();
    const char* end = p + token.size();
    int count = 0;
    for (; count < 3; ++count) {
        if (count > 0) {
            if (p >= end || *p != separator) {
                break;
            }
            ++p;
        }
        const char* next = ScanDecimal(p, end, v[count]);
        if (next == nullptr) {
            break;
        }
        p = next;
    }
    if (after != nullptr) {
        *after = p;
    }
    return count;
}

// The time as the recorder writes it, "hh:mm:ss" exactly: read at once. False for any other
// form (ScanThree reads those).
bool ReadClockTime(std::string_view time, int (&t)[3]) {
    if (time.size() != 8 || time[2] != ':' || time[5] != ':') {
        return false;
    }
    for (std::size_t i : {0, 1, 3, 4, 6, 7}) {
        if (time[i] < '0' || time[i] > '9') {
            return false;
        }
    }
    for (std::size_t k = 0; k < 3; ++k) {
        t[k] = (time[3 * k] - '0') * 10 + (time[3 * k + 1] - '0');
    }
    return true;
}

}  // namespace

const char* ScanDecimal(const char* p, const char* end, int& out) {
    p = SkipSpace(p, end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p >= end || *p < '0' || *p > '9') {
        return nullptr;
    }
    long long v = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (v < 10'000'000'000LL) {
            v = v * 10 + (*p - '0');
        }
        ++p;
    }
    if (negative) {
        v = -v;
    }
    out = static_cast<int>(v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : v));
    return p;
}

const char* ScanInteger(const char* p, const char* end, int& out) {
    p = SkipSpace(p, end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    int base = 10;
    if (p < end && *p == '0') {
        base = 8;
        if (p + 2 < end && (p[1] == 'x' || p[1] == 'X') &&
            std::isxdigit(static_cast<unsigned char>(p[2])) != 0) {
            base = 16;
            p += 2;
        }
    }
    long long v = 0;
    const char* digits = p;
    for (; p < end; ++p) {
        int d;
        if (*p >= '0' && *p <= '9') {
            d = *p - '0';
        } else if (*p >= 'a' && *p <= 'f') {
            d = *p - 'a' + 10;
        } else if (*p >= 'A' && *p <= 'F') {
            d = *p - 'A' + 10;
        } else {
            break;
        }
        if (d >= base) {
            break;
        }
        if (v < 10'000'000'000LL) {
            v = v * base + d;
        }
    }
    if (p == digits) {
        return nullptr;
    }
    if (negative) {
        v = -v;
    }
    out = static_cast<int>(v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : v));
    return p;
}

const char* ScanDouble(const char* p, const char* end, double& out) {
    p = SkipSpace(p, end);
    bool negative = false;
    if (p < end && *p == '+') {
        ++p;
        if (p < end && *p == '-') {
            return nullptr;
        }
    } else if (p < end && *p == '-') {
        negative = true;
        ++p;
        if (p < end && *p == '+') {
            return nullptr;
        }
    }
    double v = 0.0;
    const auto [next, ec] = std::from_chars(p, end, v, std::chars_format::general);
    if (ec == std::errc::invalid_argument || next == p) {
        return nullptr;
    }
    if (ec == std::errc::result_out_of_range) {
        // Too large reads as infinity, too small as zero, as strtod does.
        const char* e = p;
        while (e < next && *e != 'e' && *e != 'E') {
            ++e;
        }
        int exponent = 0;
        if (e < next) {
            ScanDecimal(e + 1, next, exponent);
        }
        v = exponent > 0 ? HUGE_VAL : 0.0;
    }
    out = negative ? -v : v;
    return next;
}

const char* ScanFloat(const char* p, const char* end, float& out) {
    double v = 0.0;
    const char* next = ScanDouble(p, end, v);
    if (next == nullptr) {
        return nullptr;
    }
    if (std::isfinite(v) && std::fabs(v) > 3.4028234663852886e38) {
        v = v > 0 ? HUGE_VAL : -HUGE_VAL;
    }
    out = static_cast<float>(v);
    return next;
}

int RecordLineParser::Parse(std::string_view line, RecordLine& out, bool withTime) {
    out = RecordLine{};
    if (line == "\n") {
        return kReadOk;  // kSkip
    }
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* t1 = SkipSpace(begin, end);
    const char* t1End = TokenEnd(t1, end);
    const char* t2 = SkipSpace(t1End, end);
    const char* t2End = TokenEnd(t2, end);
    if (t2 == t2End) {
        return kDateTimeFormat;  // fewer than two tokens
    }
    const std::string_view first(t1, static_cast<std::size_t>(t1End - t1));
    const std::string_view second(t2, static_cast<std::size_t>(t2End - t2));
    if (format_ == LogFormat::kDataRecorder && first == "DATE") {
        out.kind = RecordLine::kHeader;
        return ParseHeader(std::string_view(t2, static_cast<std::size_t>(end - t2)));
    }
    if (format_ == LogFormat::kOwnLog && first == "QMX_DATA") {
        return kReadOk;  // raw controller lines are not samples
    }
    const char* content = t2End;
    while (content < end && (*content == ' ' || *content == '\t')) {
        ++content;
    }
    out.kind = RecordLine::kData;
    out.content = std::string_view(content, static_cast<std::size_t>(end - content));
    if (!withTime) {
        return kReadOk;
    }
    return format_ == LogFormat::kDataRecorder ? DataRecorderTime(first, second, out.time)
                                               : OwnLogTime(first, second, out.time);
}

// "DATE zone [flag]": zone EST, CST, MST or PST; the flag "+DST" marks daylight saving time.
int RecordLineParser::ParseHeader(std::string_view rest) {
    const char* p = rest.data();
    const char* end = p + rest.size();
    const char* zEnd = TokenEnd(p, end);
    const std::string_view zone(p, static_cast<std::size_t>(zEnd - p));
    const char* f = SkipSpace(zEnd, end);
    const std::string_view flag(f, static_cast<std::size_t>(TokenEnd(f, end) - f));
    const bool zoneOk = zone.size() == 3 &&
                        (zone[0] == 'E' || zone[0] == 'C' || zone[0] == 'M' || zone[0] == 'P') &&
                        zone[1] == 'S' && zone[2] == 'T';
    if (!zoneOk) {
        return kDateTimeFormat;
    }
    const bool daylight = flag == "+DST";
    if (!headerSeen_) {
        headerSeen_ = true;
        zone_ = std::string(zone);
        daylight_ = daylight;
        const int standardHours = zone[0] == 'E'   ? -5
                                  : zone[0] == 'C' ? -6
                                  : zone[0] == 'M' ? -7
                                                   : -8;
        utcOffset_ = (standardHours + (daylight ? 1 : 0)) * 3600;
        return kReadOk;
    }
    if (zone != zone_ || daylight != daylight_) {
        return kContradictoryHeaders;
    }
    return kReadOk;
}

// Date "month/day/year" (exactly three numbers), time "hour:minute:second" (at least three).
int RecordLineParser::DataRecorderTime(std::string_view date, std::string_view time,
                                       std::time_t& out) {
    int d[3];
    int t[3];
    if (date.size() == lastDateLength_ &&
        date.compare(0, date.size(), lastDate_, date.size()) == 0) {
        d[0] = lastDateFields_[0];
        d[1] = lastDateFields_[1];
        d[2] = lastDateFields_[2];
    } else {
        if (ScanThree(date, '/', d) != 3) {
            return kDateTimeFormat;
        }
        if (date.size() <= sizeof lastDate_) {
            date.copy(lastDate_, date.size());
            lastDateLength_ = date.size();
            std::copy(d, d + 3, lastDateFields_);
        }
    }
    if (!ReadClockTime(time, t) && ScanThree(time, ':', t) != 3) {
        return kDateTimeFormat;
    }
    const bool ok = headerSeen_
                        ? zoneDays_.ToTime(d[2], d[0], d[1], t[0], t[1], t[2], utcOffset_, out)
                        : days_.ToTime(d[2], d[0], d[1], t[0], t[1], t[2], daylight_, out);
    if (!ok) {
        return kDateTimeFormat;
    }
    return kReadOk;
}

// Date "year-month-day", time "hour:minute:second" followed directly by the zone abbreviation.
int RecordLineParser::OwnLogTime(std::string_view date, std::string_view time, std::time_t& out) {
    int d[3];
    int t[3];
    const char* after = nullptr;
    if (ScanThree(date, '-', d) != 3 || ScanThree(time, ':', t, &after) != 3) {
        return kDateTimeFormat;
    }
    // Brennic writes every field in range; one that is not comes from a record cut short with
    // the next glued to it ("2009-06-2009-06-01"), which must not pass as a distant date.
    if (d[0] < 1900 || d[0] > 9999 || d[1] < 1 || d[1] > 12 || d[2] < 1 || d[2] > 31 || t[0] < 0 ||
        t[0] > 23 || t[1] < 0 || t[1] > 59 || t[2] < 0 || t[2] > 60) {
        return kDateTimeFormat;
    }
    const std::string_view zone(after, static_cast<std::size_t>(time.data() + time.size() - after));
    const std::string_view lastThree = time.size() >= 3 ? time.substr(time.size() - 3) : time;
    const bool daylight = zones_.IsDaylight(zone, lastThree, d[0]);
    if (!days_.ToTime(d[0], d[1], d[2], t[0], t[1], t[2], daylight, out)) {
        return kDateTimeFormat;
    }
    return kReadOk;
}

std::string_view UpToFirstNul(std::string_view text) {
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        return text.substr(0,
                           static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
    }
    return text;
}

}  // namespace brennic
