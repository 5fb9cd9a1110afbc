#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brennic {

// The texts of the test data generator's fields. Independent of the locale. Thread-safe.

// A maximum, minimum or value as the fields show it: two decimals ("165.00").
std::string TestValueText(double value);

// A number typed into a maximum, minimum or value field: leading blanks, an optional sign,
// a decimal number (exponent allowed); anything after the number is ignored, as a C reader
// does. Nothing when the text holds no finite number.
std::optional<double> ReadTestValue(std::string_view text);

// A whole number typed into a pump or time offset field: leading blanks, an optional sign,
// decimal digits; anything after them is ignored. Nothing when the text holds no number or
// the number does not fit 32 bits.
std::optional<int> ReadTestInteger(std::string_view text);

}  // namespace brennic
