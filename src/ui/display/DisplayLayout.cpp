#include "ui/display/DisplayLayout.h"

#include <QFontMetrics>
#include <QPaintDevice>

#include "display/StatusText.h"

namespace brennic {

namespace {
constexpr int kDefaultPixelSize = 13;  // 10 points at 96 dots per inch
}

QFont MakeDisplayFont(const DisplayFont& f) {
    QFont font;
    if (!f.set || f.face.empty()) {
        font.setFamily(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(kDefaultPixelSize);
        return font;
    }
    font.setFamily(QString::fromStdString(f.face));
    // Negative heights are character heights, positive ones cell heights; both are close
    // enough to a pixel size for a display font.
    const int h = f.height < 0 ? -f.height : f.height;
    font.setPixelSize(h > 0 ? h : kDefaultPixelSize);
    if (f.weight >= 100 && f.weight <= 900) {
        font.setWeight(static_cast<QFont::Weight>(f.weight));
    }
    font.setItalic(f.italic != 0);
    return font;
}

DisplayFont ToDisplayFont(const QFont& font) {
    DisplayFont f;
    f.set = true;
    f.face = font.family().toStdString();
    if (font.pixelSize() > 0) {
        f.height = -font.pixelSize();
    } else {
        f.height = -static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
    }
    f.weight = static_cast<int>(font.weight());
    f.italic = font.italic() ? 1 : 0;
    return f;
}

QFont MakeTitleFont(const QFont& displayFont) {
    QFont font(displayFont);
    font.setFamily(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setItalic(false);
    return font;
}

TextMetrics MeasureFont(const QFont& font, const QPaintDevice* device) {
    const QFontMetrics fm = device != nullptr ? QFontMetrics(font, device) : QFontMetrics(font);
    TextMetrics m;
    m.lineHeight = fm.height();
    m.charWidth = fm.averageCharWidth();
    m.ascent = fm.ascent();
    return m;
}

void Layout(DisplayLayout& l, const Config& c, const TextMetrics& m, int width, int height) {
    const int lh = m.lineHeight;
    l.metrics = m;
    l.client = {0, 0, width, height};

    const int quantities = ChosenTableQuantities(c);
    l.tableRows = quantities > 0 ? quantities + 1 : 0;
    int statusLines = 2;
    if (l.statisticsOnDisplay) {
        statusLines = 4 + (c.status[kChPump] != 0 ? 1 : 0) + (c.status[kChHaPump] != 0 ? 1 : 0);
    }
    l.textLines = statusLines + l.tableRows + 1;
    l.text = {l.client.left, l.client.top, l.client.right, l.client.top + lh * l.textLines};
    l.lower = {l.client.left, l.text.bottom, l.client.right, l.client.bottom};

    const bool pump = c.graph[kChPump] != 0;
    const bool heat = c.graph[kChHaPump] != 0;
    const int bands = (pump ? 1 : 0) + (heat ? 1 : 0);
    l.plot = {l.client.left + 7 * m.charWidth, l.text.bottom + (bands + 1) * lh,
              l.client.right - 14 * m.charWidth, l.client.bottom - 4 * lh};

    const int h = l.plot.bottom + (5 * lh) / 2;
    l.hourLabels = {l.plot.left, h - 2 * lh, l.plot.right, h};
    const int s = h + (3 * m.ascent) / 2;
    l.scrollBar = {l.plot.left, s - m.ascent, l.plot.right, s};

    l.pumpBand = {l.plot.left, l.text.bottom, l.plot.right, l.text.bottom + (pump ? lh : 0)};
    l.heatBand = {l.plot.left, l.pumpBand.bottom, l.plot.right,
                  l.pumpBand.bottom + (heat ? lh : 0)};
    l.legend = {l.plot.left, l.text.bottom + bands * lh, l.client.right,
                l.text.bottom + (bands + 1) * lh};
}

}  // namespace brennic
