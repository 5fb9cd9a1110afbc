#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/HistoryReport.h"

namespace brennic {

// The energy report's bar chart as plain shapes, so one layout serves the SVG file, the PNG
// file and the window (which paint the same shapes with QPainter). Colours are 0xRRGGBB.
struct ChartPicture {
    struct Rect {
        double x, y, w, h;
        std::uint32_t fill;
    };
    struct Line {
        double x1, y1, x2, y2;
        std::uint32_t color;
        double width;
    };
    struct Text {
        double x, y;  // y is the baseline
        std::string text;
        double size;  // pixels
        int align;    // -1 left, 0 centre, 1 right of x
        std::uint32_t color;
        bool bold;
    };
    int width = 0;
    int height = 0;
    std::vector<Rect> rects;  // drawn first, in order
    std::vector<Line> lines;
    std::vector<Text> texts;
};

// Stacked bars of collector (bottom) and heat-assist heat per period in kWh, the solar fraction
// above each bar when there is room, a coverage strip under the axis, a title with the totals
// and a legend. Periods without data show "no data" instead of a bar. Any thread.
ChartPicture LayoutEnergyChart(const EnergyReport& report, int width = 1000, int height = 560);

// The picture as a self-contained SVG document. Any thread.
std::string ChartSvg(const ChartPicture& picture);

}  // namespace brennic
