#include "core/LineTokens.h"

#include <cstdint>

namespace brennic {

namespace {
// Blank, tab, line feed, vertical tab, form feed, carriage return as one bit test.
constexpr std::uint64_t kBlanks = (std::uint64_t{1} << ' ') | (std::uint64_t{1} << '\t') |
                                  (std::uint64_t{1} << '\n') | (std::uint64_t{1} << '\v') |
                                  (std::uint64_t{1} << '\f') | (std::uint64_t{1} << '\r');

inline bool IsBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= ' ' && ((kBlanks >> u) & 1U) != 0;
}
}  // namespace

LineTokens Tokenise(std::string_view line) {
    LineTokens out;
    const char* p = line.data();
    const char* const end = p + line.size();
    while (out.count < kMaxTokens) {
        while (p != end && IsBlank(*p)) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const char* const start = p;
        while (p != end && !IsBlank(*p)) {
            ++p;
        }
        const auto length = static_cast<std::size_t>(p - start);
        out.token[static_cast<std::size_t>(out.count++)] =
            std::string_view(start, length < kTokenMax ? length : kTokenMax);
    }
    return out;
}

}  // namespace brennic
