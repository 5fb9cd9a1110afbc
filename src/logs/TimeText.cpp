#include "logs/TimeText.h"

#include <array>
#include <charconv>

#include "core/LocalTime.h"

namespace brennic {

namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 12> kMonthShort = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                     "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Zero-padded decimal of at least `width` digits (negative values keep their sign).
void AppendNumber(std::string& out, long long value, int width) {
    char digits[24];
    const bool negative = value < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                                  : static_cast<unsigned long long>(value);
    const auto res = std::to_chars(digits, digits + sizeof digits, magnitude);
    const int length = static_cast<int>(res.ptr - digits);
    if (negative) {
        out += '-';
    }
    for (int i = length; i < width; ++i) {
        out += '0';
    }
    out.append(digits, res.ptr);
}

const char* MonthOf(const std::array<const char*, 12>& names, int month) {
    return month >= 0 && month < 12 ? names[static_cast<std::size_t>(month)] : "???";
}

}  // namespace

std::string ZoneText(const std::tm& local) {
    std::string zone;
    if (local.tm_zone != nullptr) {
        zone = local.tm_zone;
    } else if (local.tm_isdst >= 0) {
        zone = tzname[local.tm_isdst > 0 ? 1 : 0];
    }
    if (zone.size() > kZoneTextMax) {
        zone.resize(kZoneTextMax);
    }
    return zone;
}

std::string FormatTime(std::string_view format, const std::tm& local) {
    std::string out;
    out.reserve(format.size() + 16);
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        const char conversion = format[++i];
        switch (conversion) {
            case '%':
                out += '%';
                break;
            case 'B':
                out += MonthOf(kMonthNames, local.tm_mon);
                break;
            case 'b':
                out += MonthOf(kMonthShort, local.tm_mon);
                break;
            case 'd':
                AppendNumber(out, local.tm_mday, 2);
                break;
            case 'H':
                AppendNumber(out, local.tm_hour, 2);
                break;
            case 'I':
                AppendNumber(out, local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12, 2);
                break;
            case 'M':
                AppendNumber(out, local.tm_min, 2);
                break;
            case 'S':
                AppendNumber(out, local.tm_sec, 2);
                break;
            case 'm':
                AppendNumber(out, local.tm_mon + 1, 2);
                break;
            case 'p':
                out += local.tm_hour < 12 ? "AM" : "PM";
                break;
            case 'Y':
                AppendNumber(out, 1900LL + local.tm_year, 4);
                break;
            case 'y': {
                const long long year = (1900LL + local.tm_year) % 100;
                AppendNumber(out, year < 0 ? -year : year, 2);
                break;
            }
            case 'z':
            case 'Z':
                // The system's zone names are abbreviations already; there is no long form.
                out += ZoneText(local);
                break;
            default:
                out += '%';
                out += conversion;
                break;
        }
    }
    return out;
}

std::string FormatTime(std::string_view format, std::time_t t) {
    std::tm local{};
    if (!ToLocalTime(t, local)) {
        return {};
    }
    return FormatTime(format, local);
}

std::string TimeText(std::time_t t) {
    return FormatTime(kTimeTextFormat, t);
}

}  // namespace brennic
