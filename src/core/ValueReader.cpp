#include "core/ValueReader.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "core/Sample.h"

namespace brennic {

namespace {
bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}
}  // namespace

bool ReadDecimal(std::string_view token, float& out) {
    const char* p = token.data();
    const char* const end = p + token.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // from_chars takes no '+' and would read "inf"/"nan"/a second sign; only a digit or a
    // point followed by a digit may start the number itself.
    if (p == end) {
        return false;
    }
    if (!IsDigit(*p) && !(*p == '.' && p + 1 != end && IsDigit(p[1]))) {
        return false;
    }
    // Most readings are short decimals ("123.4"). With at most 7 digits the digits and the
    // power of ten are exact floats, so one float division rounds as from_chars does.
    {
        static constexpr float kPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};
        const char* q = p;
        std::uint32_t digits = 0;  // wraps past 9 digits, which go the long way below
        for (; q != end && IsDigit(*q); ++q) {
            digits = digits * 10 + static_cast<std::uint32_t>(*q - '0');
        }
        std::ptrdiff_t count = q - p;
        std::ptrdiff_t fraction = 0;
        if (q != end && *q == '.') {
            const char* const first = ++q;
            for (; q != end && IsDigit(*q); ++q) {
                digits = digits * 10 + static_cast<std::uint32_t>(*q - '0');
            }
            fraction = q - first;
            count += fraction;
        }
        // An exponent, or more digits than a float holds exactly, go the long way.
        if (count <= 7 && (q == end || (*q != 'e' && *q != 'E'))) {
            const float value = static_cast<float>(digits) / kPowers[fraction];
            out = negative ? -value : value;
            return true;
        }
    }
    float value = 0.0f;
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond float: a value too large is no reading; one too small is as good as 0.
        double wide = 0.0;
        const auto again = std::from_chars(p, end, wide, std::chars_format::general);
        if (again.ec != std::errc() || !(std::fabs(wide) <= std::numeric_limits<float>::max())) {
            return false;
        }
        value = static_cast<float>(wide);
    } else if (result.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(value)) {
        return false;
    }
    out = negative ? -value : value;
    return true;
}

TokenValue ReadValueToken(std::string_view token, float& out) {
    if (token == "OPEN.S") {
        out = kNoReading;
        return TokenValue::kOpenSensor;
    }
    if (ReadDecimal(token, out)) {
        return TokenValue::kNumber;
    }
    out = kBadToken;
    return TokenValue::kBad;
}

bool SplitKeyValue(std::string_view token, std::string_view& key, std::string_view& value) {
    const auto eq = token.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == token.size()) {
        return false;
    }
    key = token.substr(0, eq);
    value = token.substr(eq + 1);
    return true;
}

}  // namespace brennic
