#include "core/LineTokens.h"

namespace brennic {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
}  // namespace

LineTokens Tokenise(std::string_view line) {
    LineTokens out;
    const std::size_t size = line.size();
    std::size_t i = 0;
    while (out.count < kMaxTokens) {
        while (i < size && IsBlank(line[i])) {
            ++i;
        }
        if (i == size) {
            break;
        }
        const std::size_t start = i;
        while (i < size && !IsBlank(line[i])) {
            ++i;
        }
        std::size_t length = i - start;
        if (length > kTokenMax) {
            length = kTokenMax;
        }
        out.token[static_cast<std::size_t>(out.count++)] = line.substr(start, length);
    }
    return out;
}

}  // namespace brennic
