#include "core/ValueReader.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/Sample.h"

namespace brennic {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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
