#pragma once

#include <array>
#include <string_view>

namespace brennic {

inline constexpr int kMaxTokens = 20;
inline constexpr std::size_t kTokenMax = 31;  // longer tokens keep their first 31 characters

// The whitespace-separated tokens of one controller line, as views into the line (which must
// outlive them). Tokens past the twentieth are ignored.
struct LineTokens {
    std::array<std::string_view, kMaxTokens> token{};
    int count = 0;

    std::string_view operator[](int i) const { return token[static_cast<std::size_t>(i)]; }
};

// Splits `line` at blanks, tabs, carriage returns and line feeds. Any thread.
LineTokens Tokenise(std::string_view line);

}  // namespace brennic
