#include "ui/display/Display.h"

#include <QFontMetrics>
#include <QPainter>

#include "display/StatusText.h"
#include "ui/display/DisplayChart.h"

namespace brennic {

namespace {

// The text cursor: each line is drawn left- and top-aligned into the line rectangle, which
// then moves down one line.
class TextCursor {
  public:
    TextCursor(QPainter& painter, const DisplayLayout& layout)
        : painter_(painter), rect_(layout.text), lineHeight_(layout.metrics.lineHeight) {}

    void Line(const std::string& text) {
        painter_.drawText(QRect(rect_.left, top_, rect_.Width(), lineHeight_),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                          QString::fromStdString(text));
        Skip();
    }
    void Skip() { top_ += lineHeight_; }
    int Top() const { return top_; }
    int Left() const { return rect_.left; }

  private:
    QPainter& painter_;
    Rect rect_;
    int lineHeight_;
    int top_ = rect_.top;
};

void DrawTable(QPainter& painter, const AppState& state, const DisplayLayout& layout,
               TextCursor& cursor) {
    const QFontMetrics fm = painter.fontMetrics();
    const int nameWidth = fm.horizontalAdvance(QStringLiteral("ZZZZZZZZZZZZZZZZZZZZ"));
    const int valueWidth = fm.horizontalAdvance(QStringLiteral("12345678.1"));
    const int lh = layout.metrics.lineHeight;
    auto cells = [&](const auto& texts) {
        int x = cursor.Left() + nameWidth;
        for (const auto& t : texts) {
            painter.drawText(QRect(x, cursor.Top(), valueWidth, lh),
                             Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                             QString::fromStdString(std::string(t)));
            x += valueWidth;
        }
    };
    painter.drawText(QRect(cursor.Left(), cursor.Top(), nameWidth, lh),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, QStringLiteral("Quantity"));
    cells(kTableHeadings);
    cursor.Skip();
    for (const TableRow& row : TableRows(state.config, state.processor, state.channels)) {
        painter.drawText(QRect(cursor.Left(), cursor.Top(), nameWidth, lh),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                         QString::fromStdString(row.name));
        cells(row.cells);
        cursor.Skip();
    }
}

}  // namespace

ScrollBarAction Render(AppState& state, const DisplayLayout& layout, QPainter& painter,
                       const RenderOptions& options) {
    const Config& c = state.config;
    state.chart.Update(state.processor.history, state.processor.chartOrigin,
                       state.chart.WindowHours(c.xAxisHours), c.autoScroll);

    const QFont font = MakeDisplayFont(state.font);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setRenderHint(QPainter::Antialiasing, false);
    TextCursor cursor(painter, layout);

    if (state.replay.active) {
        for (const std::string& line : state.replay.line) {
            cursor.Line(line);
        }
        return ScrollBarAction::kHide;
    }

    const std::time_t now = options.now != 0 ? options.now : std::time(nullptr);
    UpdateStatusLines(state, options.status, now, DisplayFlux(c, now));
    const auto& lines = state.statusLines.line;
    cursor.Line(lines[StatusLines::kTime]);
    if (!layout.statisticsOnDisplay) {
        cursor.Skip();
    }
    if (DataReceived(state.processor)) {
        if (layout.statisticsOnDisplay) {
            cursor.Line(lines[StatusLines::kLastData]);
            cursor.Line(lines[StatusLines::kHighLimit]);
            if (c.status[kChPump] != 0) {
                cursor.Line(lines[StatusLines::kPump]);
            }
            if (c.status[kChHaPump] != 0) {
                cursor.Line(lines[StatusLines::kHaPump]);
            }
            cursor.Line(lines[StatusLines::kSamples]);
        }
        if (layout.tableRows != 0) {
            DrawTable(painter, state, layout, cursor);
        }
    }

    if (options.invalid != nullptr && !options.invalid->intersects(layout.lower.ToQRect())) {
        return ScrollBarAction::kUnchanged;
    }
    if (layout.plot.Width() <= 0 || layout.plot.Height() <= 0) {
        return ScrollBarAction::kHide;  // a window too small for a chart
    }

    const ChartScales scales = ComputeScales(state, layout.plot);
    DrawChartFrame(painter, state, layout, scales, font);
    DrawTimeAxis(painter, state, layout, options.hourLength);

    ScrollBarAction action = ScrollBarAction::kShow;
    if (options.invalid == nullptr) {
        action = ScrollBarAction::kUnchanged;
        if (options.drawScrollBar) {
            options.drawScrollBar(painter, layout.scrollBar);
        } else {
            DrawScrollBarPicture(painter, layout.scrollBar, state.chart.position, state.chart.page);
        }
    }

    if (!state.processor.history.Empty()) {
        DrawCurves(painter, state, layout, scales);
    }
    return action;
}

}  // namespace brennic
