#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace brennic {

// Locale-free reading and writing of the numbers and words of line-oriented text files.
//
// The C library's scanf/printf follow LC_NUMERIC, which Qt sets from the environment: under
// de_DE "5.000" would read as 5 and 5.0 would be written as "5,000". Everything here is
// built on std::from_chars / std::to_chars, which always use the "C" conventions and touch
// no global or thread-local state, so files read and write the same under any locale and
// on any thread.

// Reads one line without its '\n' (and without a '\r' before it, for files written on
// Windows). Keeps at most `maxLength` characters and drops the rest of a longer line, so a
// long line never turns into two records. Text after a NUL byte is dropped as well. Returns
// false at the end of the input when no line was left.
bool ReadTextLine(std::istream& in, std::string& line, std::size_t maxLength = 65536);

// Cuts `text` to at most `maxBytes` bytes without splitting a UTF-8 sequence.
void CutText(std::string& text, std::size_t maxBytes);

// A cursor over one line that converts like the scanf directives named below. Each
// conversion skips leading blanks (space, tab, CR, LF, VT, FF) except Literal. A conversion
// that fails leaves its target unchanged and the cursor where it was. Numbers that do not
// fit their type, and doubles that are not finite, count as failures.
class LineScanner {
  public:
    explicit LineScanner(std::string_view text) : text_(text) {}

    void SkipBlanks();
    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string_view Rest() const { return text_.substr(pos_); }

    bool Literal(char c);                            // the character itself, no skipping
    bool Int(int& value);                            // "%d"
    bool IntAnyBase(int& value);                     // "%i": 0x.. hex, 0.. octal, else decimal
    bool Hex(std::uint32_t& value);                  // "%x", an optional "0x" accepted
    bool Double(double& value);                      // "%lf"
    bool Float(float& value);                        // "%f"
    bool Word(std::string& value, std::size_t max);  // "%s", cut to `max` bytes

  private:
    bool IntInBase(int& value, int base);

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Scans up to `count` integers separated by single commas ("%d,%d,..."), storing each one
// that reads through `store(index, value)`. Stops at the first that does not read; returns
// how many were stored.
template <typename Store>
int ScanIntList(LineScanner& scanner, int count, Store&& store) {
    for (int i = 0; i < count; ++i) {
        int value = 0;
        if ((i > 0 && !scanner.Literal(',')) || !scanner.Int(value)) {
            return i;
        }
        store(i, value);
    }
    return count;
}

// Formatting, always with '.' as the decimal point.
void AppendInt(std::string& out, long long value);                              // "%d"
void AppendHex(std::string& out, std::uint32_t value);                          // "%x"
void AppendFixed(std::string& out, double value, int decimals);                 // "%.Nf"
void AppendPadded(std::string& out, std::string_view text, std::size_t width);  // "%-Ns"

}  // namespace brennic
