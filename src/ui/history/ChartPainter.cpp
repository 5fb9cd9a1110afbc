#include "ui/history/ChartPainter.h"

namespace brennic {

namespace {

QColor Color(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u));
}

}  // namespace

void PaintChart(QPainter& painter, const ChartPicture& pic, const QRectF& target) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(target.topLeft());
    painter.scale(target.width() / pic.width, target.height() / pic.height);
    painter.setPen(Qt::NoPen);
    for (const auto& r : pic.rects) {
        painter.fillRect(QRectF(r.x, r.y, r.w, r.h), Color(r.fill));
    }
    for (const auto& l : pic.lines) {
        painter.setPen(QPen(Color(l.color), l.width));
        painter.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }
    QFont font("DejaVu Sans");
    for (const auto& t : pic.texts) {
        font.setPixelSize(static_cast<int>(t.size));
        font.setBold(t.bold);
        painter.setFont(font);
        painter.setPen(Color(t.color));
        const QString text = QString::fromStdString(t.text);
        const double w = QFontMetricsF(font).horizontalAdvance(text);
        const double x = t.align < 0 ? t.x : t.align > 0 ? t.x - w : t.x - w / 2;
        painter.drawText(QPointF(x, t.y), text);
    }
    painter.restore();
}

QImage ChartImage(const ChartPicture& pic) {
    QImage image(pic.width, pic.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintChart(painter, pic, QRectF(0, 0, pic.width, pic.height));
    painter.end();
    return image;
}

}  // namespace brennic
