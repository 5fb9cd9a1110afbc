#pragma once

#include <QFont>
#include <ctime>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "ui/display/DisplayLayout.h"

class QPainter;

namespace brennic {

// The strip chart's parts, used by Render. Main thread; caller holds the StateLock.

// The three vertical scales.
struct ChartScales {
    int divisions = 1;              // temperature range / 25
    float pixelsPerDivision = 0.f;  // plot height / divisions
    float degreesPerPixel = 0.f;    // temperature range / plot height
    int rateStep = 1;               // rate axis units per division (thousand BTU/h or kW)
    double pixelsPerRate = 0.0;     // applied to a rate in BTU per hour
    int flowStep = 1;               // GPM per division
    double pixelsPerGpm = 0.0;
};
ChartScales ComputeScales(const AppState& state, const Rect& plot);

// One division of the scales: label top, grid line height, and the three label texts.
struct ScaleMark {
    int labelTop = 0;
    int lineY = 0;
    std::string temperature;
    std::string rate;
    std::string flow;
};
std::vector<ScaleMark> ScaleMarks(const AppState& state, const DisplayLayout& layout,
                                  const ChartScales& scales);

// One hour label of the time axis: where its text starts, the text, and the x of its grid
// line (-1 for none: the plot's edges have their own lines).
struct HourLabel {
    int textLeft = 0;
    std::string text;
    int gridX = -1;
};
// Labels every whole number of hours so that at most 13 labels show; when that step does not
// divide "X Axis hours" the last label sits inside the plot, where its time is.
std::vector<HourLabel> HourLabels(std::time_t viewStart, int xAxisHours, int hourLength,
                                  const Rect& hourLabels, int zeroLabelWidth);

// "%m/%d/%Y " and the time-zone abbreviation of `t`.
std::string DateText(std::time_t t);

// Frame, scales, grid, axis titles, band captions and legend.
void DrawChartFrame(QPainter& painter, const AppState& state, const DisplayLayout& layout,
                    const ChartScales& scales, const QFont& displayFont);
// Hour labels, vertical grid lines and the date line.
void DrawTimeAxis(QPainter& painter, const AppState& state, const DisplayLayout& layout,
                  int hourLength);
// The curves and the pump bands from the saved samples.
void DrawCurves(QPainter& painter, const AppState& state, const DisplayLayout& layout,
                const ChartScales& scales);
// A plain picture of a horizontal scroll bar at `position` and `page` (range 0..1000).
void DrawScrollBarPicture(QPainter& painter, const Rect& rect, int position, int page);

}  // namespace brennic
