#include "config/ConfigFormat.h"  // the writer half; ConfigRead.cpp has the reader

#include <string_view>

#include "config/ConfigLayout.h"
#include "config/LineScanner.h"

namespace brennic {

namespace {

using namespace config_layout;

// Text written on one line must not break it into two: a line break would shift every
// later line. Inside quotes a double quote would end the text early, so it becomes '.
std::string OneLine(std::string_view text, bool quoted) {
    std::string out(text);
    for (char& ch : out) {
        if (ch == '\n' || ch == '\r') {
            ch = ' ';
        } else if (quoted && ch == '"') {
            ch = '\'';
        }
    }
    return out;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    out += OneLine(text, true);
    out += '"';
}

template <std::size_t N>
void AppendFlags(std::string& out, const ChannelFlags& flags, const std::array<int, N>& order) {
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) {
            out += ',';
        }
        AppendInt(out, flags[static_cast<std::size_t>(order[i])]);
    }
    out += '\n';
}

void AppendCutPadded(std::string& out, const std::string& text, std::size_t width) {
    std::string cut = OneLine(text, false);
    CutText(cut, width);
    AppendPadded(out, cut, width);
}

}  // namespace

std::string FormatConfig(const Config& c, const ChannelTable& channels, const DisplayFont& font) {
    std::string out;
    out.reserve(4096);
    out += "Version: ";
    AppendInt(out, kConfigVersion);
    out += '\n';

    AppendPadded(out, OneLine(c.comPort, false), 32);
    out += ' ';
    AppendInt(out, c.controllerType);
    out += ' ';
    AppendInt(out, c.autoStart ? 1 : 0);
    out += '\n';

    AppendFlags(out, c.graph, kGraphFlags);
    AppendFlags(out, c.status, kStatusFlags);

    for (std::size_t i = 0; i < kCurveChannels.size(); ++i) {
        out += i > 0 ? ",0x" : "0x";
        AppendHex(out, channels[kCurveChannels[i]].colour);
    }
    out += '\n';

    for (std::size_t i = 0; i < kLine6.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const Line6Field& f = kLine6[i];
        if (f.real != nullptr) {
            AppendFixed(out, c.*f.real, 3);
        } else if (f.integer != nullptr) {
            AppendInt(out, c.*f.integer);
        } else if (f.flag != nullptr) {
            AppendInt(out, c.*f.flag ? 1 : 0);
        } else {
            out += '0';
        }
    }
    out += '\n';

    out += OneLine(c.dataFolder, false);
    out += '\n';

    out += OneLine(c.oneWireServerIp, false);
    out += ' ';
    AppendInt(out, c.oneWirePort);
    out += ' ';
    AppendInt(out, c.oneWireTimer);
    out += '\n';

    // Without a font of its own the line stays empty, which the reader skips.
    if (font.set) {
        out += OneLine(font.face, false);
        for (int v : {font.height, font.weight, font.italic, font.charSet, font.outPrecision,
                      font.clipPrecision, font.quality, font.pitchAndFamily}) {
            out += ',';
            AppendInt(out, v);
        }
    }
    out += '\n';

    // 0 - longitude: the west longitude, and never "-0.000000".
    const float solar[] = {
        c.latitude,      0.0f - c.longitude,      c.collectorAzimuth,    c.collectorTilt,
        c.collectorArea, c.incidentAngleModifier, c.efficiencyIntercept, c.efficiencySlope};
    for (std::size_t i = 0; i < std::size(solar); ++i) {
        if (i > 0) {
            out += ',';
        }
        AppendFixed(out, static_cast<double>(solar[i]), 6);
    }
    out += '\n';

    for (const OneWireProbe& probe : c.oneWireProbes) {
        AppendCutPadded(out, probe.id, kIdColumns);
        out += ' ';
        AppendCutPadded(out, probe.description, kDescriptionColumns);
        out += ' ';
        AppendInt(out, probe.switchSelect);
        out += '\n';
    }

    for (int id : kNamedChannels) {
        AppendQuoted(out, channels[id].shortName);
        out += ' ';
        AppendQuoted(out, channels[id].longName);
        out += '\n';
    }

    AppendQuoted(out, c.siteId);
    out += '\n';
    bool first = true;
    for (int v : {c.webUploadFtp, c.webWriteToDisk, c.webIntervalMinutes, c.webShowErrors,
                  c.webIncludeScreenShot}) {
        if (!first) {
            out += ',';
        }
        first = false;
        AppendInt(out, v);
    }
    out += '\n';
    for (const QuotedField& f : kFtpLines) {
        AppendQuoted(out, c.*f.field);
        out += '\n';
    }
    return out;
}

}  // namespace brennic
