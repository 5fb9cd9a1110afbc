#include "ui/sun/SunChartWidget.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "core/Channels.h"

namespace brennic {

namespace {

// Indices into the fixed drawing colours.
constexpr int kRed = 0, kGreen = 1, kBlue = 2, kGrey = 3, kBlack = 4, kOrange = 5, kFuchsia = 6;

QColor Fixed(int index) {
    const Colour c = kFixedColours[static_cast<std::size_t>(index)];
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

constexpr double kSecondsPerDay = 86400.0;
constexpr double kSecondsPerStep = 360.0;

}  // namespace

void DrawSunChart(QPainter& painter, const QRect& frame, const DayFactors& day, int markerSeconds,
                  const QString& dateLabel) {
    painter.save();
    painter.fillRect(frame, Qt::white);
    painter.setPen(Fixed(kGrey));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));

    const QFontMetrics fm = painter.fontMetrics();
    const int lineHeight = fm.height();
    // Room for the value labels on the left, the hours below, the date above.
    const QRect plot =
        frame.adjusted(fm.horizontalAdvance(QStringLiteral("0.00")) + 10, lineHeight + 8,
                       -(fm.horizontalAdvance(QStringLiteral("24")) / 2 + 8), -(lineHeight + 8));
    if (plot.width() < 10 || plot.height() < 10) {
        painter.restore();
        return;
    }
    const double left = plot.left(), right = plot.right(), top = plot.top(), bottom = plot.bottom();
    const double width = right - left, height = bottom - top;

    // Value scale: ten bands with grid lines.
    for (int i = 0; i <= 10; ++i) {
        const double y = bottom - i / 10.0 * height;
        painter.setPen(Fixed(kGrey));
        painter.drawLine(QPointF(left, y), QPointF(right, y));
        painter.setPen(Fixed(kBlack));
        const QString label = QString::asprintf("%04.2f", i / 10.0);
        painter.drawText(
            QRectF(frame.left(), y - lineHeight / 2.0, left - frame.left() - 5, lineHeight),
            Qt::AlignRight | Qt::AlignVCenter, label);
    }
    // Hour scale: every second hour.
    for (int h = 0; h <= 24; h += 2) {
        const double x = left + h / 24.0 * width;
        painter.setPen(Fixed(kGrey));
        painter.drawLine(QPointF(x, top), QPointF(x, bottom));
        painter.setPen(Fixed(kBlack));
        painter.drawText(QRectF(x - 20, bottom + 3, 40, lineHeight),
                         Qt::AlignHCenter | Qt::AlignTop, QString::asprintf("%02i", h));
    }

    // The chosen time of day.
    const double markerX = left + markerSeconds / kSecondsPerDay * width;
    painter.setPen(QPen(Fixed(kBlue), 1));
    painter.drawLine(QPointF(markerX, top), QPointF(markerX, bottom));

    // The five curves; the combined factor last, on top.
    struct Curve {
        int colour;
        float (*value)(const DayStep&);
    };
    const std::array<Curve, 5> curves = {{
        {kGreen, [](const DayStep& s) { return s.factors.geometryFactor; }},
        {kRed, [](const DayStep& s) { return s.factors.airMassFactor; }},
        {kOrange, [](const DayStep& s) { return s.factors.incidentAngleFactor; }},
        {kFuchsia, [](const DayStep& s) { return s.factors.efficiencyFactor; }},
        {kBlack, [](const DayStep& s) { return s.combined; }},
    }};
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipRect(plot.adjusted(0, -1, 1, 1));
    for (const Curve& curve : curves) {
        QPainterPath path;
        for (int i = 0; i < kDaySteps; ++i) {
            const DayStep& step = day.steps[static_cast<std::size_t>(i)];
            const QPointF point(left + i * kSecondsPerStep / kSecondsPerDay * width,
                                bottom - curve.value(step) * height);
            if (i == 0) {
                path.moveTo(point);
            } else {
                path.lineTo(point);
            }
        }
        painter.strokePath(path, QPen(Fixed(curve.colour), 1.5));
    }
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // The date over noon.
    const double noonX = left + kNoonStep * kSecondsPerStep / kSecondsPerDay * width;
    painter.setPen(Fixed(kBlack));
    painter.drawText(QRectF(noonX - 150, frame.top() + 3, 300, lineHeight), Qt::AlignCenter,
                     dateLabel);
    painter.restore();
}

SunChartWidget::SunChartWidget(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SunChartWidget::SetDay(const DayFactors& day, int markerSeconds, const QString& dateLabel) {
    day_ = day;
    markerSeconds_ = markerSeconds;
    dateLabel_ = dateLabel;
    update();
}

QSize SunChartWidget::sizeHint() const {
    return {720, 280};
}

QSize SunChartWidget::minimumSizeHint() const {
    return {360, 200};
}

void SunChartWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DrawSunChart(painter, rect(), day_, markerSeconds_, dateLabel_);
}

}  // namespace brennic
