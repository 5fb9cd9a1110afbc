#include "core/ControllerLine.h"

#include "config/Config.h"
#include "core/LineTokens.h"
#include "core/ValueReader.h"

namespace brennic {

namespace {

constexpr std::size_t kLineMax = 511;  // the processor keeps lines in 512-byte buffers

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool StartsWithLetter(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    const char c = s[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// One value token as the next reading. False when it ends the reading (a bad token, stored
// as -9998.0).
bool ReadValue(std::string_view token, LineReadings& r) {
    float& slot = r.value[r.written++];
    switch (ReadValueToken(token, slot)) {
        case TokenValue::kNumber:
            return true;
        case TokenValue::kOpenSensor:
            ++r.openSensors;
            return true;
        case TokenValue::kBad:
            break;
    }
    r.badToken = true;
    return false;
}

// A KEY=value token; only the value is used. A token without that form ends the reading and
// stores nothing.
bool ReadKeyValue(std::string_view token, LineReadings& r) {
    std::string_view key;
    std::string_view value;
    return SplitKeyValue(token, key, value) && ReadValue(value, r);
}

// Notes tokens `first`..`first + count - 1` as the line's readings, values or KEY=value
// tokens.
void NoteReadings(const LineTokens& t, std::string_view line, int first, int count, bool keyValues,
                  ReadingTokens& out) {
    out.count = static_cast<std::uint8_t>(count);
    out.keyValues = keyValues;
    for (int i = 0; i < count; ++i) {
        const std::string_view token = t[first + i];
        out.begin[static_cast<std::size_t>(i)] =
            static_cast<std::uint16_t>(token.data() - line.data());
        out.size[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(token.size());
    }
}

// A report line: time COLL-T STOR-T DIFF-T HILI-T AUX-1 AUX-2 PUMP UPLim FAULT, or for the
// LCD model COL STO PKH PKL AX1 AX2 as KEY=value tokens (the position decides, the keys are
// not compared).
void ReadReport(const LineTokens& t, std::string_view line, int model, ParsedLine& out,
                ReadingTokens& readings) {
    const bool lcd = model == kVexin2Lcd;
    NoteReadings(t, line, lcd ? 0 : 1, 6, lcd, readings);
    out.upl.Assign(t.count > 8 ? t[8] : std::string_view(" "));
    out.fault.Assign(t.count > 9 ? t[9] : std::string_view(" "));
    out.pumpOn = t.count > 7 && t[7] == "ON";
    if (lcd) {
        // A KEY=value line names its pump: "PMP=ON" wherever it stands (the test data and
        // the simulator put it sixth); a line without that key keeps the eighth token.
        for (int i = 0; i < t.count; ++i) {
            std::string_view key;
            std::string_view value;
            if (SplitKeyValue(t[i], key, value) && key == "PMP") {
                out.pumpOn = value == "ON";
                break;
            }
        }
    }
}

}  // namespace

void ParseControllerLineShape(std::string_view line, int model, ParsedLine& out,
                              ReadingTokens& readings) {
    out = ParsedLine{};
    out.model = model;
    readings = ReadingTokens{};
    line = line.substr(0, kLineMax);
    const LineTokens t = Tokenise(line);
    if (t.count == 0 || t[0] == "RUNTIME") {
        return;
    }
    const int n = t.count;
    out.gpmLine = StartsWith(t[0], "GPM=");
    if (model == kVexin2Btu && out.gpmLine && n == 4) {
        // GPM=flow FPL=.. AX3=temperature KWH=..
        out.kind = ParsedLine::Kind::kGpm;
        NoteReadings(t, line, 0, 4, true, readings);
        return;
    }
    if (model == kVexin2Lcd ? n < 8 : n < 9) {
        out.kind = ParsedLine::Kind::kTooFew;
        return;
    }
    if (!(model == kVexin2Lcd && StartsWith(t[0], "COL")) && StartsWithLetter(t[0])) {
        out.kind = ParsedLine::Kind::kLetter;
        return;
    }
    out.kind = ParsedLine::Kind::kReport;
    ReadReport(t, line, model, out, readings);
}

// Reads the noted tokens in order; the first that does not read ends the reading.
void ReadReadings(std::string_view line, const ReadingTokens& tokens, LineReadings& out) {
    for (std::size_t i = 0; i < tokens.count; ++i) {
        const std::string_view token = line.substr(tokens.begin[i], tokens.size[i]);
        if (!(tokens.keyValues ? ReadKeyValue(token, out) : ReadValue(token, out))) {
            return;
        }
    }
    out.complete = tokens.count > 0;
}

ParsedLine ParseControllerLine(std::string_view line, int model) {
    ReadingTokens readings;
    ParsedLine out;
    ParseControllerLineShape(line, model, out, readings);
    ReadReadings(line, readings, out.readings);
    return out;
}

}  // namespace brennic
