#include "ui/display/DisplayChart.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/LocalTime.h"
#include "display/StatusText.h"
#include "ui/display/ChartColours.h"

namespace brennic {

namespace {

constexpr double kKwhRateFactor = 0.2929973630237328;  // BTU/h -> W
constexpr double kBtuPerWattHour = 3.413;

const char* const kRateTitleBtu = "1000s     of     BTUs     per     Hour";
const char* const kRateTitleKwh = "Kilowatts";
const char* const kFlowTitle = "Gallons     per     Minute";
const char* const kTemperatureTitle = "Temperature     Degrees     Fahrenheit";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void DrawLeftText(QPainter& p, int left, int top, int right, int bottom, const QString& text) {
    p.drawText(QRect(left, top, std::max(1, right - left), std::max(1, bottom - top)),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

// Text turned to run downward, its top facing right: the top of the text cell starts at
// (x, y) and the text extends down from there.
void DrawDownward(QPainter& p, int x, int y, const QString& text) {
    p.save();
    p.translate(x, y);
    p.rotate(90);
    p.drawText(0, p.fontMetrics().ascent(), text);
    p.restore();
}

}  // namespace

ChartScales ComputeScales(const AppState& state, const Rect& plot) {
    const Config& c = state.config;
    const ProcessorState& p = state.processor;
    ChartScales s;
    const int range = c.graphTempMax - c.graphTempMin;
    s.divisions = std::max(1, range / 25);  // the preset ranges give 5..14 divisions
    const auto height = static_cast<float>(plot.Height());
    s.pixelsPerDivision = height / static_cast<float>(s.divisions);
    s.degreesPerPixel = static_cast<float>(range) / height;

    const bool kwh = c.heatUnits != 0;
    double top = std::max(p.collectorHeat.maxRate, p.haHeat.maxRate);
    if (kwh) {
        top *= kKwhRateFactor;
    }
    top *= 3600.0;
    s.rateStep = top < 1000.0 ? 1 : static_cast<int>(top / s.divisions) / 1000 + 1;
    double rateSpan = static_cast<double>(s.rateStep) * s.divisions * 1000.0;
    if (kwh) {
        rateSpan *= kBtuPerWattHour;
    }
    s.pixelsPerRate = height / rateSpan;

    s.flowStep = static_cast<int>((s.divisions + p.maxCollectorFlow - 1.0) / s.divisions);
    s.flowStep = std::max(1, s.flowStep);
    s.pixelsPerGpm = height / (static_cast<double>(s.flowStep) * s.divisions);
    return s;
}

std::vector<ScaleMark> ScaleMarks(const AppState& state, const DisplayLayout& layout,
                                  const ChartScales& s) {
    const Rect& plot = layout.plot;
    const int lh = layout.metrics.lineHeight;
    std::vector<ScaleMark> marks;
    for (int i = 0; i <= s.divisions; ++i) {
        const float offset = static_cast<float>(i) * s.pixelsPerDivision;
        ScaleMark m;
        m.labelTop = plot.bottom - lh / 2 - static_cast<int>(offset);
        m.lineY = plot.bottom - static_cast<int>(offset + 0.5f);
        m.temperature = Format("%3d", state.config.graphTempMin + 25 * i);
        m.rate = Format("%3d", s.rateStep * i);
        m.flow = Format("%3d", s.flowStep * i);
        marks.push_back(m);
    }
    return marks;
}

void DrawChartFrame(QPainter& p, const AppState& state, const DisplayLayout& layout,
                    const ChartScales& s, const QFont& displayFont) {
    const Config& c = state.config;
    const Rect& plot = layout.plot;
    const TextMetrics& m = layout.metrics;
    const int lh = m.lineHeight;
    const int cw = m.charWidth;
    const QPen black(Qt::black, 0);
    const QPen grey(ToQColor(kGridColour), 0);

    p.setPen(black);
    p.drawLine(plot.left, plot.top, plot.left, plot.bottom);
    p.drawLine(plot.right, plot.top, plot.right, plot.bottom);

    const std::vector<ScaleMark> marks = ScaleMarks(state, layout, s);
    const int labelBottom = plot.bottom + lh;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const ScaleMark& mk = marks[i];
        p.setPen(black);
        DrawLeftText(p, plot.left - 4 * cw, mk.labelTop, plot.left, labelBottom, Q(mk.temperature));
        DrawLeftText(p, plot.right + cw, mk.labelTop, plot.right + 6 * cw, labelBottom, Q(mk.rate));
        DrawLeftText(p, plot.right + 8 * cw, mk.labelTop, plot.right + 13 * cw, labelBottom,
                     Q(mk.flow));
        const bool edge = i == 0 || i + 1 == marks.size();
        p.setPen(edge ? black : grey);
        p.drawLine(plot.left, mk.lineY, plot.right, mk.lineY);
    }

    // Axis titles, centred on the label column of the scales.
    p.setPen(black);
    p.setFont(MakeTitleFont(displayFont));
    const QFontMetrics tfm = p.fontMetrics();
    const int columnTop = marks.back().labelTop;
    const int columnHeight = labelBottom - columnTop;
    auto title = [&](int x, const char* text) {
        const QString t = QString::fromLatin1(text);
        const int y = columnTop + (columnHeight - tfm.horizontalAdvance(t)) / 2;
        // The text cell lies left of x; keep it inside the window.
        DrawDownward(p, std::max(x, layout.client.left + tfm.height()), y, t);
    };
    title(plot.right + 6 * cw, c.heatUnits != 0 ? kRateTitleKwh : kRateTitleBtu);
    title(plot.right + 13 * cw, kFlowTitle);
    title(plot.left - 6 * cw, kTemperatureTitle);
    p.setFont(displayFont);

    // Band captions, left of the plot.
    if (c.graph[kChPump] != 0) {
        const Rect& b = layout.pumpBand;
        DrawLeftText(p, layout.lower.left + cw, b.top, b.right, b.bottom, QStringLiteral("Pump"));
    }
    if (c.graph[kChHaPump] != 0) {
        const Rect& b = layout.heatBand;
        DrawLeftText(p, layout.lower.left + cw, b.top, b.right, b.bottom, QStringLiteral("Heat"));
    }

    // Legend: the graphed channels' short names in their colours.
    const QFontMetrics fm = p.fontMetrics();
    const int gap = fm.horizontalAdvance(QStringLiteral("   "));
    int x = layout.legend.left;
    for (int id : kCurveChannels) {
        if (c.graph[static_cast<std::size_t>(id)] == 0) {
            continue;
        }
        const ChannelInfo& ch = state.channels[id];
        const QString name = Q(ch.shortName);
        p.setPen(ToQColor(ch.colour));
        DrawLeftText(p, x, layout.legend.top, layout.legend.right, layout.legend.bottom, name);
        x += fm.horizontalAdvance(name) + gap;
    }
    p.setPen(black);
}

std::vector<HourLabel> HourLabels(std::time_t viewStart, int xAxisHours, int hourLength,
                                  const Rect& r, int zeroLabelWidth) {
    const int hours = std::max(1, xAxisHours);
    const int step = (hours + 11) / 12;  // whole hours per label
    const int count = hours / step;      // labels after the first
    const double pixelsPerLabel = static_cast<double>(r.Width()) * step / hours;
    std::vector<HourLabel> labels;
    std::time_t t = viewStart;
    for (int i = 0; i <= count; ++i) {
        HourLabel l;
        l.textLeft = r.left - zeroLabelWidth / 2 + static_cast<int>(i * pixelsPerLabel);
        std::tm local{};
        l.text = ToLocalTime(t, local) ? Format("%02i:00", local.tm_hour) : "--:--";
        if (i > 0 && i * step < hours) {
            l.gridX = static_cast<int>(r.left + i * pixelsPerLabel + 0.5);
        }
        labels.push_back(l);
        t += static_cast<std::time_t>(step) * hourLength;
    }
    return labels;
}

std::string DateText(std::time_t t) {
    std::tm local{};
    if (!ToLocalTime(t, local)) {
        return {};
    }
    char buf[32];
    std::strftime(buf, sizeof buf, "%m/%d/%Y ", &local);
    std::string text = buf;
    if (local.tm_zone != nullptr) {
        text += local.tm_zone;
    }
    return text;
}

void DrawTimeAxis(QPainter& p, const AppState& state, const DisplayLayout& layout, int hourLength) {
    const Rect& r = layout.hourLabels;
    const Rect& plot = layout.plot;
    const QFontMetrics fm = p.fontMetrics();
    const QString zero = QStringLiteral("00:00");
    const int zeroWidth = fm.horizontalAdvance(zero);
    const std::vector<HourLabel> labels =
        HourLabels(state.chart.viewStart, state.chart.WindowHours(state.config.xAxisHours),
                   hourLength, r, zeroWidth);
    for (const HourLabel& l : labels) {
        p.setPen(Qt::black);
        DrawLeftText(p, l.textLeft, r.top, l.textLeft + r.Width(), r.bottom, Q(l.text));
        if (l.gridX >= 0) {
            p.setPen(QPen(ToQColor(kGridColour), 0));
            p.drawLine(l.gridX, plot.top, l.gridX, plot.bottom);
        }
    }
    p.setPen(Qt::black);
    const int left = r.left - zeroWidth / 2;
    const int top = r.top + fm.height();
    DrawLeftText(p, left, top, left + r.Width(), r.bottom + fm.height(),
                 Q(DateText(state.chart.viewStart)));
}

void DrawScrollBarPicture(QPainter& p, const Rect& r, int position, int page) {
    const int w = r.Width() + 1;
    const int h = r.Height() + 1;
    if (w <= 2 || h <= 2) {
        return;
    }
    p.save();
    p.setPen(QColor(160, 160, 160));
    p.setBrush(QColor(230, 230, 230));
    p.drawRect(r.left, r.top, w - 1, h - 1);
    // Arrow buttons at both ends, the thumb between them.
    const int button = std::min(h, w / 3);
    const int track = w - 2 * button;
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(r.left, r.top, button - 1, h - 1);
    p.drawRect(r.left + w - button, r.top, button - 1, h - 1);
    p.setBrush(QColor(90, 90, 90));
    p.setPen(Qt::NoPen);
    const int cy = r.top + h / 2;
    const int a = std::max(2, h / 4);
    const QPoint left[] = {{r.left + button / 2 - a / 2, cy},
                           {r.left + button / 2 + a / 2, cy - a},
                           {r.left + button / 2 + a / 2, cy + a}};
    const int rx = r.left + w - button + button / 2;
    const QPoint right[] = {{rx + a / 2, cy}, {rx - a / 2, cy - a}, {rx - a / 2, cy + a}};
    p.drawPolygon(left, 3);
    p.drawPolygon(right, 3);
    const int range = ChartView::kScrollRange;
    const int thumbWidth = std::max(h / 2, track * std::clamp(page, 0, range) / range);
    const int thumbLeft = r.left + button +
                          (track - thumbWidth) * std::clamp(position, 0, range) /
                              std::max(1, range - std::clamp(page, 0, range - 1));
    p.setBrush(QColor(170, 170, 170));
    p.setPen(QColor(120, 120, 120));
    p.drawRect(std::min(thumbLeft, r.left + w - button - thumbWidth), r.top + 1, thumbWidth - 1,
               h - 3);
    p.restore();
}

}  // namespace brennic
