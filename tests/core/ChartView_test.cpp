#include "core/ChartView.h"

#include <gtest/gtest.h>

#include "core/AppState.h"
#include "core/MessageProcessor.h"
#include "support/DataFilesFixture.h"
#include "support/ScopedTimeZone.h"

namespace brennic {
namespace {

constexpr std::time_t kHour = 3600;
constexpr std::time_t kT0 = 1717243200;  // a whole hour

SampleHistory HistoryOf(std::time_t first, std::time_t last) {
    SampleHistory h;
    Sample s;
    s.time = first;
    h.Append(s, 100);
    s.time = last;
    h.Append(s, 100);
    return h;
}

TEST(ChartView, SpanIsWholeHoursWithMarginAndAtLeastAWindowPlusAnHour) {
    // 10:20 .. 13:05 with a 12-hour window: 09:00 .. 15:00 widened to 13 hours.
    ChartView::Span s = ChartView::SpanOf(kT0 + 1200, kT0 + 3 * kHour + 300, 12 * kHour);
    EXPECT_EQ(s.low, kT0 - kHour);
    EXPECT_EQ(s.span, 13 * kHour);
    EXPECT_EQ(s.high, s.low + 13 * kHour);
    // A newest time on a whole hour is not raised.
    s = ChartView::SpanOf(kT0, kT0 + 20 * kHour, 4 * kHour);
    EXPECT_EQ(s.low, kT0 - kHour);
    EXPECT_EQ(s.high, kT0 + 21 * kHour);
    EXPECT_EQ(s.span, 22 * kHour);
}

TEST(ChartView, AutoScrollFollowsOnlyAViewAtTheEnd) {
    // Data from kT0 over 30 hours, 12-hour window.
    const SampleHistory h1 = HistoryOf(kT0, kT0 + 30 * kHour - 60);
    const SampleHistory h2 = HistoryOf(kT0, kT0 + 31 * kHour + 60);  // into a new hour
    ChartView v;
    v.viewStart = kT0 + 100 * kHour;  // beyond the end: clamped to the last window
    v.Update(h1, 0, 12, true);
    const std::time_t high1 = kT0 + 31 * kHour;
    EXPECT_EQ(v.viewStart, high1 - 12 * kHour);
    EXPECT_TRUE(v.atEnd);
    v.Update(h2, 0, 12, true);
    EXPECT_EQ(v.viewStart, kT0 + 33 * kHour - 12 * kHour);  // followed
    EXPECT_TRUE(v.atEnd);

    v.Scroll(ChartView::Request::kLineLeft, 0, h2, 12, true);  // the user looks back
    EXPECT_FALSE(v.atEnd);
    const std::time_t back = v.viewStart;
    v.Update(HistoryOf(kT0, kT0 + 35 * kHour), 0, 12, true);
    EXPECT_EQ(v.viewStart, back);  // stays where the user put it
    EXPECT_FALSE(v.atEnd);

    // Without Auto Scroll a view at the end stays put when data grows.
    ChartView still;
    still.viewStart = kT0 + 100 * kHour;
    still.Update(h1, 0, 12, false);
    const std::time_t at = still.viewStart;
    still.Update(h2, 0, 12, false);
    EXPECT_EQ(still.viewStart, at);
    EXPECT_FALSE(still.atEnd);
}

// A second replay starting (or a Reset) within the clock hour of the last one must still
// bring the view to the reset hour and let Auto Scroll follow again.
TEST(ChartView, ResetInTheSameHourBringsTheViewBackAndFollowsAgain) {
    ScopedTimeZone zone("UTC");
    AppState state;
    ResetStatistics(state, kT0 + 600);
    ChartView& v = state.chart;
    v.Update(state.processor.history, state.processor.chartOrigin, 12, true);
    EXPECT_EQ(v.viewStart, kT0);

    // A replayed file from two days back; the user scrolls away from its end.
    const SampleHistory replayed = HistoryOf(kT0 - 48 * kHour, kT0 - 10 * kHour);
    v.Update(replayed, state.processor.chartOrigin, 12, true);
    v.Scroll(ChartView::Request::kPageLeft, 0, replayed, 12, true);
    ASSERT_FALSE(v.atEnd);

    ResetStatistics(state, kT0 + 1200);
    v.Update(state.processor.history, state.processor.chartOrigin, 12, true);
    EXPECT_EQ(v.viewStart, kT0);
    const SampleHistory next = HistoryOf(kT0 - 30 * kHour, kT0 - 5 * kHour - 60);
    v.Update(next, state.processor.chartOrigin, 12, true);
    EXPECT_TRUE(v.atEnd);
    EXPECT_EQ(v.viewStart, kT0 - 4 * kHour - 12 * kHour);  // at the end of the new data
}

TEST(ChartView, ScrollRequestsMoveByHourWindowOrThumb) {
    // low = kT0 - 1h, high = kT0 + 49h, span 50 h; 10-hour window.
    const SampleHistory h = HistoryOf(kT0, kT0 + 48 * kHour - 60);
    using R = ChartView::Request;
    struct Case {
        R request;
        int thumb;
        std::time_t start, expected;  // view start before and after the request
        int position;
    };
    const Case cases[] = {
        {R::kLineLeft, 0, kT0 + 10 * kHour, kT0 + 9 * kHour, 200},
        {R::kLineRight, 0, kT0 + 10 * kHour, kT0 + 11 * kHour, 240},
        {R::kPageLeft, 0, kT0 + 10 * kHour, kT0, 20},
        {R::kPageRight, 0, kT0 + 10 * kHour, kT0 + 20 * kHour, 420},
        {R::kThumb, 500, kT0 + 10 * kHour, kT0 + 24 * kHour, 500},
        {R::kThumb, 509, kT0 + 10 * kHour, kT0 + 24 * kHour, 500},   // start of its hour
        {R::kThumb, 1000, kT0 + 10 * kHour, kT0 + 39 * kHour, 800},  // clamped to high - w
        {R::kPageLeft, 0, kT0 + 3 * kHour, kT0 - kHour, 0},          // clamped to low
    };
    for (const Case& c : cases) {
        ChartView v;
        v.viewStart = c.start;
        v.atEnd = false;
        v.Scroll(c.request, c.thumb, h, 10, false);
        EXPECT_EQ(v.viewStart, c.expected) << static_cast<int>(c.request) << " " << c.thumb;
        EXPECT_EQ(v.position, c.position);
        EXPECT_EQ(v.page, 200);
        EXPECT_EQ(v.atEnd, c.expected == kT0 + 39 * kHour);
    }
    ChartView v;
    v.viewStart = kT0;
    v.Scroll(R::kPageRight, 0, SampleHistory{}, 10, false);
    EXPECT_EQ(v.viewStart, kT0);  // nothing to scroll over
}

}  // namespace
}  // namespace brennic
