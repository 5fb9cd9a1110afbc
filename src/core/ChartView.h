#pragma once

#include <ctime>

#include "core/SampleHistory.h"

namespace brennic {

// The strip chart's time window: where the view starts, whether it follows the newest data,
// and the scroll bar's position and page (range 0..1000) that go with it. The display clamps
// it on every render; the main window's horizontal scroll moves it. One instance lives in
// AppState; every member is used under the StateLock.
class ChartView {
  public:
    static constexpr int kScrollRange = 1000;

    // The time span the saved samples cover, widened to whole hours with one hour of margin
    // on each side and to at least one window plus an hour.
    struct Span {
        std::time_t low = 0;
        std::time_t high = 0;
        std::time_t span = 0;
    };
    static Span SpanOf(std::time_t first, std::time_t last, std::time_t window);

    enum class Request { kLineLeft, kLineRight, kPageLeft, kPageRight, kThumb };

    // Left edge of the plot.
    std::time_t viewStart = 0;
    // The view shows the newest hour; with "Auto Scroll" it then keeps following new data.
    bool atEnd = true;
    int position = 0;
    int page = kScrollRange;
    // Hours shown instead of the configured "X Axis hours" when above 0: the demo shows a
    // whole day without changing the setting.
    int demoHours = 0;

    int WindowHours(int configured) const { return demoHours > 0 ? demoHours : configured; }

    // Before each render: a statistics reset moved the chart origin, so the view goes there;
    // then the view is kept inside the span of `history` and the scroll values are set.
    void Update(const SampleHistory& history, std::time_t chartOrigin, int xAxisHours,
                bool autoScroll);

    // The horizontal scroll: moves the view by an hour, by a window, or to the thumb position
    // (0..kScrollRange), then clamps it as Update does. Nothing moves while the history is
    // empty.
    void Scroll(Request request, int thumbPosition, const SampleHistory& history, int xAxisHours,
                bool autoScroll);

  private:
    void Clamp(const SampleHistory& history, std::time_t window, bool autoScroll);

    std::time_t originSeen_ = 0;
};

}  // namespace brennic
