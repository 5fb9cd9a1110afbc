// The curves and pump bands of the strip chart.
//
// A long history puts many samples into one pixel column. Every segment between two samples
// of the same column is vertical, so together they cover exactly the column's minimum to
// maximum; a column is therefore drawn as at most four points (first, minimum, maximum,
// last), which gives the same pixels as drawing every segment at a fraction of the cost.
// Runs of band rectangles in the same colour are joined for the same reason.

#include <QPainter>
#include <QPoint>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/display/ChartColours.h"
#include "ui/display/DisplayChart.h"

namespace brennic {

namespace {

// The graphable channels, drawn from the last to the first, so the collector ends on top.
constexpr int kSeries[15] = {kChCollector, kChStorage, kChAux1,    kChAux2,      kChAux3,
                             kChAux4,      kChPump,    kChBtuRate, kChWAux1,     kChWAux2,
                             kChWAux3,     kChWAux4,   kChHaPump,  kChHaBtuRate, kChGpm};

// Far enough outside the plot to be clipped, small enough for the rasteriser.
constexpr double kCoordLimit = 100000.0;

int ToCoord(double v) {
    if (!(v > -kCoordLimit)) {
        return static_cast<int>(-kCoordLimit);
    }
    return static_cast<int>(std::min(v, kCoordLimit));
}

// One column's run of pixels of a wide curve.
struct Span {
    bool open = false;
    int x = 0;
    int top = 0;
    int bottom = 0;

    void Flush(std::vector<QRect>& rects, int r, int width) {
        if (open) {
            rects.emplace_back(x - r, top - r, width, bottom - top + width);
            open = false;
        }
    }
};

// Calls add(x, y0, y1) with the pixel rows that the segment a-b covers in each column x,
// for the columns between columnLeft and columnRight.
template <typename Add>
void CutIntoColumns(QPoint a, QPoint b, int columnLeft, int columnRight, Add&& add) {
    if (a.x() > b.x()) {
        std::swap(a, b);
    }
    if (a.x() == b.x()) {
        add(a.x(), a.y(), b.y());
        return;
    }
    const double slope = static_cast<double>(b.y() - a.y()) / (b.x() - a.x());
    const int from = std::max(a.x(), columnLeft);
    const int to = std::min(b.x(), columnRight);
    for (int x = from; x <= to; ++x) {
        // The segment's height at the column's left and right pixel edges, within the segment.
        const double xl = std::max(static_cast<double>(a.x()), x - 0.5);
        const double xr = std::min(static_cast<double>(b.x()), x + 0.5);
        const double yl = a.y() + (xl - a.x()) * slope;
        const double yr = a.y() + (xr - a.x()) * slope;
        add(x, static_cast<int>(std::lround(yl)), static_cast<int>(std::lround(yr)));
    }
}

// The polylines of one curve, with several samples per pixel column folded together.
class Trace {
  public:
    // Ends the current run; the next point starts a new one.
    void Break() {
        FlushColumn();
        EndRun();
    }
    // Starts a run at (x, y) (the previous sample of the next segment).
    void Start(int x, int y) {
        Break();
        runStart_ = points_.size();
        OpenColumn(x, y);
    }
    // A segment from the last point to (x, y).
    void LineTo(int x, int y) {
        if (x == colX_) {
            colMin_ = std::min(colMin_, y);
            colMax_ = std::max(colMax_, y);
            colLast_ = y;
            return;
        }
        FlushColumn();
        OpenColumn(x, y);
    }
    void Draw(QPainter& painter) {
        Break();
        for (std::size_t i = 0; i + 1 < runs_.size(); i += 2) {
            painter.drawPolyline(points_.data() + runs_[i], static_cast<int>(runs_[i + 1]));
        }
    }

