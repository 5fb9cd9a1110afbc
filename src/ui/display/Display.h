#pragma once

#include <QRect>
#include <ctime>
#include <functional>

#include "core/AppState.h"
#include "display/StatusText.h"
#include "ui/display/DisplayLayout.h"

class QPainter;

namespace brennic {

// How one render is asked for.
struct RenderOptions {
    // The area a window paint must renew. When it does not reach the chart, only the text
    // block is drawn. Null: draw everything (window images, printing, tests).
    const QRect* invalid = nullptr;
    std::time_t now = 0;    // the clock time shown in the time line; 0: the system clock
    int hourLength = 3600;  // seconds from one hour label to the next (measured at start-up)
    DisplayStatus status;   // link and publisher figures for the status lines
    // Without `invalid`, the scroll bar is drawn as a picture: this draws the control into the
    // rectangle. Null: a plain drawing of a scroll bar at the chart view's position and page.
    std::function<void(QPainter&, const Rect&)> drawScrollBar;
};

// What the window does with its scroll bar control after a paint.
enum class ScrollBarAction { kUnchanged, kShow, kHide };

// Draws the whole main display into `painter`, which must be active on a white device at
// least as large as layout.client: status lines (also stored in state.statusLines), value
// table, chart frame, scales, titles, bands, legend, time axis, the scroll bar picture (when
// options.invalid is null) and the curves. While a replay runs only its six progress lines.
// Updates state.chart (view clamping, scroll position and page). Main thread; the caller
// holds the StateLock for the whole call.
ScrollBarAction Render(AppState& state, const DisplayLayout& layout, QPainter& painter,
                       const RenderOptions& options);

}  // namespace brennic
