#include "config/ConfigFormat.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

namespace brennic {
namespace {

// Field `index` (0-based, comma-separated) of line `number` (1-based) of `text`.
std::string FieldOf(const std::string& text, int number, int index) {
    std::istringstream in(text);
    std::string line;
    for (int n = 0; n < number; ++n) {
        std::getline(in, line);
    }
    std::istringstream fields(line);
    std::string f;
    for (int i = 0; i <= index; ++i) {
        std::getline(fields, f, ',');
    }
    return f;
}

// Every value of lines 3, 4, 5, 6 and 38 goes to its own place in the file: setting one
// field to a marker must show the marker exactly there.
TEST(ConfigFormat, EachValueSitsAtItsPlaceInTheFile) {
    struct Place {
        int line;
        int index;
        int Config::*field;
    };
    // Lines 3 and 4: the graph and status flags, each at its channel's place.
    const std::pair<ChannelFlags Config::*, std::vector<int>> flagLines[] = {
        {&Config::graph,
         {kChCollector, kChStorage, kChAux1, kChAux2, kChAux3, kChAux4, kChWAux1, kChWAux2,
          kChWAux3, kChWAux4, kChBtuRate, kChGpm, kChPump, kChHaBtuRate, kChHaPump}},
        {&Config::status,
         {kChCollector, kChStorage, kChAux1, kChAux2, kChAux3, kChAux4, kChWAux1, kChWAux2,
          kChWAux3, kChWAux4, kChBtus, kChKwhs, kChBtuRate, kChPump, kChHaBtus, kChHaBtuRate,
          kChHaPump}},
    };
    for (int line = 3; line <= 4; ++line) {
        const auto& [flags, order] = flagLines[line - 3];
        for (std::size_t i = 0; i < order.size(); ++i) {
            Config c;
            (c.*flags)[static_cast<std::size_t>(order[i])] = 4242;
            EXPECT_EQ(
                FieldOf(FormatConfig(c, DefaultChannelTable(), {}), line, static_cast<int>(i)),
                "4242")
                << "line " << line << " #" << i;
        }
    }
    const Place places[] = {
        {6, 0, &Config::tempRangeIndex},   {6, 1, &Config::graphEveryNth},
        {6, 2, &Config::xAxisHours},       {6, 6, &Config::maxSamples},
        {6, 7, &Config::logData},          {6, 8, &Config::newLogAtMidnight},
        {6, 9, &Config::logEveryNth},      {6, 10, &Config::summaryEnable},
        {6, 11, &Config::summaryEveryNth}, {6, 14, &Config::solarGlycolPercent},
        {6, 15, &Config::haGlycolPercent}, {6, 16, &Config::solarGlycolMix},
        {6, 17, &Config::haGlycolMix},     {6, 18, &Config::smoothBtuRate},
        {6, 19, &Config::graphLineWidth},  {6, 20, &Config::oneWireEnable},
        {6, 21, &Config::heatUnits},       {6, 22, &Config::pumpSource},
        {6, 23, &Config::flowSource},      {6, 24, &Config::logQmxData},
        {6, 25, &Config::btuEnable},       {38, 0, &Config::webUploadFtp},
        {38, 1, &Config::webWriteToDisk},  {38, 2, &Config::webIntervalMinutes},
        {38, 3, &Config::webShowErrors},   {38, 4, &Config::webIncludeScreenShot},
    };
    const ChannelTable channels = DefaultChannelTable();
    for (const Place& p : places) {
        Config c;
        c.*p.field = 4242;
        const std::string text = FormatConfig(c, channels, {});
        EXPECT_EQ(FieldOf(text, p.line, p.index), "4242") << "line " << p.line << " #" << p.index;
    }

    const struct {
        int index;
        double Config::*field;
    } reals[] = {{3, &Config::fixedFlowGpm},
                 {4, &Config::minFlowGpm},
                 {5, &Config::haFlowGpm},
                 {12, &Config::solarOffset},
                 {13, &Config::haOffset}};
    for (const auto& r : reals) {
        Config c;
        c.*r.field = 42.125;
        EXPECT_EQ(FieldOf(FormatConfig(c, channels, {}), 6, r.index), "42.125") << r.index;
    }
    const int coloured[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 12, 17};
    for (int i = 0; i < 13; ++i) {
        ChannelTable marked = DefaultChannelTable();
        marked[coloured[i]].colour = 0xabcdef;
        EXPECT_EQ(FieldOf(FormatConfig({}, marked, {}), 5, i), "0xabcdef") << "colour #" << i;
    }
}

// Files up to version 4 carry 14 status flags in an order of their own.
TEST(ConfigFormat, OldStatusLineLayout) {
    const struct {
        int index;
        int channel;
    } old[] = {{0, kChCollector}, {1, kChStorage}, {2, kChAux1},    {3, kChAux2},   {4, kChAux3},
               {5, kChAux4},      {6, kChWAux1},   {7, kChWAux2},   {8, kChWAux3},  {9, kChWAux4},
               {10, kChBtus},     {11, kChPump},   {12, kChHaBtus}, {13, kChHaPump}};
    for (const auto& o : old) {
        std::string line4;
        for (int i = 0; i < 14; ++i) {
            line4 += (i ? "," : "") + std::string(i == o.index ? "7" : "0");
        }
        std::istringstream in("Version: 4\nCOM1 0 0\n0\n" + line4 + "\n");
        Config c;
        ChannelTable channels = DefaultChannelTable();
        DisplayFont font;
        ParseConfig(in, c, channels, font, 6);
        EXPECT_EQ(c.status[static_cast<std::size_t>(o.channel)], 7) << "old status #" << o.index;
    }
}

}  // namespace
}  // namespace brennic