    // Wide pens. The raster engine strokes a wide polyline as one self-overlapping outline,
    // which costs tens of milliseconds per curve. Instead each segment is cut into its
    // per-column spans, and each span is drawn widened by the pen width in both directions:
    // the same pixels as a square pen, one small rectangle per column.
    void DrawWide(QPainter& painter, int width, int columnLeft, int columnRight) {
        Break();
        const int r = width / 2;
        std::vector<QRect> rects;
        Span span;
        auto add = [&](int x, int y0, int y1) {
            if (x < columnLeft || x > columnRight) {
                return;
            }
            const int top = std::min(y0, y1);
            const int bottom = std::max(y0, y1);
            if (span.open && span.x == x && top <= span.bottom + 1 && bottom >= span.top - 1) {
                span.top = std::min(span.top, top);
                span.bottom = std::max(span.bottom, bottom);
                return;
            }
            span.Flush(rects, r, width);
            span = {true, x, top, bottom};
        };
        for (std::size_t i = 0; i + 1 < runs_.size(); i += 2) {
            const QPoint* pts = points_.data() + runs_[i];
            const auto count = runs_[i + 1];
            for (std::size_t k = 1; k < count; ++k) {
                CutIntoColumns(pts[k - 1], pts[k], columnLeft, columnRight, add);
            }
        }
        span.Flush(rects, r, width);
        const QColor colour = painter.pen().color();
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRects(rects.data(), static_cast<int>(rects.size()));
        painter.restore();
    }

  private:
    void OpenColumn(int x, int y) {
        open_ = true;
        colX_ = x;
        colFirst_ = colMin_ = colMax_ = colLast_ = y;
    }
    void Push(int y) {
        const QPoint pt(colX_, y);
        if (points_.size() == runStart_ || points_.back() != pt) {
            points_.push_back(pt);
        }
    }
    void FlushColumn() {
        if (!open_) {
            return;
        }
        Push(colFirst_);
        // Visit the extreme farther from the last point first, so the column's path ends
        // with the short step to its last point.
        if (colLast_ - colMin_ >= colMax_ - colLast_) {
            Push(colMin_);
            Push(colMax_);
        } else {
            Push(colMax_);
            Push(colMin_);
        }
        Push(colLast_);
        open_ = false;
    }
    void EndRun() {
        if (points_.size() - runStart_ >= 2) {
            runs_.push_back(runStart_);
            runs_.push_back(points_.size() - runStart_);
        } else {
            points_.resize(runStart_);
        }
        runStart_ = points_.size();
    }

    std::vector<QPoint> points_;
    std::vector<std::size_t> runs_;  // pairs of first point and point count
    std::size_t runStart_ = 0;
    bool open_ = false;
    int colX_ = 0, colFirst_ = 0, colMin_ = 0, colMax_ = 0, colLast_ = 0;
};

// The rectangles of one pump band, joined into runs of one colour.
class Band {
  public:
    void Add(int x0, int x1, bool on) {
        const int left = std::min(x0, x1);
        const int right = std::max(x0, x1);
        if (left == right) {
            return;
        }
        if (!runs_.empty() && runs_.back().on == on && runs_.back().right == left) {
            runs_.back().right = right;
            return;
        }
        runs_.push_back({left, right, on});
    }
    void Draw(QPainter& painter, int top, int bottom) const {
        if (bottom <= top) {
            return;
        }
        for (const Run& r : runs_) {
            painter.fillRect(QRect(r.left, top, r.right - r.left, bottom - top),
                             ToQColor(r.on ? kPumpOnColour : kPumpOffColour));
        }
    }

