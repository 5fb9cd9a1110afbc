#include "config/ConfigFormat.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "config/ConfigLayout.h"
#include "config/LineScanner.h"

namespace brennic {

namespace {

using namespace config_layout;

int Clamp(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

bool StartsWithBlank(const std::string& line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

std::string WithoutTrailingBlanks(std::string_view text) {
    const std::size_t end = text.find_last_not_of(' ');
    return std::string(end == std::string_view::npos ? std::string_view()
                                                     : text.substr(0, end + 1));
}

// The text of `line` from `column`, at most `count` characters ("" past the end).
std::string_view Columns(const std::string& line, std::size_t column, std::size_t count) {
    if (column >= line.size()) {
        return {};
    }
    return std::string_view(line).substr(column, count);
}

// Copies the next double-quoted text at or after `pos` into `out` (cut to `max`) and moves
// `pos` past its closing quote. A missing closing quote ends the text at the end of the line.
// Without an opening quote nothing changes and false is returned.
bool NextQuoted(const std::string& line, std::size_t& pos, std::string& out, std::size_t max) {
    const std::size_t open = line.find('"', pos);
    if (open == std::string::npos) {
        pos = line.size();
        return false;
    }
    const std::size_t close = line.find('"', open + 1);
    const std::size_t end = close == std::string::npos ? line.size() : close;
    out = line.substr(open + 1, end - open - 1);
    CutText(out, max);
    pos = close == std::string::npos ? line.size() : close + 1;
    return true;
}

// Line-oriented input where a file that ends early simply stops supplying lines.
class Lines {
  public:
    explicit Lines(std::istream& in) : in_(in) {}
    bool Next() {
        ended_ = ended_ || !ReadTextLine(in_, line_);
        if (ended_) {
            line_.clear();
        }
        return !ended_;
    }
    const std::string& Text() const { return line_; }

  private:
    std::istream& in_;
    std::string line_;
    bool ended_ = false;
};

template <std::size_t N>
void ReadFlags(const std::string& line, ChannelFlags& flags, const std::array<int, N>& order) {
    LineScanner s(line);
    ScanIntList(s, static_cast<int>(N), [&](int i, int v) {
        flags[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = v;
    });
}

void ReadPortLine(const std::string& line, Config& c) {
    LineScanner s(line);
    int controller = 0;
    int autoStart = 0;
    if (s.Word(c.comPort, kComPortMax) && s.IntAnyBase(controller)) {
        c.controllerType = controller;
        if (s.IntAnyBase(autoStart)) {
            c.autoStart = autoStart != 0;
        }
    }
}

void ReadColourLine(const std::string& line, ChannelTable& channels) {
    LineScanner s(line);
    for (std::size_t i = 0; i < kCurveChannels.size(); ++i) {
        std::uint32_t colour = 0;
        if ((i > 0 && !s.Literal(',')) || !s.Hex(colour)) {
            return;
        }
        channels[kCurveChannels[i]].colour = colour;
    }
}

void ReadLine6(const std::string& line, Config& c) {
    LineScanner s(line);
    for (std::size_t i = 0; i < kLine6.size(); ++i) {
        if (i > 0 && !s.Literal(',')) {
            return;
        }
        const Line6Field& f = kLine6[i];
        if (f.real != nullptr) {
            if (!s.Double(c.*f.real)) {
                return;
            }
            continue;
        }
        int v = 0;
        if (!s.Int(v)) {
            return;
        }
        if (f.integer != nullptr) {
            c.*f.integer = v;
        } else if (f.flag != nullptr) {
            c.*f.flag = v != 0;
        }
    }
}

// The corrections that follow line 6, also when the line was missing.
void CorrectLine6(Config& c, int version, int glycolCount) {
    if (version < 7) {
        c.btuEnable = 1;
        c.autoScroll = false;
    }
    if (c.tempRangeIndex < 0 || c.tempRangeIndex > 9) {
        c.tempRangeIndex = 0;
    }
    c.graphTempMax = kTempRanges[static_cast<std::size_t>(c.tempRangeIndex)].max;
    c.graphTempMin = kTempRanges[static_cast<std::size_t>(c.tempRangeIndex)].min;
    c.graphEveryNth = Clamp(c.graphEveryNth, 1, 100);
    c.xAxisHours = Clamp(c.xAxisHours, 4, 72);
    c.fixedFlowGpm = std::clamp(c.fixedFlowGpm, 1.0, 100.0);
    c.minFlowGpm = std::clamp(c.minFlowGpm, 0.0, 100.0);
    c.maxSamples = Clamp(c.maxSamples, 1000, 20000);
    for (int* percent : {&c.solarGlycolPercent, &c.haGlycolPercent}) {
        if (*percent < 0 || *percent > 100) {
            *percent = 50;
        }
    }
    for (int* mix : {&c.solarGlycolMix, &c.haGlycolMix}) {
        if (*mix < 0 || *mix >= glycolCount) {
            *mix = 0;
        }
    }
    // The configuration dialog keeps the width in 1..5; a pen thousands of pixels wide (or
    // a negative one) from a damaged file would make the chart unusable.
    c.graphLineWidth = Clamp(c.graphLineWidth, 1, 5);
}

void ReadFontLine(const std::string& line, DisplayFont& font) {
    if (line.empty() || StartsWithBlank(line)) {
        return;
    }
    DisplayFont f;
    f.set = true;
    const std::size_t comma = line.find(',');
    f.face = line.substr(0, comma);
    CutText(f.face, kText31);
    if (comma != std::string::npos) {
        LineScanner s(std::string_view(line).substr(comma + 1));
        int* const fields[] = {&f.height,       &f.weight,        &f.italic,  &f.charSet,
                               &f.outPrecision, &f.clipPrecision, &f.quality, &f.pitchAndFamily};
        ScanIntList(s, 8, [&](int i, int v) { *fields[i] = v; });
    }
    font = f;
}

void ReadSolarLine(const std::string& line, Config& c) {
    float longitude = 0.0f;
    float* const fields[] = {&c.latitude,
                             &longitude,
                             &c.collectorAzimuth,
                             &c.collectorTilt,
                             &c.collectorArea,
                             &c.incidentAngleModifier,
                             &c.efficiencyIntercept,
                             &c.efficiencySlope};
    c.collectorArea = 0.0f;
    LineScanner s(line);
    int read = 0;
    while (read < 8 && (read == 0 || s.Literal(',')) && s.Float(*fields[read])) {
        ++read;
    }
    if (c.collectorArea == 0.0f) {
        c.collectorArea = 1.0f;
    }
    // The file carries the west longitude. A longitude that did not read keeps its default
    // rather than turning into its negation.
    if (read >= 2) {
        c.longitude = 0.0f - longitude;
    }
    if (read < 8) {
        c.efficiencySlope = -5.0f;
    }
    if (read < 7) {
        c.efficiencyIntercept = 0.7f;
    }
    if (read < 6) {
        c.incidentAngleModifier = 0.2f;
    }
}

void ReadProbeLine(const std::string& line, OneWireProbe& probe) {
    probe.id = WithoutTrailingBlanks(Columns(line, 0, kIdColumns));
    probe.description =
        WithoutTrailingBlanks(Columns(line, kDescriptionColumn, kDescriptionColumns));
    probe.switchSelect = ParseSwitchField(std::string(Columns(line, kSwitchColumn, 2)));
}

void ReadNameLine(const std::string& line, ChannelInfo& channel) {
    std::size_t pos = 0;
    if (NextQuoted(line, pos, channel.shortName, kNameMax)) {
        NextQuoted(line, pos, channel.longName, kNameMax);
    }
}

void ReadQuotedLine(const std::string& line, std::string& field, std::size_t max) {
    std::size_t pos = 0;
    NextQuoted(line, pos, field, max);
}

void ReadWebLine(const std::string& line, Config& c) {
    int* const fields[] = {&c.webUploadFtp, &c.webWriteToDisk, &c.webIntervalMinutes,
                           &c.webShowErrors, &c.webIncludeScreenShot};
    LineScanner s(line);
    ScanIntList(s, 5, [&](int i, int v) { *fields[i] = v; });
}

}  // namespace

int ParseSwitchField(const std::string& field) {
    if (field == "A") {
        return 1;
    }
    if (field == "-A") {
        return -1;
    }
    if (field == "B") {
        return 2;
    }
    if (field == "-B") {
        return -2;
    }
    int value = 0;
    LineScanner s(field);
    s.IntAnyBase(value);
    if (value < -8) {
        return -1;
    }
    if (value > 8 || value == 0) {
        return 1;
    }
    return value;
}

int ParseConfig(std::istream& in, Config& c, ChannelTable& channels, DisplayFont& font,
                int glycolCount) {
    Lines lines(in);
    int version = kNoVersionLine;
    bool have = lines.Next();
    if (have && lines.Text().rfind("Version: ", 0) == 0) {
        version = 0;  // a version that does not read counts as older than any
        LineScanner s(std::string_view(lines.Text()).substr(9));
        s.Int(version);
        have = lines.Next();
    }
    if (have) {
        ReadPortLine(lines.Text(), c);
    }
    if (c.controllerType < kVexin2 || c.controllerType > kVexin2Lcd) {
        c.controllerType = kVexin2;
    }
    if (version < 4) {
        c.autoStart = false;
    }
    if (lines.Next()) {
        ReadFlags(lines.Text(), c.graph, kGraphFlags);
    }
    if (lines.Next()) {
        if (version >= 5) {
            ReadFlags(lines.Text(), c.status, kStatusFlags);
        } else {
            ReadFlags(lines.Text(), c.status, kOldStatusFlags);
        }
    }
    if (version < 5) {
        c.status[kChKwhs] = c.status[kChBtus];
        c.status[kChBtuRate] = c.status[kChBtus];
        c.status[kChHaBtuRate] = c.status[kChHaBtus];
    }
    if (lines.Next()) {
        ReadColourLine(lines.Text(), channels);
    }
    if (lines.Next()) {
        ReadLine6(lines.Text(), c);
    }
    CorrectLine6(c, version, glycolCount);
    for (int id : kCurveChannels) {
        channels[id].penWidth = c.graphLineWidth;
    }
    if (lines.Next() && !lines.Text().empty() && !StartsWithBlank(lines.Text())) {
        c.dataFolder = lines.Text();
        CutText(c.dataFolder, kPathMax);
    }
    if (lines.Next()) {
        LineScanner s(lines.Text());
        if (s.Word(c.oneWireServerIp, kIpMax) && s.IntAnyBase(c.oneWirePort)) {
            s.IntAnyBase(c.oneWireTimer);
        }
    }
    if (version >= 2 && lines.Next()) {
        ReadFontLine(lines.Text(), font);
    }
    if (version >= 3 && lines.Next()) {
        ReadSolarLine(lines.Text(), c);
    }
    for (OneWireProbe& probe : c.oneWireProbes) {
        if (lines.Next()) {
            ReadProbeLine(lines.Text(), probe);
        }
    }
    if (version >= 5) {
        for (int id : kNamedChannels) {
            if (lines.Next()) {
                ReadNameLine(lines.Text(), channels[id]);
            }
        }
    }
    if (version >= 6) {
        if (lines.Next()) {
            ReadQuotedLine(lines.Text(), c.siteId, kSiteIdMax);
        }
        if (lines.Next()) {
            ReadWebLine(lines.Text(), c);
        }
        c.webIntervalMinutes = std::max(c.webIntervalMinutes, 1);
        for (const QuotedField& f : kFtpLines) {
            if (lines.Next()) {
                ReadQuotedLine(lines.Text(), c.*f.field, f.max);
            }
        }
    }
    return version;
}

}  // namespace brennic
