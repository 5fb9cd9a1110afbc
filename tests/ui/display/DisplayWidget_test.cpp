#include "ui/display/DisplayWidget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include "support/DisplayTestData.h"

namespace brennic {
namespace {

TEST(DisplayWidget, PaintsAndRendersTheSamePictureAndPlacesTheScrollBar) {
    AppState state;
    testdata::FillHistory(state, 300, testdata::kNoon, 60);
    state.processor.chartOrigin = testdata::kNoon - 4 * 3600;
    DisplayWidget widget(state);
    int calls = 0;
    widget.SetStatusSource([&calls](const AppState&) {
        ++calls;
        DisplayStatus status;
        status.links.comActive = true;
        status.serialTimeouts = 7;
        return status;
    });
    widget.resize(900, 600);
    widget.Relayout();
    EXPECT_EQ(widget.Layout().client, (Rect{0, 0, 900, 600}));

    // A window paint: the scroll bar goes to its rectangle with the chart's page.
    const QPixmap shown = widget.grab();
    QApplication::processEvents();
    EXPECT_FALSE(widget.ScrollBar()->isHidden());
    const Rect& r = widget.Layout().scrollBar;
    EXPECT_EQ(widget.ScrollBar()->geometry(), QRect(r.left, r.top, r.Width(), r.Height()));
    EXPECT_EQ(widget.ScrollBar()->pageStep(), state.chart.page);
    EXPECT_EQ(widget.ScrollBar()->value(), state.chart.position);
    EXPECT_NE(state.statusLines.line[0].find("timeouts=7"), std::string::npos);

    // A window image: the same picture, the scroll bar drawn in as a picture of the control.
    QImage image(900, 600, QImage::Format_RGB32);
    image.fill(Qt::black);
    widget.RenderTo(image);
    EXPECT_GE(calls, 2);
    const QImage painted = shown.toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(painted.size(), image.size());
    int differing = 0;
    for (int y = 0; y < widget.Layout().plot.bottom; ++y) {
        for (int x = 0; x < 900; ++x) {
            differing += painted.pixel(x, y) != image.pixel(x, y) ? 1 : 0;
        }
    }
    // Only the time line's clock may differ.
    EXPECT_LT(differing, 900 * widget.Layout().metrics.lineHeight);
    EXPECT_EQ(image.pixelColor(0, 599), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(r.left + r.Width() / 2, (r.top + r.bottom) / 2), QColor(Qt::white));

    // The scroll bar moves the view: an hour left, then back to the end with a page right.
    const std::time_t start = state.chart.viewStart;
    widget.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(state.chart.viewStart, start - 3600);
    EXPECT_FALSE(state.chart.atEnd);
    widget.ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(state.chart.viewStart, start);
    EXPECT_TRUE(state.chart.atEnd);
    EXPECT_EQ(widget.ScrollBar()->value(), state.chart.position);
    widget.ScrollChart(ChartView::Request::kThumb, 0);
    EXPECT_EQ(widget.ScrollBar()->value(), 0);

    // While a replay runs the scroll bar is hidden.
    state.replay.active = true;
    widget.grab();
    QApplication::processEvents();
    EXPECT_TRUE(widget.ScrollBar()->isHidden());
}

}  // namespace
}  // namespace brennic
