#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/AppState.h"
#include "support/TempFolder.h"
#include "ui/display/DisplayLayout.h"

namespace brennic {
namespace {

namespace fs = std::filesystem;

// The demo's picture after two seconds: the simulated day fills the 24-hour chart. Each hour
// column of the plot must hold pixels of the graphed temperature curves.
TEST(DemoDay, TheDemoPictureShowsCurvesAcrossTheDay) {
    const testing::TempFolder folder;
    const fs::path dir = folder.Path();
    const fs::path picture = dir / "demo.bmp";
    const std::string command = std::string("QT_QPA_PLATFORM=offscreen ") + BRENNIC_BINARY_DIR +
                                "/brennic --config-dir " + (dir / "config").string() +
                                " --demo --screenshot " + picture.string() + " --after 2";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage image(QString::fromStdString(picture.string()));
    ASSERT_FALSE(image.isNull());

    // The plot as the display lays it out for this size with the default settings.
    const AppState state;
    DisplayLayout layout;
    QImage probe(8, 8, QImage::Format_RGB32);
    Layout(layout, state.config, MeasureFont(MakeDisplayFont(state.font), &probe), image.width(),
           image.height());
    const Rect& plot = layout.plot;
    ASSERT_GT(plot.Width(), 240);

    const int curves[] = {kChCollector, kChStorage, kChAux1, kChAux2};
    int hoursWithCurves = 0;
    for (int hour = 0; hour < 24; ++hour) {
        const int left = plot.left + plot.Width() * hour / 24 + 1;
        const int right = plot.left + plot.Width() * (hour + 1) / 24 - 1;
        int pixels = 0;
        for (int x = left; x < right; ++x) {
            for (int y = plot.top; y < plot.bottom; ++y) {
                const QRgb c = image.pixel(x, y);
                for (const int id : curves) {
                    const Colour want = state.channels[id].colour;
                    pixels += qRed(c) == RedOf(want) && qGreen(c) == GreenOf(want) &&
                              qBlue(c) == BlueOf(want);
                }
            }
        }
        hoursWithCurves += pixels >= 10;
    }
    EXPECT_GE(hoursWithCurves, 20);
}

}  // namespace
}  // namespace brennic
