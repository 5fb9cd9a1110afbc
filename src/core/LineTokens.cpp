#include "core/LineTokens.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

constexpr std::size_t kWindow = 64;

// Bit i set when p[i] is blank, for the first `n` (at most 64) characters; the bits past `n`
// are set as well, so that a token running to the end of the text ends there.
std::uint64_t BlankBits(const char* p, std::size_t n) {
#if defined(__SSE2__)
    // Sixteen characters per step, straight from the text: the last step of a window that
    // ends within sixteen characters reads the sixteen that end at its end and keeps the bits
    // of the characters not yet seen. Only a text shorter than sixteen characters is looked at
    // one character at a time. (Copying a short rest into a padded buffer instead costs a
    // stalled load per step, as the loads straddle the copy's stores.)
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i four = _mm_set1_epi8(4);
    auto blankMask = [&](const char* at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i fromTab = _mm_sub_epi8(v, tab);  // \t \n \v \f \r become 0..4
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, four), fromTab);
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(v, space), control);
        return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(blank)));
    };
    std::uint64_t bits = n < kWindow ? ~std::uint64_t{0} << n : 0;
    std::size_t done = 0;
    for (; done + 16 <= n; done += 16) {
        bits |= blankMask(p + done) << done;
    }
    if (done < n) {
        if (n >= 16) {
            const std::size_t seen = 16 - (n - done);  // characters of the last load already had
            bits |= blankMask(p + n - 16) >> seen << done;
        } else {
            for (std::size_t i = 0; i < n; ++i) {
                bits |= static_cast<std::uint64_t>(IsBlank(p[i])) << i;
            }
        }
    }
    return bits;
#else
    std::uint64_t bits = n < kWindow ? ~std::uint64_t{0} << n : 0;
    for (std::size_t i = 0; i < n; ++i) {
        bits |= static_cast<std::uint64_t>(IsBlank(p[i])) << i;
    }
    return bits;
#endif
}

}  // namespace

// The line is looked at 64 characters at a time: a mask of its blanks, and each token's start
// and end found as the next set bit of the mask or of its complement.
LineTokens Tokenise(std::string_view line) {
    LineTokens out;
    const char* const text = line.data();
    const std::size_t size = line.size();
    std::size_t start = 0;
    bool inToken = false;
    auto add = [&](std::size_t end) {
        const auto k = static_cast<std::size_t>(out.count++);
        out.begin[k] = text + start;
        out.size[k] = static_cast<std::uint8_t>(std::min(end - start, kTokenMax));
    };
    for (std::size_t base = 0; base < size; base += kWindow) {
        const std::uint64_t blank = BlankBits(text + base, std::min(size - base, kWindow));
        std::uint64_t ahead = ~std::uint64_t{0};  // the bits not yet passed
        for (;;) {
            if (!inToken) {
                const std::uint64_t starts = ~blank & ahead;
                if (starts == 0) {
                    break;
                }
                const int at = std::countr_zero(starts);
                start = base + static_cast<std::size_t>(at);
                ahead = ~std::uint64_t{0} << at;
                inToken = true;
            }
            const std::uint64_t ends = blank & ahead;
            if (ends == 0) {
                break;
            }
            const int at = std::countr_zero(ends);
            add(base + static_cast<std::size_t>(at));
            if (out.count == kMaxTokens) {
                return out;
            }
            ahead = ~std::uint64_t{0} << at;
            inToken = false;
        }
    }
    if (inToken) {
        add(size);
    }
    return out;
}

}  // namespace brennic
