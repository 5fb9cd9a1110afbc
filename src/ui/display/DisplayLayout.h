#pragma once

#include <QFont>
#include <QRect>

#include "config/Config.h"

class QPaintDevice;

namespace brennic {

// A rectangle in client coordinates; right and bottom are exclusive (a 0..width strip has
// left = 0, right = width).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const Rect&) const = default;
};

// The display font's measures that the layout uses (pixels).
struct TextMetrics {
    int lineHeight = 16;
    int charWidth = 7;  // average character width
    int ascent = 13;
};

// Where everything of the main display goes. Owned by the window that shows the display;
// computed by Layout, read by Render.
struct DisplayLayout {
    Rect client;
    Rect text;   // status lines and value table
    Rect lower;  // everything below the text block
    Rect plot;
    Rect hourLabels;
    Rect scrollBar;
    Rect legend;
    Rect pumpBand;      // zero height when the collector pump is not graphed
    Rect heatBand;      // zero height when the heat-assist pump is not graphed
    int tableRows = 0;  // value-table lines including the heading; 0 = no table
    int textLines = 0;  // lines reserved for the text block
    bool statisticsOnDisplay = true;
    TextMetrics metrics;
};

// The display font from the configured one; a 13-pixel sans font when none is configured.
// Main thread.
QFont MakeDisplayFont(const DisplayFont& font);
// The configured form of a font the user chose (face, pixel height as a negative number,
// weight, italic).
DisplayFont ToDisplayFont(const QFont& font);
// The font of the three axis titles: same height and weight, face "Arial".
QFont MakeTitleFont(const QFont& displayFont);
// Measures `font` as it will be drawn on `device` (nullptr: the screen).
TextMetrics MeasureFont(const QFont& font, const QPaintDevice* device);

// Computes every rectangle for a client area of width x height. Caller holds the StateLock
// (it reads the configuration).
void Layout(DisplayLayout& layout, const Config& config, const TextMetrics& metrics, int width,
            int height);

}  // namespace brennic
