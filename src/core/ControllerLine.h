#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace brennic {

// Readings of one line in the order the processor stores them. The first `written` values
// go to their slots (a token that did not convert is stored too, as -9998.0, and ends the
// reading); `complete` says whether every reading converted.
struct LineReadings {
    std::array<float, 6> value{};
    std::uint8_t written = 0;
    std::uint8_t openSensors = 0;  // "OPEN.S" tokens among the written values
    bool badToken = false;         // the last written value did not convert
    bool complete = false;
};

// A short text of a line kept by value, so that a parsed line outlives the text it was read
// from (the first line of a two-line report waits for its GPM line).
template <std::size_t N>
struct LineText {
    std::array<char, N> text{};
    std::uint8_t size = 0;

    void Assign(std::string_view s) {
        size = static_cast<std::uint8_t>(s.size() < N ? s.size() : N);
        for (std::size_t i = 0; i < size; ++i) {
            text[i] = s[i];
        }
    }
    std::string_view View() const { return std::string_view(text.data(), size); }
};

// What one controller line says, read without any state: which kind of line it is for the
// controller model it was read for, and its readings. Applying it to the processor's state
// (counts, samples, statistics, logs) is the processor's part (ProcessParsedLine).
struct ParsedLine {
    enum class Kind : std::uint8_t {
        kNothing,  // no tokens, or a RUNTIME line
        kGpm,      // the GPM line of a two-line report (BTU model)
        kTooFew,   // too few tokens for a report
        kLetter,   // a first token that starts with a letter: not a report
        kReport,   // a report line (for the BTU model: its first line)
    };
    Kind kind = Kind::kNothing;
    int model = -1;         // the controller type it was read for
    bool gpmLine = false;   // the first token starts with "GPM="
    bool pumpOn = false;    // what the line says of the pump
    LineReadings readings;  // kGpm: GPM FPL AX3 KWH; kReport: COL STO, the two limits, AX1 AX2
    LineText<15> upl;       // kReport: UPLim and FAULT as the line has them (" " if absent)
    LineText<31> fault;
};

// Reads `line` (a controller line as received or recorded; its first 511 characters count)
// for controller type `model`. Pure: any thread.
ParsedLine ParseControllerLine(std::string_view line, int model);

// Where a line's reading tokens stand, as offsets into the line: what ParseControllerLine
// would convert.
struct ReadingTokens {
    std::array<std::uint16_t, 6> begin{};
    std::array<std::uint8_t, 6> size{};
    std::uint8_t count = 0;
    bool keyValues = false;  // KEY=value tokens
};

// ParseControllerLine in two halves, for a reader that splits the work between threads: the
// line's kind, pump and texts with where its readings stand (the readings left empty), then
// the readings of the same line. Together they give what ParseControllerLine gives. Pure.
// (`out` is written in place: a parsed line copied right after it was written byte by byte
// costs more than the parsing.)
void ParseControllerLineShape(std::string_view line, int model, ParsedLine& out,
                              ReadingTokens& readings);
void ReadReadings(std::string_view line, const ReadingTokens& tokens, LineReadings& out);

}  // namespace brennic
