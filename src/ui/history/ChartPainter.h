#pragma once

#include <QImage>
#include <QPainter>

#include "history/ReportChart.h"

namespace brennic {

// Paints the shapes of a chart picture with QPainter, scaled to `target`. Main thread (or any
// thread painting into a QImage).
void PaintChart(QPainter& painter, const ChartPicture& picture, const QRectF& target);

// The picture as an image of its own size (white background). Needs a QGuiApplication.
QImage ChartImage(const ChartPicture& picture);

}  // namespace brennic
