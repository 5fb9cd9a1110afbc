#pragma once

#include <string_view>

namespace brennic {

// Reads a decimal number the way the controller's values were always read ("%f"): an
// optional sign ('+' or '-'), digits with an optional point, an optional exponent; the
// longest such prefix counts, so "12.5abc" reads 12.5. A token that starts with no number,
// and one whose value is not finite ("nan", "inf", 1e50 beyond float range), does not
// convert. Locale-independent, allocation-free. Any thread.
bool ReadDecimal(std::string_view token, float& out);

// What a value token of a controller report gives.
enum class TokenValue { kNumber, kOpenSensor, kBad };

// Reads one value token: "OPEN.S" is an open sensor (out = -9999.0); a number as above;
// anything else is bad (out = -9998.0). Any thread.
TokenValue ReadValueToken(std::string_view token, float& out);

// Splits a KEY=value token: a non-empty key up to the first '=', then a non-empty value.
// False when the token has no such form. Any thread.
bool SplitKeyValue(std::string_view token, std::string_view& key, std::string_view& value);

}  // namespace brennic
