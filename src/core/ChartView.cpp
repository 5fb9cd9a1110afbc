#include "core/ChartView.h"

namespace brennic {

namespace {
constexpr std::time_t kHour = 3600;
}

ChartView::Span ChartView::SpanOf(std::time_t first, std::time_t last, std::time_t window) {
    Span s;
    s.low = (first / kHour) * kHour - kHour;
    s.high = ((last + kHour - 1) / kHour + 1) * kHour;
    s.span = s.high - s.low;
    // A short history still leaves room to move the view by one hour.
    if (window + kHour > s.span) {
        s.span = window + kHour;
        s.high = s.low + s.span;
    }
    return s;
}

void ChartView::Clamp(const SampleHistory& history, std::time_t window, bool autoScroll) {
    const Span s = SpanOf(history[0].time, history.Newest().time, window);
    if (viewStart < s.low) {
        viewStart = s.low;
    }
    if (viewStart > s.high - window) {
        viewStart = s.high - window;
    }
    if (autoScroll && atEnd) {
        viewStart = s.high - window;
    }
    position = static_cast<int>((viewStart - s.low) * kScrollRange / s.span);
    page =
        static_cast<int>(static_cast<double>(window) / static_cast<double>(s.span) * kScrollRange);
    atEnd = viewStart + window == s.high;
}

void ChartView::Update(const SampleHistory& history, std::time_t chartOrigin, int xAxisHours,
                       bool autoScroll) {
    if (chartOrigin != originSeen_) {
        originSeen_ = chartOrigin;
        viewStart = chartOrigin;
    }
    if (history.Empty()) {
        position = 0;
        page = kScrollRange;
        return;
    }
    Clamp(history, static_cast<std::time_t>(xAxisHours) * kHour, autoScroll);
}

void ChartView::Scroll(Request request, int thumbPosition, const SampleHistory& history,
                       int xAxisHours, bool autoScroll) {
    if (history.Empty()) {
        return;
    }
    const std::time_t window = static_cast<std::time_t>(xAxisHours) * kHour;
    const std::time_t before = viewStart;
    switch (request) {
        case Request::kLineLeft:
            viewStart -= kHour;
            break;
        case Request::kLineRight:
            viewStart += kHour;
            break;
        case Request::kPageLeft:
            viewStart -= window;
            break;
        case Request::kPageRight:
            viewStart += window;
            break;
        case Request::kThumb: {
            const Span s = SpanOf(history[0].time, history.Newest().time, window);
            const auto t =
                s.low + static_cast<std::time_t>(static_cast<double>(thumbPosition) / kScrollRange *
                                                 static_cast<double>(s.span));
            viewStart = (t / kHour) * kHour;
            break;
        }
    }
    if (viewStart < before) {
        atEnd = false;  // scrolled back: stop following the newest data
    }
    Clamp(history, window, autoScroll);
}

}  // namespace brennic
