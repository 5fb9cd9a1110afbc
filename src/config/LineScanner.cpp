#include "config/LineScanner.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <streambuf>

namespace brennic {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Converts an optionally signed integer starting at `first`; base 0 picks the base like
// "%i" does ("0x.." hex, "0.." octal, else decimal). `from_chars` takes '-' but not '+' and
// no prefix, so sign and prefix are handled here.
bool ConvertInt(const char* first, const char* last, int base, int& value, const char*& end) {
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    if (base == 0) {
        if (last - first >= 3 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X') &&
            IsHexDigit(first[2])) {
            base = 16;
            first += 2;
        } else {
            base = first < last && *first == '0' ? 8 : 10;
        }
    }
    unsigned long long magnitude = 0;
    const auto r = std::from_chars(first, last, magnitude, base);
    if (r.ec != std::errc() || r.ptr == first) {
        return false;
    }
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) {
        return false;
    }
    value = negative ? static_cast<int>(-static_cast<long long>(magnitude))
                     : static_cast<int>(magnitude);
    end = r.ptr;
    return true;
}

template <typename T>
bool ConvertReal(const char* first, const char* last, T& value, const char*& end) {
    if (first < last && *first == '+') {
        ++first;
        if (first < last && *first == '-') {
            return false;
        }
    }
    T v{};
    const auto r = std::from_chars(first, last, v, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(v)) {
        return false;
    }
    value = v;
    end = r.ptr;
    return true;
}

}  // namespace

bool ReadTextLine(std::istream& in, std::string& line, std::size_t maxLength) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    if (buf == nullptr || !in.good()) {
        return false;
    }
    bool any = false;
    bool nul = false;
    for (;;) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            break;
        }
        any = true;
        if (c == '\n') {
            break;
        }
        if (c == '\0') {
            nul = true;
        }
        if (!nul && line.size() < maxLength) {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return any;
}

void CutText(std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return;
    }
    std::size_t cut = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text.resize(cut);
}

void LineScanner::SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) {
        ++pos_;
    }
}

bool LineScanner::Literal(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    return false;
}

bool LineScanner::Int(int& value) {
    return IntInBase(value, 10);
}

bool LineScanner::IntAnyBase(int& value) {
    return IntInBase(value, 0);
}

bool LineScanner::IntInBase(int& value, int base) {
    const std::size_t start = pos_;
    SkipBlanks();
    const char* end = nullptr;
    if (!ConvertInt(text_.data() + pos_, text_.data() + text_.size(), base, value, end)) {
        pos_ = start;
        return false;
    }
    pos_ = static_cast<std::size_t>(end - text_.data());
    return true;
}

bool LineScanner::Hex(std::uint32_t& value) {
    const std::size_t start = pos_;
    SkipBlanks();
    const char* p = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    if (last - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && IsHexDigit(p[2])) {
        p += 2;
    }
    std::uint32_t v = 0;
    const auto r = std::from_chars(p, last, v, 16);
    if (r.ec != std::errc()) {
        pos_ = start;
        return false;
    }
    value = v;
    pos_ = static_cast<std::size_t>(r.ptr - text_.data());
    return true;
}

bool LineScanner::Double(double& value) {
    const std::size_t start = pos_;
    SkipBlanks();
    const char* end = nullptr;
    if (!ConvertReal(text_.data() + pos_, text_.data() + text_.size(), value, end)) {
        pos_ = start;
        return false;
    }
    pos_ = static_cast<std::size_t>(end - text_.data());
    return true;
}

bool LineScanner::Float(float& value) {
    const std::size_t start = pos_;
    SkipBlanks();
    const char* end = nullptr;
    if (!ConvertReal(text_.data() + pos_, text_.data() + text_.size(), value, end)) {
        pos_ = start;
        return false;
    }
    pos_ = static_cast<std::size_t>(end - text_.data());
    return true;
}

bool LineScanner::Word(std::string& value, std::size_t max) {
    const std::size_t start = pos_;
    SkipBlanks();
    std::size_t end = pos_;
    while (end < text_.size() && !IsBlank(text_[end])) {
        ++end;
    }
    if (end == pos_) {
        pos_ = start;
        return false;
    }
    value.assign(text_.substr(pos_, end - pos_));
    CutText(value, max);
    pos_ = end;
    return true;
}

void AppendInt(std::string& out, long long value) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, r.ptr);
}

void AppendHex(std::string& out, std::uint32_t value) {
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    out.append(buffer, r.ptr);
}

void AppendFixed(std::string& out, double value, int decimals) {
    // Room for the largest double in fixed notation (309 digits) and the decimals.
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) {
        out += "0";
        return;
    }
    out.append(buffer, r.ptr);
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    out.append(text);
    if (text.size() < width) {
        out.append(width - text.size(), ' ');
    }
}

}  // namespace brennic
