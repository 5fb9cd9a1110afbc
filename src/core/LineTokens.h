#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace brennic {

inline constexpr int kMaxTokens = 20;
inline constexpr std::size_t kTokenMax = 31;  // longer tokens keep their first 31 characters

// The whitespace-separated tokens of one controller line, as views into the line (which must
// outlive them). Tokens past the twentieth are ignored. Only the first `count` entries are
// set: the arrays are left uninitialised, as clearing them costs more than splitting a line.
struct LineTokens {
    std::array<const char*, kMaxTokens> begin;
    std::array<std::uint8_t, kMaxTokens> size;
    int count = 0;

    std::string_view operator[](int i) const {
        const auto k = static_cast<std::size_t>(i);
        return std::string_view(begin[k], size[k]);
    }
};

// Splits `line` at blanks, tabs, carriage returns and line feeds. Any thread.
LineTokens Tokenise(std::string_view line);

}  // namespace brennic
