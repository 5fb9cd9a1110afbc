#pragma once

#include <cstddef>
#include <string>

namespace brennic {

// Collects controller bytes into lines: bytes 0x20..0x7F are kept, a carriage return ends
// the line, every other byte (line feed, TAB, NUL, 0x80..0xFF) is dropped. A line keeps at
// most 510 characters; once full, each further character replaces the last one, so a long
// line ends with the last character received before its carriage return. Not thread-safe.
class LineAssembler {
  public:
    static constexpr std::size_t kMaxLine = 510;

    LineAssembler() { line_.reserve(kMaxLine); }

    // True when `byte` ended a line; the line is then taken with Take().
    bool Push(unsigned char byte) {
        if (byte >= 0x20 && byte <= 0x7F) {
            if (line_.size() < kMaxLine) {
                line_.push_back(static_cast<char>(byte));
            } else {
                line_.back() = static_cast<char>(byte);
            }
            return false;
        }
        return byte == 0x0D;
    }

    std::string Take() {
        std::string out = std::move(line_);
        line_.clear();
        line_.reserve(kMaxLine);
        return out;
    }

  private:
    std::string line_;
};

}  // namespace brennic