  private:
    struct Run {
        int left;
        int right;
        bool on;
    };
    std::vector<Run> runs_;
};

}  // namespace

void DrawCurves(QPainter& painter, const AppState& state, const DisplayLayout& layout,
                const ChartScales& s) {
    const Config& c = state.config;
    const SampleHistory& history = state.processor.history;
    const Rect& plot = layout.plot;
    const std::time_t viewStart = state.chart.viewStart;
    const double window = static_cast<double>(state.chart.WindowHours(c.xAxisHours)) * 3600.0;
    const double plotWidth = plot.Width();
    const auto minTemp = static_cast<float>(c.graphTempMin);

    int active[15];
    int activeCount = 0;
    for (int i = 14; i >= 0; --i) {
        if (c.graph[static_cast<std::size_t>(kSeries[i])] != 0) {
            active[activeCount++] = i;
        }
    }
    if (activeCount == 0) {
        return;
    }

    // Samples before the first one at or after the view start draw nothing; the walk starts
    // at the one just before it, which supplies the first segment's left end.
    std::size_t first = 0;
    while (first < history.Count() && history[first].time < viewStart) {
        ++first;
    }
    const std::size_t start = first > 0 ? first - 1 : 0;

    Trace traces[15];
    Band bands[2];
    int prevX = 0;
    bool prevGap[15] = {};
    auto it = history.begin() + static_cast<std::ptrdiff_t>(start);
    for (std::size_t n = start; it != history.end(); ++n, ++it) {
        const Sample& sample = *it;
        const int x =
            ToCoord(plot.left +
                    std::trunc(std::difftime(sample.time, viewStart) / window * plotWidth + 0.5));
        const bool draw = n != start && sample.time >= viewStart;
        for (int a = 0; a < activeCount; ++a) {
            const int i = active[a];
            const ChannelEntry& ser = CatalogueEntry(kSeries[i]);
            const float v = sample[ser.slot];
            if (ser.scale == Scale::kPumpBand || ser.scale == Scale::kHeatBand) {
                if (draw) {
                    bands[ser.scale == Scale::kPumpBand ? 0 : 1].Add(prevX, x, v != 0.0f);
                }
                continue;
            }
            // Missing readings (and anything that is no number) break the curve.
            const bool gap = !(v > kReadingFloor);
            int y = 0;
            if (!gap) {
                switch (ser.scale) {
                    case Scale::kTemperature:
                        y = ToCoord(plot.bottom - std::trunc(static_cast<double>(
                                                      (v - minTemp) / s.degreesPerPixel)));
                        break;
                    case Scale::kRate:
                        y = ToCoord(plot.bottom - std::trunc(v * s.pixelsPerRate * 3600.0));
                        break;
                    default:
                        y = ToCoord(plot.bottom - std::trunc(v * s.pixelsPerGpm));
                        break;
                }
            }
            Trace& t = traces[i];
            if (gap) {
                t.Break();
            } else if (draw && !prevGap[i]) {
                t.LineTo(x, y);
            } else {
                t.Start(x, y);
            }
            prevGap[i] = gap;
        }
        prevX = x;
        if (x > plot.right) {
            break;
        }
    }

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(plot.ToQRect());
    for (int a = 0; a < activeCount; ++a) {
        const int i = active[a];
        const Scale scale = CatalogueEntry(kSeries[i]).scale;
        if (scale == Scale::kPumpBand || scale == Scale::kHeatBand) {
            continue;
        }
        const ChannelInfo& ch = state.channels[kSeries[i]];
        painter.setPen(QPen(ToQColor(ch.colour), 0));  // one pixel: the fast line rasteriser
        if (ch.penWidth > 1) {
            traces[i].DrawWide(painter, ch.penWidth, plot.left - ch.penWidth,
                               plot.right + ch.penWidth);
        } else {
            traces[i].Draw(painter);
        }
    }
    const int cut = static_cast<int>(0.2 * layout.metrics.lineHeight);
    const Rect* bandRects[2] = {&layout.pumpBand, &layout.heatBand};
    for (int b = 0; b < 2; ++b) {
        const Rect& r = *bandRects[b];
        painter.setClipRect(r.ToQRect());
        bands[b].Draw(painter, r.top, r.bottom - cut);
    }
    painter.restore();
}

}  // namespace brennic
