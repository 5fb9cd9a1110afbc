#include "ui/display/Display.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <cstdlib>
#include <string>

#include "display/StatusText.h"
#include "support/RenderImage.h"
#include "ui/display/DisplayChart.h"
#include "ui/display/DisplayWidget.h"

namespace brennic {
namespace {

using testdata::kNoon;

class DisplayTest : public ::testing::Test {
  protected:
    ScopedTimeZone zone_{"UTC"};
};

TEST_F(DisplayTest, LayoutRectanglesFollowTheOptions) {
    const TextMetrics m{16, 7, 13};
    struct Case {
        int extras;  // the heat-assist band and status line and the BTUs row
        int textLines;
        int tableRows;
        int edges[4];  // the text's bottom, then the pump band's, heat band's and legend's
    };
    // Defaults: four status lines and the pump line, Collector and Storage in the table.
    const Case cases[] = {{0, 9, 3, {144, 160, 160, 176}}, {1, 11, 4, {176, 192, 208, 224}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extras);
        Config config;
        config.graph[kChHaPump] = config.status[kChHaPump] = config.status[kChBtus] = c.extras;
        DisplayLayout l;
        Layout(l, config, m, 1000, 700);
        const int* e = c.edges;
        EXPECT_EQ(l.textLines, c.textLines);
        EXPECT_EQ(l.tableRows, c.tableRows);
        EXPECT_EQ(l.client, (Rect{0, 0, 1000, 700}));
        EXPECT_EQ(l.text, (Rect{0, 0, 1000, e[0]}));
        EXPECT_EQ(l.lower, (Rect{0, e[0], 1000, 700}));
        EXPECT_EQ(l.pumpBand, (Rect{49, e[0], 902, e[1]}));
        EXPECT_EQ(l.heatBand, (Rect{49, e[1], 902, e[2]}));
        EXPECT_EQ(l.legend, (Rect{49, e[2], 1000, e[3]}));
        EXPECT_EQ(l.plot, (Rect{49, e[3], 902, 636}));
        // h = 636 + 40; the scroll bar sits 1.5 ascents below it.
        EXPECT_EQ(l.hourLabels, (Rect{49, 644, 902, 676}));
        EXPECT_EQ(l.scrollBar, (Rect{49, 682, 902, 695}));
    }
    // Statistics off: the time line, a blank line and the table.
    DisplayLayout l;
    l.statisticsOnDisplay = false;
    Layout(l, Config{}, m, 1000, 700);
    EXPECT_EQ(l.textLines, 6);
    EXPECT_EQ(l.plot, (Rect{49, 128, 902, 636}));
    Config none;
    none.status[kChCollector] = none.status[kChStorage] = 0;
    Layout(l, none, m, 1000, 700);
    EXPECT_EQ(l.tableRows, 0);
}

// Pixels inside `r` (clipped to the image) for which `is` holds.
template <typename Is>
int Count(const QImage& image, const Rect& r, Is is) {
    int n = 0;
    for (int y = std::max(0, r.top); y < std::min(r.bottom, image.height()); ++y) {
        for (int x = r.left; x < std::min(r.right, image.width()); ++x) {
            n += is(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return n;
}

bool Dark(const QColor& c) {
    return c.lightness() < 160;
}

// Dark pixels in the rows [top, bottom) of the image.
int DarkRows(const QImage& image, int top, int bottom) {
    return Count(image, {0, top, image.width(), bottom}, Dark);
}

TEST_F(DisplayTest, EmptyHistoryDrawsFrameScalesLegendAndTimeLabelsOnly) {
    AppState state;
    state.processor.chartOrigin = kNoon;
    DisplayLayout layout;
    const QImage image = testdata::RenderImage(state, layout, 1000, 700, kNoon);

    EXPECT_EQ(state.chart.position, 0);
    EXPECT_EQ(state.chart.page, ChartView::kScrollRange);
    EXPECT_EQ(state.chart.viewStart, kNoon);
    // The frame's edges are black; inside the plot only grid lines, no curve colours.
    const Rect& p = layout.plot;
    EXPECT_EQ(image.pixelColor(p.left, (p.top + p.bottom) / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(p.right, (p.top + p.bottom) / 2), QColor(Qt::black));
    const auto coloured = [](const QColor& c) {
        return c.red() != c.green() || c.green() != c.blue();
    };
    EXPECT_EQ(Count(image, {p.left + 1, p.top + 1, p.right, p.bottom}, coloured), 0);
    EXPECT_GT(Count(image, layout.hourLabels, Dark), 100);

    // The legend names the graphed channels in their colours, and only those: Aux-3 in
    // magenta appears when it is switched on.
    const auto legendHas = [&](const QImage& im, QColor want) {
        return Count(im, layout.legend, [&want](const QColor& c) {
                   return std::abs(c.red() - want.red()) < 80 &&
                          std::abs(c.green() - want.green()) < 80 &&
                          std::abs(c.blue() - want.blue()) < 80;
               }) > 0;
    };
    EXPECT_TRUE(legendHas(image, QColor(255, 0, 0)));  // Collector
    state.channels[kChAux3].colour = 0xFF00FF;
    EXPECT_FALSE(legendHas(testdata::RenderImage(state, layout, 1000, 700, kNoon), Qt::magenta));
    state.config.graph[kChAux3] = 1;
    EXPECT_TRUE(legendHas(testdata::RenderImage(state, layout, 1000, 700, kNoon), Qt::magenta));
}

TEST_F(DisplayTest, ScalesFollowRangeRateAndFlow) {
    AppState state;
    DisplayLayout layout;
    Layout(layout, state.config, TextMetrics{16, 7, 13}, 1000, 700);  // plot height 460
    ChartScales s = ComputeScales(state, layout.plot);
    EXPECT_EQ(s.divisions, 13);
    EXPECT_FLOAT_EQ(s.pixelsPerDivision, 460.0f / 13.0f);
    EXPECT_FLOAT_EQ(s.degreesPerPixel, 325.0f / 460.0f);
    const std::vector<ScaleMark> marks = ScaleMarks(state, layout, s);
    ASSERT_EQ(marks.size(), 14u);
    const char* expected[] = {"-25", "  0", " 25", " 50", " 75", "100", "125",
                              "150", "175", "200", "225", "250", "275", "300"};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].temperature, expected[i]);
        EXPECT_EQ(marks[i].rate, Format("%3d", static_cast<int>(i)));  // k = 1 below 1000
        EXPECT_EQ(marks[i].flow, Format("%3d", static_cast<int>(i)));  // g = 1
    }
    EXPECT_EQ(marks[0].lineY, layout.plot.bottom);
    EXPECT_EQ(marks[13].lineY, layout.plot.top);
    EXPECT_EQ(marks[0].labelTop, layout.plot.bottom - 8);

    struct Case {
        double maxRate;  // BTU per second
        double maxFlow;
        int heatUnits;
        int rateStep;
        int flowStep;
        double fullScaleBtuPerHour;  // the rate at the top of the plot
    };
    const Case cases[] = {
        {0.2, 9.0, 0, 1, 1, 13000.0},                      // 720 BTU/h: below 1000
        {50000.0 / 3600.0, 13.9, 0, 4, 1, 52000.0},        // 50000/13 = 3846 -> 3 + 1
        {50000.0 / 3600.0, 30.0, 1, 2, 3, 26000 * 3.413},  // 14650 W: 1126 -> 1 + 1 kW
    };
    for (const Case& c : cases) {
        state.processor.collectorHeat.maxRate = c.maxRate;
        state.processor.maxCollectorFlow = c.maxFlow;
        state.config.heatUnits = c.heatUnits;
        s = ComputeScales(state, layout.plot);
        EXPECT_EQ(s.rateStep, c.rateStep);
        EXPECT_EQ(s.flowStep, c.flowStep);
        EXPECT_NEAR(s.pixelsPerRate * c.fullScaleBtuPerHour, 460.0, 1e-6);
        EXPECT_NEAR(s.pixelsPerGpm * c.flowStep * 13, 460.0, 1e-9);
    }
    state.config.graphTempMin = 50;  // range 50..300
    EXPECT_EQ(ComputeScales(state, layout.plot).divisions, 10);
}

TEST_F(DisplayTest, HourLabelsAgreeWithTheirTimes) {
    const Rect r{100, 0, 1300, 30};
    struct Case {
        int hours;
        std::size_t labels;
        int stepHours;
    };
    const Case cases[] = {{24, 13, 2}, {4, 5, 1},   {12, 13, 1}, {72, 13, 6},
                          {13, 7, 2},  {30, 11, 3}, {71, 12, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hours);
        const std::vector<HourLabel> labels = HourLabels(kNoon, c.hours, 3600, r, 40);
        ASSERT_EQ(labels.size(), c.labels);
        int gridLines = 0;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const int hour = (12 + static_cast<int>(i) * c.stepHours) % 24;
            EXPECT_EQ(labels[i].text, Format("%02i:00", hour));
            // The label is centred on the place of its time in the plot.
            const double x = r.left + static_cast<double>(i) * c.stepHours / c.hours * r.Width();
            EXPECT_NEAR(labels[i].textLeft + 20, x, 1.0);
            if (labels[i].gridX >= 0) {
                ++gridLines;
                EXPECT_NEAR(labels[i].gridX, x, 1.0);
            }
        }
        // Grid lines between the edges only.
        const bool lastInside = (c.labels - 1) * static_cast<std::size_t>(c.stepHours) <
                                static_cast<std::size_t>(c.hours);
        EXPECT_EQ(gridLines, static_cast<int>(c.labels) - (lastInside ? 1 : 2));
    }
    EXPECT_EQ(DateText(kNoon), "06/01/2024 UTC");
}

// The point of the n-th sample's Collector reading, as the chart computes it.
QPoint CollectorPoint(const AppState& state, const DisplayLayout& l, std::size_t n) {
    const Sample& s = state.processor.history[n];
    const double window = state.config.xAxisHours * 3600.0;
    const int x = l.plot.left +
                  static_cast<int>(
                      std::difftime(s.time, state.chart.viewStart) / window * l.plot.Width() + 0.5);
    const float dpp = 325.0f / static_cast<float>(l.plot.Height());
    const int y = l.plot.bottom - static_cast<int>((s[kSlotCollector] + 25.0f) / dpp);
    return {x, y};
}

TEST_F(DisplayTest, CurvePassesThroughItsPointsAndBreaksAtAGap) {
    for (int width : {1, 3}) {
        SCOPED_TRACE(width);
        AppState state;
        state.config.graph[kChStorage] = state.config.graph[kChAux1] = state.config.graph[kChAux2] =
            0;
        state.config.graph[kChPump] = 0;
        state.channels[kChCollector].penWidth = width;
        // One sample every 4 minutes, the Collector rising from 100 F with one open reading.
        SampleHistory& h = state.processor.history;
        for (int i = 0; i < 60; ++i) {
            Sample s;
            s.time = kNoon + i * 240;
            s[kSlotCollector] = i == 30 ? kNoReading : 100.0f + static_cast<float>(i);
            h.Append(s, 1000);
        }
        state.processor.chartOrigin = kNoon;
        DisplayLayout layout;
        const QImage image = testdata::RenderImage(state, layout, 1000, 700, kNoon + 4 * 3600);
        const QColor red(255, 0, 0);
        ASSERT_EQ(state.chart.viewStart, kNoon);

        // The points next to the open reading are drawn, and nothing between them.
        for (std::size_t n : {5u, 20u, 28u, 29u, 31u, 40u}) {
            EXPECT_EQ(image.pixelColor(CollectorPoint(state, layout, n)), red) << n;
        }
        const Rect gap{CollectorPoint(state, layout, 29).x() + width, layout.plot.top,
                       CollectorPoint(state, layout, 31).x() - width + 1, layout.plot.bottom};
        EXPECT_EQ(Count(image, gap, [&red](const QColor& c) { return c == red; }), 0);
    }
}

TEST_F(DisplayTest, ReplayShowsOnlyTheProgressLines) {
    AppState state;
    testdata::FillHistory(state, 100, kNoon, 60);
    state.statusLines.line[0] = "before";
    state.replay.active = true;
    state.replay.SetLine(1, "Reading LOG-2024-06-01.txt");
    state.replay.SetLine(6, std::string(300, 'x'));
    EXPECT_EQ(state.replay.line[5].size(), ReplayProgress::kLineMax);
    state.replay.SetLine(7, "ignored");

    QImage image(1000, 700, QImage::Format_RGB32);
    image.fill(Qt::white);
    DisplayLayout layout;
    Layout(layout, state.config, MeasureFont(MakeDisplayFont(state.font), &image), 1000, 700);
    QPainter painter(&image);
    RenderOptions options;
    options.now = kNoon;
    EXPECT_EQ(Render(state, layout, painter, options), ScrollBarAction::kHide);
    painter.end();
    const int lh = layout.metrics.lineHeight;
    EXPECT_GT(DarkRows(image, 0, lh), 0);           // line 1
    EXPECT_EQ(DarkRows(image, lh, 5 * lh), 0);      // lines 2-5 empty
    EXPECT_GT(DarkRows(image, 5 * lh, 6 * lh), 0);  // line 6
    EXPECT_EQ(DarkRows(image, 6 * lh, 700), 0);     // no chart, no scroll bar
    EXPECT_EQ(state.statusLines.line[0], "before");
}

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
