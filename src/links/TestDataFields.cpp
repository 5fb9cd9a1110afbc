#include "links/TestDataFields.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace brennic {

namespace {

// The text after leading blanks and a '+' sign (which from_chars does not take); nothing
// when the '+' is followed by another sign.
std::optional<std::string_view> NumberStart(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text.remove_prefix(first);
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '+' || text.front() == '-') {
            return std::nullopt;
        }
    }
    return text;
}

}  // namespace

std::string TestValueText(double value) {
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (r.ec != std::errc()) {
        return {};
    }
    return std::string(buffer, r.ptr);
}

std::optional<double> ReadTestValue(std::string_view text) {
    const auto start = NumberStart(text);
    if (!start) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto r = std::from_chars(start->data(), start->data() + start->size(), value);
    if (r.ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ReadTestInteger(std::string_view text) {
    const auto start = NumberStart(text);
    if (!start) {
        return std::nullopt;
    }
    long long value = 0;
    const auto r = std::from_chars(start->data(), start->data() + start->size(), value, 10);
    if (r.ec != std::errc() || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace brennic
