#pragma once

#include <QImage>
#include <QPainter>
#include <ctime>

#include "support/DisplayTestData.h"
#include "ui/display/Display.h"
#include "ui/display/DisplayLayout.h"

namespace brennic::testdata {

// Lays out and renders `state` into a white image of the given size, as a window image does.
inline QImage RenderImage(AppState& state, DisplayLayout& layout, int width, int height,
                          std::time_t now, const DisplayStatus& status = {}) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    const TextMetrics m = MeasureFont(MakeDisplayFont(state.font), &image);
    Layout(layout, state.config, m, width, height);
    QPainter painter(&image);
    RenderOptions options;
    options.now = now;
    options.status = status;
    Render(state, layout, painter, options);
    return image;
}

}  // namespace brennic::testdata
